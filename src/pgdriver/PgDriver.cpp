#include "PgDriver.h"

#include "PgResult.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriverCreator>
#include <QSqlField>
#include <QSqlQuery>

#include <mutex>

namespace viVavazuruv::pgdriver {

using namespace Qt::StringLiterals;

namespace {

using Keywords = QList<std::pair<QByteArray, QByteArray>>;

void put(Keywords& keywords, const QByteArray& name, const QByteArray& value) {
    keywords.removeIf([&](const auto& k) { return k.first == name; });
    keywords.append({name, value});
}

bool isConnectionString(const QByteArray& s) {
    return s.startsWith("postgresql://") || s.startsWith("postgres://") || s.contains('=');
}

// A connection string or URI in place of a database name, spread into its
// keywords so that `options` can be dropped: a pooler refuses that startup
// parameter, and session state is what this driver does without.
bool putDatabase(Keywords& keywords, const QByteArray& db, QString* error) {
    if (!isConnectionString(db)) {
        put(keywords, "dbname", db);
        return true;
    }
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(db.constData(), &message);
    if (!options) {
        *error = message ? QString::fromUtf8(message).trimmed()
                         : QCoreApplication::translate("PgDriver", "out of memory");
        PQfreemem(message);
        return false;
    }
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && qstrcmp(o->keyword, "options") != 0)
            put(keywords, o->keyword, o->val);
    }
    PQconninfoFree(options);
    return true;
}

QSqlError errorOf(const PGresult* r, const QString& fallback, QSqlError::ErrorType type) {
    QString text;
    QString state;
    if (r) {
        if (const char* primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY))
            text = QString::fromUtf8(primary);
        else
            text = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        state = QString::fromLatin1(PQresultErrorField(r, PG_DIAG_SQLSTATE));
    }
    if (text.isEmpty())
        text = fallback.isEmpty() ? QCoreApplication::translate("PgDriver", "no answer from the server")
                                  : fallback;
    return QSqlError(QCoreApplication::translate("PgDriver", "Unable to run the statement"), text, type,
                     state);
}

bool failed(const PGresult* r) {
    const ExecStatusType s = PQresultStatus(r);
    return s == PGRES_FATAL_ERROR || s == PGRES_BAD_RESPONSE;
}

QSqlError withDriverText(const QSqlError& e, const QString& driverText) {
    return QSqlError(driverText, e.databaseText(), e.type(), e.nativeErrorCode());
}

} // namespace

PgDriver::PgDriver(QObject* parent) : QSqlDriver(parent) {
    // Qt's own default would round numeric through a double.
    setNumericalPrecisionPolicy(QSql::HighPrecision);
}

PgDriver::~PgDriver() = default;

void PgDriver::setConnectionParameters(QList<std::pair<QByteArray, QByteArray>> parameters) {
    m_parameters = std::move(parameters);
}

void PgDriver::setTransactionSettings(QList<std::pair<QString, QString>> settings) {
    m_settings = std::move(settings);
    ++m_settingsGeneration;
}

void PgDriver::setAnswerLimit(std::chrono::milliseconds limit, std::chrono::milliseconds grace) {
    m_connection.setAnswerLimit(limit, grace);
}

bool PgDriver::hasFeature(DriverFeature feature) const {
    switch (feature) {
    case Transactions:
    case QuerySize:
    case BLOB:
    case Unicode:
    case PreparedQueries:
    case PositionalPlaceholders:
    case LowPrecisionNumbers:
        return true;
    default:
        return false;
    }
}

bool PgDriver::open(const QString& db, const QString& user, const QString& password, const QString& host,
                    int port, const QString& connOpts) {
    if (isOpen())
        close();
    Keywords keywords;
    QString error;
    bool ok = true;
    for (const auto& [name, value] : std::as_const(m_parameters)) {
        if (name == "dbname")
            ok = ok && putDatabase(keywords, value, &error);
        else if (name != "options")
            put(keywords, name, value);
    }
    // Qt's own form: name=value pairs separated by ';'.
    for (const QString& option : connOpts.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = option.indexOf(u'=');
        const QByteArray name = option.left(eq).trimmed().toUtf8();
        if (eq > 0 && name != "options" && name != "dbname")
            put(keywords, name, option.mid(eq + 1).trimmed().toUtf8());
    }
    if (!db.isEmpty())
        ok = ok && putDatabase(keywords, db.toUtf8(), &error);
    if (!user.isEmpty())
        put(keywords, "user", user.toUtf8());
    if (!password.isEmpty())
        put(keywords, "password", password.toUtf8());
    if (!host.isEmpty())
        put(keywords, "host", host.toUtf8());
    if (port != -1)
        put(keywords, "port", QByteArray::number(port));
    // Every text crosses as UTF-8, whatever the environment says.
    put(keywords, "client_encoding", "UTF8");

    if (ok)
        ok = m_connection.connect(keywords, &error);
    if (!ok) {
        setLastError(QSqlError(QCoreApplication::translate("PgDriver", "Unable to connect"), error,
                               QSqlError::ConnectionError));
        setOpenError(true);
        return false;
    }
    m_appliedGeneration = 0;
    setOpen(true);
    setOpenError(false);
    return true;
}

void PgDriver::close() {
    if (PgResult* streaming = std::exchange(m_stream, nullptr))
        streaming->loseStream();
    m_connection.close();
    setOpen(false);
    setOpenError(false);
}

QSqlResult* PgDriver::createResult() const {
    return new PgResult(const_cast<PgDriver*>(this));
}

QVariant PgDriver::handle() const {
    // Whoever takes the connection itself finds it free.
    settle();
    return QVariant::fromValue(m_connection.handle());
}

QSqlRecord PgDriver::record(const QString& tableName) const {
    QSqlRecord columns;
    if (!isOpen())
        return columns;
    // Through the search path each transaction gets, as the table's statements are.
    QSqlQuery q(createResult());
    q.prepare(u"SELECT a.attname, a.atttypid, a.attnotnull FROM pg_attribute a "
              u"WHERE a.attrelid = to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped "
              u"ORDER BY a.attnum"_s);
    q.addBindValue(tableName);
    if (!q.exec())
        return columns;
    while (q.next()) {
        QSqlField field(q.value(0).toString(),
                        PgValues::metaTypeOf(Oid(q.value(1).toUInt()), numericalPrecisionPolicy()),
                        tableName);
        field.setRequired(q.value(2).toBool());
        columns.append(field);
    }
    return columns;
}

PgStatement PgDriver::settingsStatement() const {
    PgStatement st;
    QByteArray text = "SELECT ";
    for (qsizetype i = 0; i < m_settings.size(); ++i) {
        if (i)
            text += ", ";
        text += "set_config($" + QByteArray::number(2 * i + 1) + ", $" + QByteArray::number(2 * i + 2) +
                ", true)";
        st.params.push_back({m_settings[i].first.toUtf8(), oid::Text});
        st.params.push_back({m_settings[i].second.toUtf8(), oid::Text});
    }
    st.text = text;
    return st;
}

QSqlError PgDriver::releaseHeld(StatementKind kind) {
    if (!m_held || m_releasing)
        return {};
    m_releasing = true;
    QSqlError failed = m_held(kind == StatementKind::Rollback);
    m_releasing = false;
    return failed;
}

void PgDriver::settle() const {
    if (PgResult* streaming = std::exchange(m_stream, nullptr))
        streaming->keepRest();
}

PgResultPtr PgDriver::nextRow(std::optional<QSqlError>& error) {
    QString failure;
    PgResultPtr row = m_connection.nextRow(&failure);
    if (!row || failed(row.get()))
        error = errorOf(row.get(), failure, QSqlError::StatementError);
    if (!m_connection.streaming())
        m_stream = nullptr;
    return row;
}

void PgDriver::dropStream(PgResult* streaming) {
    if (m_stream != streaming)
        return;
    m_stream = nullptr;
    // Read to the end and dropped, as nothing else can run before it.
    QString ignored;
    while (m_connection.streaming())
        m_connection.nextRow(&ignored);
}

PgDriver::Outcome PgDriver::run(const QString& sql, const QByteArray& text, std::vector<PgParam> params,
                                QSqlError::ErrorType errorType, PgResult* streaming) {
    settle();
    const StatementKind kind = classifyStatement(sql);
    // What was held back comes first, so every statement sees it; when it
    // failed, the statement still runs (a commit then ends the block) but
    // reports that failure, the one the caller needs to hear.
    const QSqlError held = releaseHeld(kind);
    if (held.isValid() && held.type() != QSqlError::NoError) {
        Outcome out = run(sql, text, std::move(params), errorType);
        out.result.reset();
        out.error = QSqlError(held.driverText(), held.databaseText(), errorType, held.nativeErrorCode());
        return out;
    }
    const bool idle = m_connection.transactionStatus() == PQTRANS_IDLE;
    PgStatement statement{text, std::move(params)};
    const bool stream = streaming && kind == StatementKind::Other;
    Outcome out = runOnce(kind, statement, errorType, stream);
    // An untyped string the server could not place (`$1 IS NULL`, `SELECT $1`)
    // goes once more as text. Not inside a transaction block: the error ended it.
    if (!out.ok() && idle && out.error.nativeErrorCode() == u"42P18") {
        bool retyped = false;
        for (PgParam& p : statement.params) {
            if (p.type == oid::Unknown) {
                p.type = oid::Text;
                retyped = true;
            }
        }
        if (retyped)
            out = runOnce(kind, statement, errorType, stream);
    }
    if (out.streaming)
        m_stream = streaming;
    return out;
}

PgDriver::Outcome PgDriver::runOnce(StatementKind kind, const PgStatement& statement,
                                    QSqlError::ErrorType errorType, bool stream) {
    const PGTransactionStatusType tx = m_connection.transactionStatus();
    if (tx == PQTRANS_IDLE)
        m_appliedGeneration = 0;
    const bool withSettings = !m_settings.isEmpty();
    std::vector<PgStatement> batch;
    size_t target = 0;
    // BEGIN and SET TRANSACTION go alone: the settings are a query, and the
    // block's mode must be set before its first. They travel with the
    // block's first other statement and last to its end.
    if (withSettings && kind == StatementKind::Other &&
        (tx == PQTRANS_IDLE || (tx == PQTRANS_INTRANS && m_appliedGeneration != m_settingsGeneration))) {
        // Outside a block both run as one implicit transaction, which the settings last for.
        batch = {settingsStatement(), statement};
        target = 1;
        if (tx == PQTRANS_INTRANS)
            m_appliedGeneration = m_settingsGeneration;
    } else {
        batch = {statement};
    }

    PgConnection::Exchange ex = m_connection.run(batch, stream);
    Outcome out;
    out.streaming = ex.streaming;
    for (const PgResultPtr& r : ex.results) {
        if (r && failed(r.get())) {
            out.error = errorOf(r.get(), ex.failure, errorType);
            break;
        }
    }
    if (out.ok() && (ex.cut || !ex.results[target]))
        out.error = errorOf(nullptr, ex.failure, errorType);
    if (out.ok() && kind == StatementKind::Commit &&
        qstrcmp(PQcmdStatus(ex.results[target].get()), "ROLLBACK") == 0)
        out.error = QSqlError(
            QCoreApplication::translate("PgDriver", "Unable to run the statement"),
            QCoreApplication::translate(
                "PgDriver", "the transaction was rolled back, not committed: a statement in it had failed"),
            errorType);
    if (out.ok())
        out.result = std::move(ex.results[target]);
    else if (std::exchange(out.streaming, false))
        dropStream(nullptr);
    return out;
}

bool PgDriver::transactionCommand(const QString& sql) {
    if (!isOpen())
        return false;
    Outcome out = run(sql, sql.toUtf8(), {}, QSqlError::TransactionError);
    if (out.ok())
        return true;
    setLastError(withDriverText(
        out.error,
        sql == u"BEGIN"    ? QCoreApplication::translate("PgDriver", "Could not begin the transaction")
        : sql == u"COMMIT" ? QCoreApplication::translate("PgDriver", "Could not commit the transaction")
                           : QCoreApplication::translate("PgDriver", "Could not roll back the transaction")));
    return false;
}

bool PgDriver::beginTransaction() {
    return transactionCommand(u"BEGIN"_s);
}

bool PgDriver::commitTransaction() {
    return transactionCommand(u"COMMIT"_s);
}

bool PgDriver::rollbackTransaction() {
    return transactionCommand(u"ROLLBACK"_s);
}

bool PgDriver::isIdentifierEscaped(const QString& identifier, IdentifierType) const {
    return identifier.size() > 1 && identifier.startsWith(u'"') && identifier.endsWith(u'"');
}

QString PgDriver::escapeIdentifier(const QString& identifier, IdentifierType type) const {
    if (identifier.isEmpty() || isIdentifierEscaped(identifier, type))
        return identifier;
    QString quoted = identifier;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString PgDriver::formatValue(const QSqlField& field, bool trimStrings) const {
    if (field.isNull())
        return u"NULL"_s;
    switch (field.metaType().id()) {
    case QMetaType::Bool:
        return field.value().toBool() ? u"TRUE"_s : u"FALSE"_s;
    case QMetaType::QByteArray:
        // Whatever standard_conforming_strings says.
        return u"decode('"_s + QString::fromLatin1(field.value().toByteArray().toHex()) + u"', 'hex')"_s;
    case QMetaType::QDateTime: {
        const PgParam p = PgValues::toParam(field.value());
        return p.null ? u"NULL"_s : u"TIMESTAMPTZ '"_s + QString::fromLatin1(p.bytes) + u'\'';
    }
    default:
        // Qt's own doubles the single quotes of strings.
        return QSqlDriver::formatValue(field, trimStrings);
    }
}

void registerPgDriver() {
    static std::once_flag once;
    std::call_once(once,
                   [] { QSqlDatabase::registerSqlDriver(u"VVPSQL"_s, new QSqlDriverCreator<PgDriver>); });
}

} // namespace viVavazuruv::pgdriver
