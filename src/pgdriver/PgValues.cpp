#include "PgValues.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QUuid>

#include <charconv>
#include <cmath>
#include <limits>

namespace viVavazuruv::pgdriver {

namespace {

template <typename T> QByteArray shortest(T value) {
    if (std::isnan(value))
        return QByteArrayLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return QByteArray(buffer, end - buffer);
}

double parseDouble(const char* text, int length, bool* ok = nullptr) {
    const QByteArrayView v(text, length);
    if (v == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (v == "Infinity")
        return std::numeric_limits<double>::infinity();
    if (v == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    double value = 0;
    const auto r = std::from_chars(text, text + length, value);
    if (ok)
        *ok = r.ec == std::errc();
    return value;
}

template <typename T> T parseInt(const char* text, int length) {
    T value{};
    std::from_chars(text, text + length, value);
    return value;
}

int digits(QByteArrayView s, qsizetype& i, int count) {
    int value = 0;
    int seen = 0;
    while (i < s.size() && seen < count && s[i] >= '0' && s[i] <= '9') {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++seen;
    }
    return seen ? value : -1;
}

// yyyy-mm-dd, as the server writes it with DateStyle ISO (its default).
QDate parseDate(QByteArrayView s, qsizetype& i) {
    const int y = digits(s, i, 9);
    if (y < 0 || i >= s.size() || s[i++] != '-')
        return {};
    const int m = digits(s, i, 2);
    if (m < 0 || i >= s.size() || s[i++] != '-')
        return {};
    const int d = digits(s, i, 2);
    return d < 0 ? QDate() : QDate(y, m, d);
}

// hh:mm:ss[.ffffff]; the fraction is cut to milliseconds, all QTime holds.
QTime parseTime(QByteArrayView s, qsizetype& i) {
    const int h = digits(s, i, 2);
    if (h < 0 || i >= s.size() || s[i++] != ':')
        return {};
    const int m = digits(s, i, 2);
    if (m < 0 || i >= s.size() || s[i++] != ':')
        return {};
    const int sec = digits(s, i, 2);
    if (sec < 0)
        return {};
    int ms = 0;
    if (i < s.size() && s[i] == '.') {
        ++i;
        int scale = 100;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ms += (s[i] - '0') * scale;
            scale /= 10;
            ++i;
        }
    }
    // 24:00:00 is a valid time of day for the server, not for QTime.
    if (h == 24)
        return QTime(23, 59, 59, 999);
    return QTime(h, m, sec, ms);
}

bool endsWithBc(QByteArrayView s) {
    return s.endsWith(" BC");
}

QDate bc(QDate date, bool isBc) {
    // The server counts 1 BC as the year before 1 AD, QDate as year -1.
    return isBc && date.isValid() ? QDate(-date.year(), date.month(), date.day()) : date;
}

QDateTime parseTimestamp(QByteArrayView s, bool withZone) {
    qsizetype i = 0;
    const QDate date = parseDate(s, i);
    if (!date.isValid() || i >= s.size() || (s[i] != ' ' && s[i] != 'T'))
        return {};
    ++i;
    const QTime time = parseTime(s, i);
    if (!time.isValid())
        return {};
    const QDate day = bc(date, endsWithBc(s));
    if (!withZone)
        return QDateTime(day, time);
    int offset = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        const int sign = s[i++] == '-' ? -1 : 1;
        const int h = digits(s, i, 2);
        int m = 0, sec = 0;
        if (i < s.size() && s[i] == ':') {
            ++i;
            m = digits(s, i, 2);
            if (i < s.size() && s[i] == ':') {
                ++i;
                sec = digits(s, i, 2);
            }
        }
        offset = sign * (std::max(h, 0) * 3600 + std::max(m, 0) * 60 + std::max(sec, 0));
    }
    return QDateTime(day, time, Qt::UTC).addSecs(-offset);
}

bool isNullValue(const QVariant& v) {
    if (v.isNull())
        return true;
    switch (v.metaType().id()) {
    case QMetaType::QString:
        return v.toString().isNull();
    case QMetaType::QByteArray:
        return v.toByteArray().isNull();
    case QMetaType::QDate:
        return v.toDate().isNull();
    case QMetaType::QTime:
        return v.toTime().isNull();
    case QMetaType::QDateTime:
        return v.toDateTime().isNull();
    default:
        return false;
    }
}

PgParam integer(qlonglong value) {
    const bool small = value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
    return {QByteArray::number(value), small ? oid::Int4 : oid::Int8};
}

} // namespace

PgParam PgValues::toParam(const QVariant& value) {
    if (isNullValue(value))
        return {QByteArray(), oid::Unknown, true};
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return {value.toBool() ? QByteArrayLiteral("t") : QByteArrayLiteral("f"), oid::Bool};
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::UInt:
    case QMetaType::Long:
        return integer(value.toLongLong());
    case QMetaType::LongLong:
        return {QByteArray::number(value.toLongLong()), oid::Int8};
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        // Beyond int8 only numeric holds it.
        return {QByteArray::number(v),
                v > qulonglong(std::numeric_limits<qlonglong>::max()) ? oid::Numeric : oid::Int8};
    }
    case QMetaType::Double:
        return {shortest(value.toDouble()), oid::Float8};
    case QMetaType::Float:
        return {shortest(value.toFloat()), oid::Float8};
    case QMetaType::QByteArray:
        return {value.toByteArray(), oid::Bytea, false, true};
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (!d.isValid())
            return {QByteArray(), oid::Unknown, true};
        const bool isBc = d.year() < 0;
        const QDate shown = isBc ? QDate(-d.year(), d.month(), d.day()) : d;
        return {shown.toString(Qt::ISODate).toLatin1() + (isBc ? QByteArrayLiteral(" BC") : QByteArray()),
                oid::Date};
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        if (!t.isValid())
            return {QByteArray(), oid::Unknown, true};
        return {t.toString(Qt::ISODateWithMs).toLatin1(), oid::Time};
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            return {QByteArray(), oid::Unknown, true};
        // In UTC with its offset, so the session's TimeZone cannot shift it.
        return {dt.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzz").toLatin1() + "+00:00", oid::TimestampTz};
    }
    case QMetaType::QUuid:
        return {value.toUuid().toByteArray(QUuid::WithoutBraces), oid::Unknown};
    default:
        return {value.toString().toUtf8(), oid::Unknown};
    }
}

QMetaType PgValues::metaTypeOf(Oid type, QSql::NumericalPrecisionPolicy policy) {
    switch (type) {
    case oid::Bool:
        return QMetaType::fromType<bool>();
    case oid::Int2:
    case oid::Int4:
        return QMetaType::fromType<int>();
    case oid::Int8:
        return QMetaType::fromType<qlonglong>();
    case oid::Oid_:
        return QMetaType::fromType<uint>();
    case oid::Float4:
    case oid::Float8:
        return QMetaType::fromType<double>();
    case oid::Numeric:
        switch (policy) {
        case QSql::LowPrecisionInt32:
            return QMetaType::fromType<int>();
        case QSql::LowPrecisionInt64:
            return QMetaType::fromType<qlonglong>();
        case QSql::LowPrecisionDouble:
            return QMetaType::fromType<double>();
        default:
            return QMetaType::fromType<QString>();
        }
    case oid::Bytea:
        return QMetaType::fromType<QByteArray>();
    case oid::Date:
        return QMetaType::fromType<QDate>();
    case oid::Time:
        return QMetaType::fromType<QTime>();
    case oid::Timestamp:
    case oid::TimestampTz:
        return QMetaType::fromType<QDateTime>();
    default:
        return QMetaType::fromType<QString>();
    }
}

QVariant PgValues::nullOf(Oid type, QSql::NumericalPrecisionPolicy policy) {
    return QVariant(metaTypeOf(type, policy));
}

QVariant PgValues::fromText(const char* text, int length, Oid type, QSql::NumericalPrecisionPolicy policy) {
    const QByteArrayView s(text, length);
    switch (type) {
    case oid::Bool:
        return s == "t";
    case oid::Int2:
    case oid::Int4:
        return parseInt<int>(text, length);
    case oid::Int8:
        return parseInt<qlonglong>(text, length);
    case oid::Oid_:
        return parseInt<uint>(text, length);
    case oid::Float4:
    case oid::Float8:
        return parseDouble(text, length);
    case oid::Numeric: {
        if (policy == QSql::HighPrecision)
            return QString::fromLatin1(text, length);
        const double d = parseDouble(text, length);
        if (policy == QSql::LowPrecisionDouble)
            return d;
        // The integer policies cut the fraction; a value they cannot hold reads as null.
        if (!std::isfinite(d))
            return nullOf(type, policy);
        if (policy == QSql::LowPrecisionInt32)
            return std::abs(d) < 2147483648.0 ? QVariant(int(d)) : nullOf(type, policy);
        return std::abs(d) < 9223372036854775808.0 ? QVariant(qlonglong(d)) : nullOf(type, policy);
    }
    case oid::Bytea: {
        size_t size = 0;
        unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
        if (!raw)
            return nullOf(type, policy);
        QByteArray bytes(reinterpret_cast<const char*>(raw), qsizetype(size));
        PQfreemem(raw);
        return bytes;
    }
    case oid::Date: {
        qsizetype i = 0;
        return bc(parseDate(s, i), endsWithBc(s));
    }
    case oid::Time: {
        qsizetype i = 0;
        return parseTime(s, i);
    }
    case oid::Timestamp:
        return parseTimestamp(s, false);
    case oid::TimestampTz:
        return parseTimestamp(s, true);
    default:
        return QString::fromUtf8(text, length);
    }
}

} // namespace viVavazuruv::pgdriver
