#include "RequestState.h"

#include <QSqlDatabase>

#include <cstdlib>
#include <mutex>

namespace viVavazuruv {

namespace {
void releaseHostObjectsAtExit() {
    RequestState::instance().ReleaseHostObjects();
}
} // namespace

RequestState& RequestState::instance() {
    static RequestState state;
    return state;
}

void RequestState::ReleaseHostObjects() {
    GIC.reset();
    GC.reset();
    PV.reset();
    DAC.reset();
    Dialogs.reset();
}

void RequestState::ReleaseHostObjectsAtUnload() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        // Statics go in the reverse order of their making. This one may be
        // older than the host's libraries (a host may touch the component
        // first), so its destructor could release the host's objects after
        // Qt SQL's connection registry is gone. A release registered now runs
        // before everything that exists now, the registry included, and at
        // the component's unload when it was loaded as a plugin.
        // The request state itself must outlive the release, so it is made first too.
        QSqlDatabase::connectionNames();
        instance();
        std::atexit(releaseHostObjectsAtExit);
    });
}

void RequestState::SetWindowPosition(float top, float left) {
    if (top > 0.0f)
        WindowTop = top;
    if (left > 0.0f)
        WindowLeft = left;
}

void RequestState::PlaceRequest(PickerRequest& request, float top, float left) {
    SetWindowPosition(top, left);
    request.WindowTop = WindowTop;
    request.WindowLeft = WindowLeft;
}

IHostServices& RequestState::Host() const {
    if (!GIC)
        throw AutomationError(
            ErrorCode::ObjectNotSet,
            QStringLiteral("Object variable not set: the host has not put its GIC object."));
    return *GIC;
}

} // namespace viVavazuruv
