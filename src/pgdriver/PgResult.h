#pragma once

#include "PgConnection.h"
#include "Placeholders.h"

#include <QHash>
#include <QPointer>
#include <QSqlRecord>
#include <QSqlResult>

namespace viVavazuruv::pgdriver {

class PgDriver;

// One QSqlQuery's statement and its whole answer. "Preparing" only keeps
// the rewritten text: every exec sends it as the unnamed statement, so
// nothing outlives the round trip on the server connection.
class PgResult : public QSqlResult {
public:
    explicit PgResult(PgDriver* driver);
    ~PgResult() override;

    // The PGresult* of the last statement, while it is held.
    QVariant handle() const override;

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

    QPointer<PgDriver> m_driver;
    PgResultPtr m_result;
    int m_rows = 0;
    // Of the last prepare(): the caller's own text, rewritten for the server.
    QString m_source;
    Placeholders m_placeholders;
    // Values bound by name, under the name without its ':'.
    QHash<QString, QVariant> m_named;
};

} // namespace viVavazuruv::pgdriver
