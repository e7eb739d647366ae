#include "RequestState.h"

namespace viVavazuruv {

RequestState& RequestState::instance() {
    static RequestState state;
    return state;
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
