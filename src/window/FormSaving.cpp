// Writing a level's edited and new rows back to UsrDefTable.
#include "Hourglass.h"
#include "SaveRun.h"
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>

#include <exception>
#include <optional>
#include <utility>

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
    // Rows are gathered and written as one run, but never across a question
    // to the user (no transaction or lock waits for a person) nor past a row
    // that raises: what comes before either is written first, as row by row.
    SaveRun run(listStore, grid, lvl);
    RowComparison comparison;
    try {
        for (qint32 r = 1; r <= rows; ++r) {
            const QString status = grid.GetText(lvl.StatusColumn, r);
            const bool edited = status == RowStatus::Edited;
            const bool added = status == RowStatus::New;
            if (!edited && !added)
                continue;
            PendingRow p{r, 0, added, {}, {}};
            for (int c = 1; c <= lvl.ColumnCount - 1; ++c) {
                p.names << m_request.FieldNames(c);
                p.values << grid.GetText(c, r);
            }
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
                p.key = vb::CLng(keyValue);
                if (ConflictCheck && !settleConflict(lvl, p, run, comparison))
                    continue;
            } else {
                p.names << m_request.FieldNames(0);
                p.values << lvl.FrameTag.toUpper();
            }
            run.add(std::move(p));
        }
    } catch (...) {
        // The rows before the failure are written, in a run of their own:
        // the one open may be spoiled by what failed.
        const std::exception_ptr failure = std::current_exception();
        run.abandon();
        try {
            run.write();
        } catch (...) { // those rows keep their marks; the first failure is the one to tell
        }
        std::rethrow_exception(failure);
    }
    run.write();
    lvl.ListChanged = false;
    Fill_Database_Grid(Level, lvl.FrameTag, true);
}

} // namespace viVavazuruv
