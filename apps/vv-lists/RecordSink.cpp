#include "RecordSink.h"

#include "Csv.h"
#include "DeviceWriter.h"

namespace viVavazuruv::lists {

namespace {

class CsvSink final : public RecordSink {
public:
    CsvSink(QIODevice& out, bool byteOrderMark) : m_writer(out) {
        if (byteOrderMark)
            m_writer.write("\xEF\xBB\xBF");
    }
    void beginTable(const QString&) override {}
    void write(const QStringList& fields) override {
        appendCsvRecord(m_text, fields.size(), [&](qsizetype f) { return fields.at(f); });
        // Written in pieces: neither a write a row nor the whole file in memory.
        if (m_text.size() >= 32 * 1024)
            flush();
    }
    void finish() override {
        flush();
        m_writer.finish();
    }

private:
    void flush() {
        m_writer.write(m_text.toUtf8());
        m_text.clear();
    }

    DeviceWriter m_writer;
    QString m_text;
};

} // namespace

std::unique_ptr<RecordSink> csvSink(QIODevice& out, bool byteOrderMark) {
    return std::make_unique<CsvSink>(out, byteOrderMark);
}

} // namespace viVavazuruv::lists
