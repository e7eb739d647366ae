// Reading a PostgreSQL result straight from the connection's own handle.
#include "Recordset.h"

#include <QSqlDriver>

#include <dlfcn.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>

namespace viVavazuruv::ado {

namespace {

// libpq's own values (libpq-fe.h, pg_type.h).
constexpr int kTuplesOk = 2;
constexpr int kTransactionIdle = 0, kTransactionActive = 1;
constexpr unsigned kBoolOid = 16, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23;

// The few libpq calls needed, taken from the libpq that Qt's driver has
// loaded, so the component links no libpq of its own.
struct LibPq {
    void* (*execParams)(void*, const char*, int, const void*, const char* const*, const int*, const int*,
                        int) = nullptr;
    int (*resultStatus)(const void*) = nullptr;
    int (*ntuples)(const void*) = nullptr;
    int (*nfields)(const void*) = nullptr;
    const char* (*fname)(const void*, int) = nullptr;
    unsigned (*ftype)(const void*, int) = nullptr;
    char* (*getvalue)(const void*, int, int) = nullptr;
    int (*getlength)(const void*, int, int) = nullptr;
    int (*getisnull)(const void*, int, int) = nullptr;
    void (*clear)(void*) = nullptr;
    void* (*getResult)(void*) = nullptr;
    int (*transactionStatus)(const void*) = nullptr;
    int (*clientEncoding)(const void*) = nullptr;
    const char* (*encodingName)(int) = nullptr;
};

template <typename F> void resolve(void* library, F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(library, name));
}

// Looked up on first use, which follows opening a PostgreSQL connection, so
// the driver has loaded libpq by then; RTLD_NOLOAD never loads a second copy.
const LibPq* libpq() {
    static const LibPq lib = [] {
        LibPq l;
        void* h = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        if (!h)
            return l;
        resolve(h, l.execParams, "PQexecParams");
        resolve(h, l.resultStatus, "PQresultStatus");
        resolve(h, l.ntuples, "PQntuples");
        resolve(h, l.nfields, "PQnfields");
        resolve(h, l.fname, "PQfname");
        resolve(h, l.ftype, "PQftype");
        resolve(h, l.getvalue, "PQgetvalue");
        resolve(h, l.getlength, "PQgetlength");
        resolve(h, l.getisnull, "PQgetisnull");
        resolve(h, l.clear, "PQclear");
        resolve(h, l.getResult, "PQgetResult");
        resolve(h, l.transactionStatus, "PQtransactionStatus");
        resolve(h, l.clientEncoding, "PQclientEncoding");
        resolve(h, l.encodingName, "pg_encoding_to_char");
        return l;
    }();
    const bool complete = lib.execParams && lib.resultStatus && lib.ntuples && lib.nfields && lib.fname &&
                          lib.ftype && lib.getvalue && lib.getlength && lib.getisnull && lib.clear &&
                          lib.getResult && lib.transactionStatus && lib.clientEncoding && lib.encodingName;
    return complete ? &lib : nullptr;
}

} // namespace

struct Recordset::PostgresRows {
    PostgresRows(const LibPq* lib, void* rows) : pq(lib), result(rows) {}
    ~PostgresRows() {
        if (result)
            pq->clear(result);
    }
    Q_DISABLE_COPY_MOVE(PostgresRows)
    const LibPq* pq;
    void* result;
    std::vector<unsigned> types;
};

namespace {

bool startsWithSelect(const QString& source) {
    const QStringView text = QStringView(source).trimmed();
    return text.size() > 6 && text.first(6).compare(u"select", Qt::CaseInsensitive) == 0 &&
           text.at(6).isSpace();
}

bool isAscii(const char* bytes, int size) {
    for (int i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

template <typename T> T parsed(const char* bytes, int size) {
    T value{};
    std::from_chars(bytes, bytes + size, value);
    return value;
}

} // namespace

bool Recordset::openPostgresDirect(const QString& source, const QSqlDatabase& db) {
    // The driver hands rows over one at a time and converts every value into
    // a QVariant on the way; here the text results are kept as they arrive.
    // Only a plain SELECT outside a transaction, on a UTF-8 connection, with
    // columns of text, whole numbers or truth values takes this way; the
    // driver reads everything else (and reports every failure) itself.
    if (db.driverName() != QLatin1String("QPSQL") || !startsWithSelect(source))
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return false;
    void* connection = *static_cast<void* const*>(handle.constData());
    const LibPq* pq = libpq();
    if (!connection || !pq)
        return false;
    // What a forward-only query of the driver left unread (a kept statement's
    // last result) is dropped, as the driver drops it before a statement of
    // its own; the connection is then idle unless a transaction is open.
    if (pq->transactionStatus(connection) == kTransactionActive) {
        while (void* pending = pq->getResult(connection))
            pq->clear(pending);
    }
    if (pq->transactionStatus(connection) != kTransactionIdle ||
        qstrcmp(pq->encodingName(pq->clientEncoding(connection)), "UTF8") != 0)
        return false;

    // One statement only, unlike a simple query, so text holding several runs as the driver runs it.
    auto rows = std::make_shared<PostgresRows>(pq, pq->execParams(connection, source.toUtf8().constData(), 0,
                                                                  nullptr, nullptr, nullptr, nullptr, 0));
    if (!rows->result || pq->resultStatus(rows->result) != kTuplesOk)
        return false;
    const int columns = pq->nfields(rows->result);
    QVector<QString> names(columns);
    for (int c = 0; c < columns; ++c) {
        const unsigned type = pq->ftype(rows->result, c);
        // Dates, fractions, binary strings and unsigned identifiers depend on
        // the driver's own conversions.
        static constexpr unsigned driverTypes[] = {17,  24,   26,   28,   29,   700,  701, 702,
                                                   703, 1082, 1083, 1114, 1184, 1266, 1700};
        if (std::find(std::begin(driverTypes), std::end(driverTypes), type) != std::end(driverTypes))
            return false;
        rows->types.push_back(type);
        names[c] = QString::fromUtf8(pq->fname(rows->result, c));
    }
    beginRows(std::move(names));
    m_postgres = std::move(rows);
    m_rowCount = pq->ntuples(m_postgres->result);
    endRows();
    return true;
}

const QVariant& Recordset::postgresValue(int index) const {
    const PostgresRows& rows = *m_postgres;
    const unsigned type = rows.types[size_t(index)];
    QVariant& value = m_values[size_t(index)];
    if (rows.pq->getisnull(rows.result, m_position, index)) {
        value = QVariant(QMetaType(type == kBoolOid                       ? QMetaType::Bool
                                   : type == kInt8Oid                     ? QMetaType::LongLong
                                   : type == kInt2Oid || type == kInt4Oid ? QMetaType::Int
                                                                          : QMetaType::QString));
    } else {
        const char* text = rows.pq->getvalue(rows.result, m_position, index);
        const int size = rows.pq->getlength(rows.result, m_position, index);
        switch (type) {
        case kBoolOid:
            value = text[0] == 't';
            break;
        case kInt2Oid:
        case kInt4Oid:
            value = parsed<qint32>(text, size);
            break;
        case kInt8Oid:
            // As the driver reads it: unsigned unless negative.
            if (text[0] == '-')
                value = qlonglong(parsed<qint64>(text, size));
            else
                value = qulonglong(parsed<quint64>(text, size));
            break;
        default:
            value = QString::fromUtf8(text, size);
            break;
        }
    }
    m_valueRow[size_t(index)] = m_position;
    return value;
}

QAnyStringView Recordset::postgresText(int index, QString& buffer) const {
    const PostgresRows& rows = *m_postgres;
    if (rows.pq->getisnull(rows.result, m_position, index))
        return {};
    const unsigned type = rows.types[size_t(index)];
    const char* text = rows.pq->getvalue(rows.result, m_position, index);
    const int size = rows.pq->getlength(rows.result, m_position, index);
    if (type == kBoolOid) {
        buffer = postgresValue(index).toString();
        return buffer;
    }
    // Numbers come as their digits already; texts as UTF-8, plain ASCII
    // (nearly every list) read as Latin-1 without a conversion.
    if (isAscii(text, size))
        return QLatin1StringView(text, size);
    return QUtf8StringView(text, size);
}

} // namespace viVavazuruv::ado
