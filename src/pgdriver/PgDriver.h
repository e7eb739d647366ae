#pragma once

#include "PgConnection.h"
#include "StatementKind.h"

#include <QByteArray>
#include <QList>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

// handle() holds one; other code reads it back as "PGconn*" or "pg_conn*".
Q_DECLARE_OPAQUE_POINTER(PGconn*)

namespace viVavazuruv::pgdriver {

class PgResult;

// A Qt SQL driver for PostgreSQL that keeps nothing in the server session:
// statements go unnamed, and the settings a transaction needs travel with
// it, so it works behind a pooler that hands every transaction to another
// server connection. QSqlQuery works on it unchanged.
class PgDriver : public QSqlDriver {
    Q_OBJECT
public:
    explicit PgDriver(QObject* parent = nullptr);
    ~PgDriver() override;

    // libpq keyword/value pairs read before open()'s own arguments, which win.
    void setConnectionParameters(QList<std::pair<QByteArray, QByteArray>> parameters);
    // Applied with set_config(name, value, true) to every transaction, in the
    // same round trip as its first statement; an empty list sends none.
    void setTransactionSettings(QList<std::pair<QString, QString>> settings);
    QList<std::pair<QString, QString>> transactionSettings() const { return m_settings; }
    // How long a statement may go unanswered before it is cancelled, and how
    // long the cancel may go unanswered before the connection is closed; 0: no limit.
    void setAnswerLimit(std::chrono::milliseconds limit, std::chrono::milliseconds grace);
    // Whether the last failure was a connection closed for not answering; asked once.
    bool takeAnswerCut() { return m_connection.takeAnswerCut(); }
    // The same, leaving it to be asked.
    bool answerCutPending() const { return m_connection.answerCutPending(); }
    // Statements the caller holds back to send as one (a run's updates):
    // released(false) sends them before any other statement, whose outcome
    // is then their failure if they failed; released(true) drops them before
    // a rollback. An invalid error means nothing failed.
    void setHeldStatements(std::function<QSqlError(bool discard)> released) { m_held = std::move(released); }
    // Open but no longer usable: the socket broke or was cut off.
    bool broken() const { return isOpen() && !m_connection.healthy(); }

    bool hasFeature(DriverFeature feature) const override;
    bool open(const QString& db, const QString& user, const QString& password, const QString& host, int port,
              const QString& connOpts) override;
    void close() override;
    QSqlResult* createResult() const override;
    QVariant handle() const override;
    // A table's columns as the server names and types them, for QSqlTableModel
    // and friends; the name is read as SQL reads it (unquoted: folded to lower case).
    QSqlRecord record(const QString& tableName) const override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    QString escapeIdentifier(const QString& identifier, IdentifierType type) const override;
    bool isIdentifierEscaped(const QString& identifier, IdentifierType type) const override;
    QString formatValue(const QSqlField& field, bool trimStrings = false) const override;

    // What a result gets from one statement: its answer, or why there is none.
    struct Outcome {
        PgResultPtr result;
        QSqlError error;
        bool streaming = false; // result is the first row; the rest through nextRow()
        bool ok() const { return error.type() == QSqlError::NoError; }
    };
    // Runs one statement with the transaction settings wherever it needs
    // them. A statement of streaming's may send its rows one at a time
    // (Outcome::streaming); before anything else runs on the connection the
    // rest of them are read into streaming (PgResult::keepRest).
    Outcome run(const QString& sql, const QByteArray& text, std::vector<PgParam> params,
                QSqlError::ErrorType errorType = QSqlError::StatementError, PgResult* streaming = nullptr);
    // The streamed statement's next row; see PgConnection::nextRow. A
    // failure goes into error (left empty otherwise: no error made a row).
    PgResultPtr nextRow(std::optional<QSqlError>& error);
    // The streamed rows' reader is gone: what is still coming is dropped.
    void dropStream(PgResult* streaming);
    // Whether a forward-only SELECT is asked for as it comes: the dynamic
    // property kStreamProperty, which a caller reading once from the first
    // row to the last sets for its statement.
    bool streamAsked() const { return property(kStreamProperty).toBool(); }
    static constexpr const char* kStreamProperty = "rowsAsTheyCome";

private:
    Outcome runOnce(StatementKind kind, const PgStatement& statement, QSqlError::ErrorType errorType,
                    bool stream);
    // Any rows still coming go into their reader, so the connection is free.
    void settle() const;
    PgStatement settingsStatement() const;
    bool transactionCommand(const QString& sql);
    QSqlError releaseHeld(StatementKind kind);

    PgConnection m_connection;
    QList<std::pair<QByteArray, QByteArray>> m_parameters;
    QList<std::pair<QString, QString>> m_settings;
    // Which list of settings the open transaction block has had, so a
    // change made inside one reaches it before its next statement.
    quint64 m_settingsGeneration = 1;
    quint64 m_appliedGeneration = 0;
    std::function<QSqlError(bool)> m_held;
    bool m_releasing = false;             // the held statements themselves are under way
    mutable PgResult* m_stream = nullptr; // whose rows are still coming
};

// Makes "VVPSQL" known to QSqlDatabase; calling it again does nothing.
void registerPgDriver();

} // namespace viVavazuruv::pgdriver
