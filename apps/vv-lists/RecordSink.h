#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>

// Where export writes records, a table at a time, whatever the file's format:
// the lists first, then each of the host's tables that travel with them.
namespace viVavazuruv::lists {

class RecordSink {
public:
    virtual ~RecordSink() = default;
    // The records that follow are table name's, the first naming its
    // columns: a sheet of its own in a workbook; in CSV they follow on.
    virtual void beginTable(const QString& name) = 0;
    virtual void write(const QStringList& fields) = 0;
    // Writes what is left and makes sure the device took it all. Like
    // write(), raises AutomationError naming what failed.
    virtual void finish() = 0;
};

// CSV (Csv.h) to out, UTF-8, after a byte order mark if asked for one (so a
// spreadsheet that guesses the charset takes it for UTF-8).
std::unique_ptr<RecordSink> csvSink(QIODevice& out, bool byteOrderMark);

} // namespace viVavazuruv::lists
