#include "PickerRequest.h"

#include <viVavazuruv/UsrDefTable.h>

namespace viVavazuruv {

VbArray<QString> PickerRequest::ListFields() {
    VbArray<QString> fields;
    fields.Redim(6);
    fields(0) = usrdef::kCode;
    fields(1) = usrdef::kGroup;
    fields(2) = usrdef::kDescription;
    fields(3) = usrdef::kDrawFlag;
    fields(4) = usrdef::kProcedureCode;
    fields(5) = usrdef::kLetterFile;
    fields(6) = usrdef::kKey;
    return fields;
}

void PickerRequest::showLetterColumn(const QString& caption) {
    ColumnCaptions(5) = caption;
    ColumnWidths(5) = 15;
}

PickerRequest PickerRequest::Blank() {
    PickerRequest r;
    r.ColumnCaptions.Redim(6);
    r.ColumnWidths.Redim(6);
    r.FieldNames = ListFields();
    r.SortKeys.Redim(2);
    r.SortKeyOrders.Redim(2);
    for (int k = 1; k <= 2; ++k) {
        r.SortKeys(k) = qint16(k);
        r.SortKeyOrders(k) = 1; // ascending
    }
    return r;
}

PickerRequest PickerRequest::ForList(const QString& listCode, const ListRequest& request) {
    PickerRequest r = Blank();
    r.DatabaseCode = listCode;
    r.MultiSelect = request.multiSelect;
    r.ColumnCaptions(1) = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Gp"));
    r.ColumnWidths(1) = 3;
    r.ColumnCaptions(2) = request.columnCaption;
    r.ColumnWidths(2) = 30;
    if (!request.letterCaption.isEmpty())
        r.showLetterColumn(request.letterCaption);
    r.WindowCaption = request.windowCaption;
    r.FrameCaptions.at(0) = request.frameCaption;
    r.WindowOptions = request.windowOptions;
    return r;
}

} // namespace viVavazuruv
