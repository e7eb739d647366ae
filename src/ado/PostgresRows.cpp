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
constexpr int kTransactionIdle = 0;
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
        resolve(h, l.transactionStatus, "PQtransactionStatus");
        resolve(h, l.clientEncoding, "PQclientEncoding");
        resolve(h, l.encodingName, "pg_encoding_to_char");
        return l;
    }();
    const bool complete = lib.execParams && lib.resultStatus && lib.ntuples && lib.nfields && lib.fname &&
                          lib.ftype && lib.getvalue && lib.getlength && lib.getisnull && lib.clear &&
                          lib.transactionStatus && lib.clientEncoding && lib.encodingName;
    return complete ? &lib : nullptr;
}

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
    if (!connection || !pq || pq->transactionStatus(connection) != kTransactionIdle ||
        qstrcmp(pq->encodingName(pq->clientEncoding(connection)), "UTF8") != 0)
        return false;

    // One statement only, unlike a simple query, so text holding several runs as the driver runs it.
    const std::unique_ptr<void, void (*)(void*)> result(
        pq->execParams(connection, source.toUtf8().constData(), 0, nullptr, nullptr, nullptr, nullptr, 0),
        pq->clear);
    if (!result || pq->resultStatus(result.get()) != kTuplesOk)
        return false;
    void* const rows = result.get();
    const int columns = pq->nfields(rows);
    for (int c = 0; c < columns; ++c) {
        const unsigned type = pq->ftype(rows, c);
        // Dates, fractions, binary strings and unsigned identifiers depend on
        // the driver's own conversions.
        static constexpr unsigned driverTypes[] = {17,  24,   26,   28,   29,   700,  701, 702,
                                                   703, 1082, 1083, 1114, 1184, 1266, 1700};
        if (std::find(std::begin(driverTypes), std::end(driverTypes), type) != std::end(driverTypes))
            return false;
    }

    QVector<QString> names(columns);
    std::vector<unsigned> types(static_cast<size_t>(columns), 0u);
    for (int c = 0; c < columns; ++c) {
        names[c] = QString::fromUtf8(pq->fname(rows, c));
        types[size_t(c)] = pq->ftype(rows, c);
    }
    beginRows(std::move(names));
    const int count = pq->ntuples(rows);
    for (int r = 0; r < count; ++r) {
        Chunk& chunk = nextRow();
        for (int c = 0; c < columns; ++c) {
            const unsigned type = types[size_t(c)];
            if (pq->getisnull(rows, r, c)) {
                putNull(chunk, type == kBoolOid                       ? QMetaType::Bool
                               : type == kInt8Oid                     ? QMetaType::LongLong
                               : type == kInt2Oid || type == kInt4Oid ? QMetaType::Int
                                                                      : QMetaType::QString);
                continue;
            }
            const char* value = pq->getvalue(rows, r, c);
            const int size = pq->getlength(rows, r, c);
            switch (type) {
            case kBoolOid:
                putNumber(chunk, Kind::Bool, char(value[0] == 't'));
                break;
            case kInt2Oid:
            case kInt4Oid:
                putNumber(chunk, Kind::Int32, parsed<qint32>(value, size));
                break;
            case kInt8Oid:
                // As the driver reads it: unsigned unless negative.
                if (value[0] == '-')
                    putNumber(chunk, Kind::Int64, parsed<qint64>(value, size));
                else
                    putNumber(chunk, Kind::UInt64, parsed<quint64>(value, size));
                break;
            default:
                putBytes(chunk, isAscii(value, size) ? Kind::Ascii : Kind::Utf8, value, size_t(size));
                break;
            }
        }
    }
    endRows();
    return true;
}

} // namespace viVavazuruv::ado
