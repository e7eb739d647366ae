// Writing a level's edited and new rows back to UsrDefTable.
#include "Hourglass.h"
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>

#include <optional>

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
    // Read once, when the first edited row is to be written.
    std::optional<QHash<qint32, QStringList>> stored;
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
            if (ConflictCheck) {
                if (!stored)
                    stored =
                        listStore.StoredRows(lvl.FrameTag, m_state.FieldNames, qint16(lvl.ColumnCount - 1));
                const Conflict choice = resolveConflict(lvl, key, *stored, values);
                if (choice == Conflict::Leave)
                    continue;
                if (choice == Conflict::WriteAsNew) {
                    key = 0;
                    names << m_state.FieldNames(0);
                    values << lvl.FrameTag.toUpper();
                }
            }
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

wkDatabases_Form::Conflict wkDatabases_Form::resolveConflict(const PickerLevel& lvl, qint32 key,
                                                             const QHash<qint32, QStringList>& stored,
                                                             const QStringList& mine) {
    const auto theirs = stored.constFind(key);
    // A row remembered from no edit session (changed by code, not in edit
    // mode) has nothing to be measured against: only its deletion can tell.
    const auto loaded = lvl.LoadedRows.constFind(key);
    if (theirs != stored.constEnd() &&
        (loaded == lvl.LoadedRows.constEnd() || *theirs == *loaded || *theirs == mine))
        return Conflict::Write;
    const QString entry = mine.value(1);
    const qint32 flags = MsgBox::YesNo + MsgBox::Exclamation + MsgBox::DefaultButton2;
    if (theirs == stored.constEnd()) {
        const bool again =
            dialogs().MessageBox(QStringLiteral("\"%1\" was deleted at another workstation while "
                                                "you were editing it.\r\n\r\nYes: add your "
                                                "version again.\r\nNo: leave it deleted.")
                                     .arg(entry),
                                 flags, QStringLiteral(" User Defined Database")) == MsgBox::AnswerYes;
        return again ? Conflict::WriteAsNew : Conflict::Leave;
    }
    const bool overwrite =
        dialogs().MessageBox(
            QStringLiteral("\"%1\" was changed at another workstation while you were editing "
                           "it; it now reads \"%2\".\r\n\r\nYes: save your version over "
                           "theirs.\r\nNo: keep theirs and drop your change.")
                .arg(entry, theirs->value(1)),
            flags, QStringLiteral(" User Defined Database")) == MsgBox::AnswerYes;
    return overwrite ? Conflict::Write : Conflict::Leave;
}

bool wkDatabases_Form::mayDelete(const PickerLevel& lvl, qint32 key) {
    if (!ConflictCheck)
        return true;
    const std::optional<QStringList> theirs =
        store().StoredRow(key, m_state.FieldNames, qint16(lvl.ColumnCount - 1));
    if (!theirs || !lvl.LoadedRows.contains(key) || *theirs == lvl.LoadedRows.value(key))
        return true; // gone already, nothing to measure against, or as it was loaded
    return dialogs().MessageBox(QStringLiteral("\"%1\" was changed at another workstation since you opened "
                                               "the list; it now reads \"%2\".\r\n\r\nDelete it all the "
                                               "same?")
                                    .arg(lvl.LoadedRows.value(key).value(1), theirs->value(1)),
                                MsgBox::YesNo + MsgBox::Exclamation + MsgBox::DefaultButton2,
                                QStringLiteral(" User Defined Database")) == MsgBox::AnswerYes;
}

} // namespace viVavazuruv
