#include "BatchedInsert.h"

#include "HistoryStatements.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

BatchedInsert::BatchedInsert(const QSqlDatabase& db, const QString& into, qsizetype columns,
                             const QString& what)
    : m_into(into), m_what(what), m_columns(columns), m_full(db), m_part(db) {}

void BatchedInsert::add(const QVariantList& row) {
    m_pending += row;
    if (m_pending.size() >= kRows * m_columns)
        flush();
}

void BatchedInsert::flush() {
    if (m_pending.isEmpty())
        return;
    const qsizetype rows = m_pending.size() / m_columns;
    QSqlQuery& statement = rows == kRows ? m_full : m_part;
    if (rows != kRows || !m_fullPrepared) {
        const QString one = u'(' + QStringList(m_columns, u"?"_s).join(u", "_s) + u')';
        statement.prepare(u"INSERT INTO %1 VALUES %2"_s.arg(m_into, QStringList(rows, one).join(u", "_s)));
        m_fullPrepared = m_fullPrepared || rows == kRows;
    }
    for (qsizetype at = 0; at < m_pending.size(); ++at)
        statement.bindValue(int(at), m_pending.at(at));
    exec(statement, m_what);
    m_pending.clear();
}

} // namespace viVavazuruv::history
