#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated files as RFC 4180 has them: fields with a comma, a quote,
// CR or LF are quoted, quotes inside doubled, records end with CRLF.
namespace viVavazuruv::lists {

// Appends field to line, quoted where it must be.
void appendCsvField(QString& line, QStringView field);

// Appends one record: the count fields field(0) ... field(count - 1), then CRLF.
template <typename Field> void appendCsvRecord(QString& out, qsizetype count, Field field) {
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            out += u',';
        appendCsvField(out, field(i));
    }
    out += QStringLiteral("\r\n");
}

struct CsvRecord {
    int line = 0; // where the record starts, from 1
    QStringList fields;
};

// What is wrong with a file and the line it is on (0: the file as a whole).
struct FileFault {
    int line = 0;
    QString reason;
    QString text() const;
};

// The records of a UTF-8 file (a leading byte order mark is skipped); LF, CRLF
// or CR end a record; empty lines are passed over. Throws FileFault for bytes
// that are not UTF-8, a quote inside an unquoted field, text after a closing
// quote and a quoted field left open.
QList<CsvRecord> readCsv(const QByteArray& utf8);

} // namespace viVavazuruv::lists
