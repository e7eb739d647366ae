// Several workstations on one list: with the host's conflict check on, a save
// or delete never overwrites or drops what another workstation saved since
// this one started editing without asking first.
#include "ListEditSession.h"

#include "MessageTitle.h"
#include "SaveRun.h"

#include <ado/VbStrings.h>
#include <grid/IGridControl.h>
#include <store/ListStore.h>

#include <viVavazuruv/UsrDefTable.h>

#include <QDateTime>
#include <QLocale>

namespace viVavazuruv {

namespace {
const qint32 kQuestion = MsgBox::YesNo + MsgBox::Exclamation + MsgBox::DefaultButton2;
} // namespace

std::optional<std::pair<QString, QString>> ListEditSession::lastChangeOf(qint32 key) const {
    QString by;
    QDateTime at;
    if (!m_host.LastChange(usrdef::kTable, key, by, at) || by.isEmpty() || !at.isValid())
        return std::nullopt;
    const QDateTime local = at.toLocalTime();
    const bool today = local.date() == QDate::currentDate();
    return std::pair(by, QLocale::c().toString(local, today ? QStringLiteral("HH:mm")
                                                            : QStringLiteral("yyyy-MM-dd HH:mm")));
}

void ListEditSession::rememberLoadedRows() {
    if (!m_conflictCheck) {
        m_list.LoadedRows.clear();
        return;
    }
    // Only an edited list is ever compared, so only an edited list pays for
    // the copy: the rows as stored, before the person changes any of them.
    // A row still marked edited (its save was refused) keeps the state it
    // was edited from, or another workstation's change since would pass.
    const IGridControl& grid = m_grid;
    QHash<qint32, QStringList> remembered;
    for (qint32 row = 1; row <= grid.MaxRows(); ++row) {
        const QString status = grid.GetText(m_list.StatusColumn, row);
        const qint32 key = vb::KeyOf(grid.GetText(m_list.ColumnCount, row));
        if (status == RowStatus::Edited) {
            const auto earlier = m_list.LoadedRows.constFind(key);
            if (earlier != m_list.LoadedRows.constEnd())
                remembered.insert(key, *earlier);
            continue;
        }
        if (status != RowStatus::Stored)
            continue;
        QStringList loaded;
        for (int c = 1; c < m_list.ColumnCount; ++c)
            loaded << grid.GetText(c, row);
        remembered.insert(key, loaded);
    }
    m_list.LoadedRows = std::move(remembered);
}

QString ListEditSession::describeChanges(const QStringList& before, const QStringList& now) const {
    QString lines;
    for (qsizetype i = 0; i < before.size() && i < now.size(); ++i) {
        if (before.at(i) == now.at(i))
            continue;
        const auto column = qint16(i + 1);
        QString name = m_request.ColumnCaptions.UBound() >= column
                           ? vb::Trim(m_request.ColumnCaptions(column))
                           : QString();
        if (name.isEmpty())
            name = m_request.FieldNames(column);
        lines += tr("    %1: \"%2\", now \"%3\"\r\n").arg(name, before.at(i), now.at(i));
    }
    return lines;
}

bool ListEditSession::settleConflict(PendingRow& row, SaveRun& run, RowComparison& comparison) {
    const ListStore listStore = store();
    const QHash<qint32, QStringList>& loadedRows = m_list.LoadedRows;
    for (;;) {
        if (!comparison.stored)
            comparison.stored = listStore.StoredRows(m_list.FrameTag, comparison.keys, m_request.FieldNames,
                                                     qint16(m_list.ColumnCount - 1), run.begin());
        const auto theirs = comparison.stored->constFind(row.key);
        const auto loaded = loadedRows.constFind(row.key);
        const QString entry = loaded != loadedRows.constEnd() ? loaded->value(1) : row.values.value(1);
        if (theirs != comparison.stored->constEnd()) {
            // A row remembered from no edit session (changed by code, not in
            // edit mode) has nothing to be measured against.
            const auto overruled = comparison.overruled.constFind(row.key);
            if (loaded == loadedRows.constEnd() || *theirs == *loaded || *theirs == row.values ||
                (overruled != comparison.overruled.constEnd() && *overruled == *theirs))
                return true;
            const QStringList now = *theirs;
            // Nobody waits on a lock while a person thinks: the rows before are written first.
            run.write();
            comparison.stored.reset();
            const auto who = lastChangeOf(row.key);
            const QString question =
                who ? tr("\"%1\" was changed by %2 at %3 at another workstation since you started editing "
                         "it:\r\n%4\r\nYes: save your version over theirs.\r\nNo: keep theirs and drop your "
                         "change.")
                          .arg(entry, who->first, who->second, describeChanges(*loaded, now))
                    : tr("\"%1\" was changed at another workstation since you "
                         "started editing it:\r\n%2\r\nYes: save your version "
                         "over theirs.\r\nNo: keep theirs and drop your change.")
                          .arg(entry, describeChanges(*loaded, now));
            const bool overwrite =
                m_dialogs.MessageBox(question, kQuestion, ListMessageTitle()) == MsgBox::AnswerYes;
            if (!overwrite)
                return false;
            // Compared again in the run that writes it: a further change meanwhile is asked about too.
            comparison.overruled.insert(row.key, now);
            continue;
        }
        const bool moved = listStore.RowExists(row.key);
        run.write();
        comparison.stored.reset();
        if (moved) {
            // Adding it again would leave the entry twice, here and where it went.
            m_dialogs.MessageBox(tr("\"%1\" was moved to another list or office at another "
                                    "workstation since you started editing it; your change to it "
                                    "is not saved.")
                                     .arg(entry),
                                 MsgBox::Exclamation, ListMessageTitle());
            return false;
        }
        const auto who = lastChangeOf(row.key);
        const QString question =
            who ? tr("\"%1\" was deleted by %2 at %3 at another workstation since you started editing "
                     "it.\r\n\r\nYes: add your version again.\r\nNo: leave it deleted.")
                      .arg(entry, who->first, who->second)
                : tr("\"%1\" was deleted at another workstation since you started "
                     "editing it.\r\n\r\nYes: add your version again.\r\nNo: leave "
                     "it deleted.")
                      .arg(entry);
        const bool again = m_dialogs.MessageBox(question, kQuestion, ListMessageTitle()) == MsgBox::AnswerYes;
        if (!again)
            return false;
        markAsNew(row);
        return true;
    }
}

void ListEditSession::markAsNew(PendingRow& row) const {
    row.key = 0;
    row.added = true;
    row.names << m_request.FieldNames(0);
    row.values << m_list.FrameTag.toUpper();
}

bool ListEditSession::mayDelete(qint32 key) {
    if (!m_conflictCheck)
        return true;
    const std::optional<QStringList> theirs =
        store().StoredRow(key, m_request.FieldNames, qint16(m_list.ColumnCount - 1));
    const auto loaded = m_list.LoadedRows.constFind(key);
    if (!theirs || loaded == m_list.LoadedRows.constEnd() || *theirs == *loaded)
        return true; // gone already, nothing to measure against, or as it was loaded
    const auto who = lastChangeOf(key);
    const QString question =
        who ? tr("\"%1\" was changed by %2 at %3 at another workstation since you started editing:\r\n%4\r\n"
                 "Delete it all the same?")
                  .arg(loaded->value(1), who->first, who->second, describeChanges(*loaded, *theirs))
            : tr("\"%1\" was changed at another workstation since you started "
                 "editing:\r\n%2\r\nDelete it all the same?")
                  .arg(loaded->value(1), describeChanges(*loaded, *theirs));
    return m_dialogs.MessageBox(question, kQuestion, ListMessageTitle()) == MsgBox::AnswerYes;
}

} // namespace viVavazuruv
