#pragma once

#include "PgConnection.h"
#include "Placeholders.h"

#include <QHash>
#include <QPointer>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

namespace viVavazuruv::pgdriver {

class PgDriver;

// One QSqlQuery's statement and its answer. "Preparing" only keeps the
// rewritten text: every exec sends it as the unnamed statement, so nothing
// outlives the round trip on the server connection. A forward-only SELECT
// run while the driver's streamAsked() holds reads its rows as the server
// sends them; size() is then -1, as the count is not known before the end.
class PgResult : public QSqlResult {
public:
    explicit PgResult(PgDriver* driver);
    ~PgResult() override;

    // The PGresult* holding the current row, while it is held: its row 0 is
    // the row the query moved to last, or the first row before it moved.
    // A streamed query's is PGRES_SINGLE_TUPLE, holding that row alone.
    QVariant handle() const override;

    // Another statement needs the connection: the rows still coming are
    // read into a result of their own, which the query reads on from.
    void keepRest();
    // The connection closed under the streamed rows.
    void loseStream();

protected:
    QVariant data(int field) override;
    bool isNull(int field) override;
    bool reset(const QString& query) override;
    bool fetch(int row) override;
    bool fetchFirst() override;
    bool fetchLast() override;
    int size() override;
    int numRowsAffected() override;
    QSqlRecord record() const override;
    QVariant lastInsertId() const override;
    void detachFromResultSet() override;

    bool prepare(const QString& query) override;
    bool exec() override;
    void bindValue(const QString& placeholder, const QVariant& value, QSql::ParamType type) override;

private:
    bool run(const QString& sql, const QByteArray& text, std::vector<PgParam> params);
    std::vector<PgParam> boundParams() const;

    // Moves to the result holding row, reading on while rows come; false past the last.
    bool reach(int row);
    void endStream();

    QPointer<PgDriver> m_driver;
    PgResultPtr m_result;
    int m_base = 0;           // the row m_result's first row is
    int m_rows = 0;           // of a whole answer
    bool m_streamed = false;  // run as it comes
    bool m_streaming = false; // rows still coming from the connection
    // What keepRest() read: the rows after m_result's, and a failure after them.
    PgResultPtr m_rest;
    QSqlError m_restError;
    // Of the last prepare(): the caller's own text, rewritten for the server.
    QString m_source;
    Placeholders m_placeholders;
    // Values bound by name, under the name without its ':'.
    QHash<QString, QVariant> m_named;
};

} // namespace viVavazuruv::pgdriver
