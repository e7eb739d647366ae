#pragma once

#include "PickerRequest.h"

#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/IGlobal.h>

#include <QString>

#include <memory>

namespace viVavazuruv {

// What the component keeps between requests, one object for the whole
// loaded component and every wkDatabases instance: the host's objects, the
// dialogs, where the last picker window was asked to open, the settings
// marker, and the last request's list (which a Sex/Title request without a
// list of its own shows again). A request itself travels as a PickerRequest
// and its answer as selection records; neither is parked here.
class RequestState final {
public:
    // The component-wide instance.
    static RequestState& instance();

    RequestState() = default;
    Q_DISABLE_COPY_MOVE(RequestState)

    // The last request's list (its UsrDefCod value).
    QString DatabaseCode;
    // The last position a caller asked for, in twips; an entry point writes
    // them only for values above 0, so an earlier request's position survives.
    float WindowTop = 0.0f;
    float WindowLeft = 0.0f;
    // First number of the settings file, kept at 4215 or more; never applied.
    qint16 LayoutMarker = 0;

    // Where the component's dialogs go; null means Qt's own.
    std::shared_ptr<IDialogs> Dialogs;

    // The host's objects, put through IGlobal.
    HostServicesRef GIC;
    HostObject GC;
    HostObject PV;
    HostObject DAC;

    // Stores top and left only when they are above 0 (a NaN is not).
    void SetWindowPosition(float top, float left);
    // The request placed where the caller asked, or where the last one was.
    void PlaceRequest(PickerRequest& request, float top, float left);

    // Drops the references to the host's objects (and the dialogs object).
    void ReleaseHostObjects();
    // Makes sure ReleaseHostObjects runs when the process exits or the
    // component is unloaded, before the libraries the host's objects use.
    static void ReleaseHostObjectsAtUnload();

    // The host object; raises "object not set" (91) when the host never put it.
    IHostServices& Host() const;
};

} // namespace viVavazuruv
