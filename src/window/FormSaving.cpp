// Writing a level's edited and new rows back to UsrDefTable.
#include "Hourglass.h"
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>

namespace viVavazuruv {

void wkDatabases_Form::Save_Database(qint16 Level) {
    Hourglass hourglass;
    PickerLevel& lvl = level(Level);
    if (!lvl.ListChanged)
        return;
    if (host().AskMessage(QStringLiteral("SA001"), QString(), QString()) == MsgBox::AnswerNo) {
        // Refused: the edits stay in the grid and are written by a later confirmed save.
        lvl.ListChanged = false;
        return;
    }

    IGridControl& grid = lvl.grid();
    const ListStore listStore = store();
    const qint32 rows = grid.MaxRows();
    for (qint32 r = 1; r <= rows; ++r) {
        const QString status = grid.GetText(lvl.StatusColumn, r);
        const bool edited = status == RowStatus::Edited;
        const bool added = status == RowStatus::New;
        if (!edited && !added)
            continue;
        QStringList names;
        QStringList values;
        for (int c = 1; c <= lvl.ColumnCount - 1; ++c) {
            names << m_state.FieldNames(c);
            values << grid.GetText(c, r);
        }
        qint32 key = 0;
        if (edited) {
            // A stored row's key cell holds a number; anything else is a fault worth stopping for.
            const QString keyText = grid.GetText(lvl.ColumnCount, r);
            bool isNumber = false;
            const double keyValue = vb::Trim(keyText).toDouble(&isNumber);
            if (!isNumber)
                throw AutomationError(
                    ErrorCode::TypeMismatch,
                    QStringLiteral("Row %1 has no record key (\"%2\"); it cannot be updated.")
                        .arg(r)
                        .arg(keyText));
            key = vb::CLng(keyValue);
        } else {
            names << m_state.FieldNames(0);
            values << lvl.FrameTag.toUpper();
        }
        if (listStore.SaveRow(key, names, values)) {
            if (added)
                grid.SetText(lvl.ColumnCount, r, QString::number(key));
            grid.SetText(lvl.StatusColumn, r, RowStatus::Stored);
        }
    }
    lvl.ListChanged = false;
    Fill_Database_Grid(Level, lvl.FrameTag, true);
}

} // namespace viVavazuruv
