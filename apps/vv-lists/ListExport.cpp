#include "ListExport.h"

#include "DeviceWriter.h"
#include "HostTables.h"
#include "RecordSink.h"
#include "TextOutput.h"
#include "XlsxWriter.h"

#include <viVavazuruv/AutomationError.h>

#include <QSqlError>
#include <QSqlRecord>

#include <cmath>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// One object a row, keys in the columns' order.
qint64 writeJson(QSqlQuery& rows, const QStringList& names, QIODevice& out, const Progress& progress) {
    DeviceWriter writer(out);
    QString text = u"["_s;
    qint64 count = 0;
    while (rows.next()) {
        text += count == 0 ? u"\n{"_s : u",\n{"_s;
        for (int c = 0; c < names.size(); ++c) {
            if (c > 0)
                text += u", "_s;
            appendJsonString(text, names.at(c));
            text += u": "_s;
            const QVariant value = rows.value(c);
            if (value.isNull())
                text += u"null"_s;
            else if (isNumber(value) && std::isfinite(value.toDouble()))
                text += value.toString();
            else
                appendJsonString(text, value.toString());
        }
        text += u'}';
        if (text.size() >= 32 * 1024) {
            writer.write(text.toUtf8());
            text.clear();
        }
        if (++count % kProgressStep == 0 && progress)
            progress(count);
    }
    text += u"\n]\n"_s;
    writer.write(text.toUtf8());
    writer.finish();
    return count;
}

qint64 writeRecords(QSqlQuery& rows, const QStringList& names, RecordSink& sink, const Progress& progress) {
    sink.beginTable(usrdef::kTable);
    sink.write(names);
    QStringList values(names.size());
    qint64 count = 0;
    while (rows.next()) {
        for (int c = 0; c < names.size(); ++c)
            values[c] = rows.value(c).toString();
        sink.write(values);
        if (++count % kProgressStep == 0 && progress)
            progress(count);
    }
    return count;
}

} // namespace

qint64 exportLists(ReferenceHost& host, const QStringList& codes, FileFormat format, QIODevice& out,
                   const Progress& progress, bool byteOrderMark) {
    QSqlQuery rows = selectRows(host, codes);
    const QSqlRecord record = rows.record();
    QStringList names;
    for (int c = 0; c < record.count(); ++c)
        names << columnName(record.fieldName(c));

    const auto readingFailed = [&] {
        return AutomationError(ErrorCode::DatabaseError,
                               u"Reading the lists failed: %1"_s.arg(rows.lastError().text()));
    };
    if (format == FileFormat::Json) {
        const qint64 count = writeJson(rows, names, out, progress);
        if (rows.lastError().isValid())
            throw readingFailed();
        return count;
    }
    const std::unique_ptr<RecordSink> sink =
        format == FileFormat::Xlsx ? xlsxSink(out) : csvSink(out, byteOrderMark);
    const qint64 count = writeRecords(rows, names, *sink, progress);
    if (rows.lastError().isValid())
        throw readingFailed();
    writeHostTables(host, codes, *sink);
    sink->finish();
    return count;
}

} // namespace viVavazuruv::lists
