#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QVariant>
#include <QtSql/qtsqlglobal.h>

#include <libpq-fe.h>

namespace viVavazuruv::pgdriver {

// Type OIDs of the server's catalog (catalog/pg_type.h, a server header libpq-dev lacks).
namespace oid {
constexpr Oid Unknown = 0, Bool = 16, Bytea = 17, Int8 = 20, Int2 = 21, Int4 = 23, Text = 25, Oid_ = 26,
              Float4 = 700, Float8 = 701, Date = 1082, Time = 1083, Timestamp = 1114, TimestampTz = 1184,
              Numeric = 1700;
} // namespace oid

// One bound value as libpq sends it.
struct PgParam {
    QByteArray bytes;
    Oid type = oid::Unknown;
    bool null = false;
    bool binary = false;
};

// Conversions between QVariant and the server's text format.
class PgValues {
public:
    // Strings go untyped, so the server infers their type as it does a quoted literal's.
    static PgParam toParam(const QVariant& value);
    // What data() gives for a column of this type.
    static QMetaType metaTypeOf(Oid type, QSql::NumericalPrecisionPolicy policy);
    static QVariant fromText(const char* text, int length, Oid type, QSql::NumericalPrecisionPolicy policy);
    // A null value of the column's type.
    static QVariant nullOf(Oid type, QSql::NumericalPrecisionPolicy policy);
};

} // namespace viVavazuruv::pgdriver
