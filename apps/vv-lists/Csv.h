#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Comma-separated files as RFC 4180 has them: fields with a comma, a quote,
// CR or LF are quoted, quotes inside doubled, records end with CRLF.
//
// A field a spreadsheet would take for a formula (its first character one of
// = + - @, a tab or CR) is written with an apostrophe before it, and so is a
// field that begins with an apostrophe; reading takes one apostrophe off a
// field that begins with one followed by any of those characters. Every text
// reads back as it was written, and a spreadsheet opening the file shows the
// text instead of running it.
namespace viVavazuruv::lists {

// Appends field to line, guarded and quoted where it must be.
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
    int line = 0; // where the record starts, from 1 (in a workbook: the row of its sheet)
    QStringList fields;
    QString where = {}; // "sheet NAME, row N" for a workbook's row; "" names the line
};

// What is wrong with a file and where (line 0 and no where: the file as a whole).
struct FileFault {
    int line = 0;
    QString reason;
    QString where = {}; // as CsvRecord::where
    QString text() const;
    // The fault of a record, named as the record's file names its places.
    static FileFault at(const CsvRecord& record, const QString& reason);
};

// The records of a UTF-8 CSV file, read from a device a piece at a time so
// the file is never held whole. Byte order marks at its start are skipped;
// LF, CRLF or CR end a record; empty lines and lines of empty fields (a
// spreadsheet's empty rows) are passed over. next() throws FileFault for bytes
// that are not UTF-8, a quote inside an unquoted field, text after a closing
// quote, a quoted field left open, a byte order mark starting a later line (a
// file appended to another), and a first line separated by semicolons or tabs
// instead of commas. The device stays the caller's.
class CsvReader {
public:
    explicit CsvReader(QIODevice& device) : m_device(device) {}
    std::optional<CsvRecord> next();

private:
    enum class Parse { Record, End, NeedMore };
    Parse parse(CsvRecord& record);
    bool readMore(); // false at the end of the device
    void checkSeparator();

    QIODevice& m_device;
    QString m_text; // decoded, not yet parsed from m_at on
    qsizetype m_at = 0;
    int m_line = 1;         // the line at m_at
    QByteArray m_held;      // bytes held back for the next piece: a split character, a CR
    int m_heldLine = 1;     // the line the next piece of bytes begins on
    int m_badLine = 0;      // the line whose bytes are not UTF-8, once decoding reached it
    bool m_ended = false;   // every byte is in m_text
    bool m_started = false; // past the byte order marks
    bool m_checked = false; // the first line's separators
};

// Every record of a UTF-8 CSV file in memory, read as CsvReader reads it.
QList<CsvRecord> readCsv(const QByteArray& utf8);

} // namespace viVavazuruv::lists
