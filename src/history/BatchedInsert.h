#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// Rows of bound values into one table, many rows a statement: a statement a
// row would cost more than the work that makes the rows.
namespace viVavazuruv::history {

class BatchedInsert {
public:
    // into: the table and its columns, "main.T (A, B)"; what names the work
    // in a failure's message.
    BatchedInsert(const QSqlDatabase& db, const QString& into, qsizetype columns, const QString& what);

    // One row's values, as many as the columns; written once enough are held.
    void add(const QVariantList& row);
    // Writes the rows held. Raises AutomationError.
    void flush();

private:
    static constexpr qsizetype kRows = 100;
    QString m_into, m_what;
    qsizetype m_columns;
    QSqlQuery m_full, m_part; // a statement of kRows rows is prepared once
    bool m_fullPrepared = false;
    QVariantList m_pending;
};

} // namespace viVavazuruv::history
