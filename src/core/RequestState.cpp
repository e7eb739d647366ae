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

void RequestState::InitFieldNames(qint16& n) {
    FieldNames.Redim(n);
    FieldNames(0) = QStringLiteral("UsrDefCod");
    FieldNames(1) = QStringLiteral("usrdefSeqCod");
    FieldNames(2) = QStringLiteral("usrdefDes");
    FieldNames(3) = QStringLiteral("usrdefCDSDRWFla");
    FieldNames(4) = QStringLiteral("usrdefADA");
    FieldNames(5) = QStringLiteral("usrdefLetNam");
    FieldNames(6) = QStringLiteral("usrdefInd");
}

void RequestState::ResetColumns() {
    ColumnCaptions.Redim(6);
    ColumnWidths.Redim(6);
}

void RequestState::PrepareListRequest(const ListRequest& request, float top, float left) {
    ResetColumns();
    KeepWindowLayout = false;
    MultiSelect = request.multiSelect;
    SetWindowPosition(top, left);
    qint16 fields = 6;
    InitFieldNames(fields);
    ColumnCaptions(1) = QStringLiteral("Gp");
    ColumnWidths(1) = 3;
    ColumnCaptions(2) = request.columnCaption;
    ColumnWidths(2) = 30;
    if (!request.letterCaption.isEmpty()) {
        ColumnCaptions(5) = request.letterCaption;
        ColumnWidths(5) = 15;
    }
    WindowCaption = request.windowCaption;
    FrameCaptions.at(0) = request.frameCaption;
    SortKeys.Redim(2);
    SortKeyOrders.Redim(2);
    SortKeys(1) = 1;
    SortKeys(2) = 2;
    SortKeyOrders(1) = 1;
    SortKeyOrders(2) = 1;
    WindowOptions = request.windowOptions;
    SelectionResult.clear();
}

void RequestState::SetWindowPosition(float top, float left) {
    if (top > 0.0f)
        WindowTop = top;
    if (left > 0.0f)
        WindowLeft = left;
}

IHostServices& RequestState::Host() const {
    if (!GIC)
        throw AutomationError(
            ErrorCode::ObjectNotSet,
            QStringLiteral("Object variable not set: the host has not put its GIC object."));
    return *GIC;
}

} // namespace viVavazuruv
