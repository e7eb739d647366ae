#include "RecordSource.h"

#include "XlsxReader.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

class CsvSource final : public RecordSource {
public:
    explicit CsvSource(std::unique_ptr<QIODevice> device)
        : m_device(std::move(device)), m_reader(*m_device) {}
    std::optional<CsvRecord> next() override { return m_reader.next(); }

private:
    std::unique_ptr<QIODevice> m_device;
    CsvReader m_reader;
};

// A workbook from standard input, which libzip cannot seek in: copied to a
// temporary file first, which goes with the source.
class CopiedWorkbook final : public RecordSource {
public:
    explicit CopiedWorkbook(QIODevice& in) {
        if (!m_copy.open())
            throw FileFault{0,
                            u"the workbook on standard input cannot be copied to a temporary file: %1"_s.arg(
                                m_copy.errorString())};
        QByteArray piece(64 * 1024, Qt::Uninitialized);
        qint64 got = 0;
        while ((got = in.read(piece.data(), piece.size())) > 0)
            if (m_copy.write(piece.constData(), got) != got)
                throw FileFault{
                    0, u"the workbook on standard input cannot be copied to a temporary file: %1"_s.arg(
                           m_copy.errorString())};
        if (got < 0 || !m_copy.flush())
            throw FileFault{0, u"standard input cannot be read: %1"_s.arg(in.errorString())};
        m_records = xlsxRecords(m_copy.fileName(), u"the workbook on standard input"_s);
    }
    std::optional<CsvRecord> next() override { return m_records->next(); }

private:
    QTemporaryFile m_copy;
    std::unique_ptr<RecordSource> m_records;
};

} // namespace

std::unique_ptr<RecordSource> csvRecords(QByteArray utf8) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(utf8);
    buffer->open(QIODevice::ReadOnly);
    return std::make_unique<CsvSource>(std::move(buffer));
}

std::unique_ptr<RecordSource> openRecordSource(const QString& path) {
    const bool standardInput = path == u"-"_s;
    auto file = std::make_unique<QFile>(standardInput ? QString() : path);
    const bool opened =
        standardInput ? file->open(stdin, QIODevice::ReadOnly) : file->open(QIODevice::ReadOnly);
    if (!opened)
        throw FileFault{0, u"%1 cannot be read: %2"_s.arg(path, file->errorString())};
    const QByteArray start = file->peek(8);
    if (start.startsWith("PK\x03\x04"))
        return standardInput ? std::make_unique<CopiedWorkbook>(*file) : xlsxRecords(path, path);
    if (start.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        throw FileFault{0,
                        u"%1 is an Excel 97-2003 workbook, or one saved with a password; save it as an Excel "
                        u"2007-365 workbook (.xlsx) without a password, or as CSV"_s.arg(path)};
    return std::make_unique<CsvSource>(std::move(file));
}

void dropTrailingEmpty(QStringList& fields, qsizetype keep) {
    while (fields.size() > keep && fields.constLast().isEmpty())
        fields.removeLast();
}

} // namespace viVavazuruv::lists
