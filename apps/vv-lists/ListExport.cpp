#include "ListExport.h"

#include "Csv.h"
#include "HostTables.h"
#include "TextOutput.h"

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

} // namespace

qint64 exportLists(ReferenceHost& host, const QStringList& codes, FileFormat format, QIODevice& out,
                   const Progress& progress) {
    QSqlQuery rows = selectRows(host, codes);
    const QSqlRecord record = rows.record();
    QStringList names;
    for (int c = 0; c < record.count(); ++c)
        names << columnName(record.fieldName(c));

    Output output(out);
    QString& text = output.text();
    if (format == FileFormat::Csv) {
        appendCsvRecord(text, names.size(), [&](qsizetype c) { return names.at(c); });
    } else {
        text += u'[';
    }

    qint64 count = 0;
    while (rows.next()) {
        if (format == FileFormat::Csv) {
            appendCsvRecord(text, names.size(), [&](qsizetype c) { return rows.value(int(c)).toString(); });
        } else {
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
        }
        output.flushIfFull();
        if (++count % kProgressStep == 0 && progress)
            progress(count);
    }
    if (rows.lastError().isValid())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading the lists failed: %1"_s.arg(rows.lastError().text()));
    if (format == FileFormat::Json)
        text += u"\n]\n"_s;
    else
        appendHostTables(host, codes, text);
    output.flush();
    return count;
}

} // namespace viVavazuruv::lists
