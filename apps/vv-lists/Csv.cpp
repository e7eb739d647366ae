#include "Csv.h"

#include <QBuffer>
#include <QStringDecoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

// Bytes asked of the device at a time: large enough that a read costs little,
// small enough that a file of any size costs no more memory than this.
constexpr qint64 kPiece = 64 * 1024;
// A first line this long without its end is not a header worth checking the
// separators of.
constexpr qsizetype kLongestHeader = 1024 * 1024;

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool endsLine(QChar c) {
    return c == u'\n' || c == u'\r';
}

// Past the line end at i (CRLF, LF or CR).
qsizetype afterLineEnd(QStringView text, qsizetype i) {
    return text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n' ? i + 2 : i + 1;
}

int lineEnds(QStringView text) {
    int ends = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (endsLine(text.at(i))) {
            i = afterLineEnd(text, i) - 1;
            ++ends;
        }
    return ends;
}

// A first character that makes a spreadsheet take a field for a formula, or
// the apostrophe that guards one.
bool needsGuard(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r' || c == u'\'';
}

void unguard(QString& field) {
    if (field.size() > 1 && field.at(0) == u'\'' && needsGuard(field.at(1)))
        field.remove(0, 1);
}

// Where bytes can be cut without splitting a UTF-8 sequence at their end.
qsizetype wholeCharacters(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const auto b = uchar(bytes.at(size - back));
        if ((b & 0xC0) == 0x80)
            continue;
        const qsizetype length = b < 0x80         ? 1
                                 : (b >> 5) == 6  ? 2
                                 : (b >> 4) == 14 ? 3
                                 : (b >> 3) == 30 ? 4
                                                  : 1;
        return back < length ? size - back : size;
    }
    return size;
}

QString decodeUtf8(QByteArrayView bytes, bool* failed = nullptr) {
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (failed)
        *failed = decoder.hasError();
    return text;
}

struct BadLine {
    int line = 0;        // counted from 1 at the bytes' start, as readCsv counts lines
    qsizetype start = 0; // where that line begins
};

// The line of the first bytes that are not UTF-8.
BadLine firstBadLine(QByteArrayView bytes) {
    int line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const bool end = i == bytes.size() || bytes.at(i) == '\n' || bytes.at(i) == '\r';
        if (!end)
            continue;
        bool failed = false;
        decodeUtf8(bytes.sliced(start, i - start), &failed);
        if (failed)
            return {line, start};
        if (i < bytes.size() && bytes.at(i) == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
        ++line;
    }
    return {line, bytes.size()};
}

} // namespace

void appendCsvField(QString& line, QStringView field) {
    const bool guard = !field.isEmpty() && needsGuard(field.front());
    const bool quote = std::any_of(field.begin(), field.end(),
                                   [](QChar c) { return c == u',' || c == u'"' || endsLine(c); });
    if (quote)
        line += u'"';
    if (guard)
        line += u'\'';
    for (const QChar c : field) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    if (quote)
        line += u'"';
}

QString FileFault::text() const {
    if (!where.isEmpty())
        return where + u": "_s + reason;
    return line > 0 ? u"line %1: %2"_s.arg(line).arg(reason) : reason;
}

FileFault FileFault::at(const CsvRecord& record, const QString& reason) {
    return {record.line, reason, record.where};
}

bool CsvReader::readMore() {
    if (m_badLine > 0)
        throw FileFault{m_badLine, u"the text is not UTF-8"_s};
    if (m_ended)
        return false;
    QByteArray bytes = std::exchange(m_held, {});
    const auto read = [&] {
        const qsizetype had = bytes.size();
        bytes.resize(had + kPiece);
        const qint64 got = m_device.read(bytes.data() + had, kPiece);
        if (got < 0)
            throw FileFault{0, u"the file cannot be read: %1"_s.arg(m_device.errorString())};
        bytes.resize(had + got);
        m_ended = got == 0;
    };
    read();
    // Editors and spreadsheets each put a byte order mark before one that is
    // already there; none of them is text.
    while (!m_started && !m_ended && bytes.size() < kByteOrderMark.size())
        read();
    while (!m_started && bytes.startsWith(kByteOrderMark)) {
        bytes.remove(0, kByteOrderMark.size());
        while (!m_ended && bytes.size() < kByteOrderMark.size())
            read();
    }
    m_started = true;
    if (!m_ended) { // a character split by the read, and a CR whose LF may come next, wait for the next piece
        qsizetype cut = wholeCharacters(bytes);
        if (cut > 0 && bytes.at(cut - 1) == '\r')
            --cut;
        m_held = bytes.sliced(cut);
        bytes.truncate(cut);
    }
    bool failed = false;
    QString text = decodeUtf8(bytes, &failed);
    if (failed) { // the lines before the bad ones are read first, so faults come in the file's order
        const BadLine bad = firstBadLine(bytes);
        m_badLine = m_heldLine + bad.line - 1;
        text = decodeUtf8(QByteArrayView(bytes).first(bad.start));
        m_held.clear();
    }
    m_heldLine += lineEnds(text);
    m_text.remove(0, m_at);
    m_at = 0;
    m_text += text;
    return true;
}

void CsvReader::checkSeparator() {
    // The first line that is not empty, to its end.
    const auto firstLineRead = [&] {
        const auto text = m_text.cbegin() + m_at;
        const auto line = std::find_if_not(text, m_text.cend(), endsLine);
        return std::any_of(line, m_text.cend(), endsLine);
    };
    while (!m_ended && m_text.size() - m_at < kLongestHeader && !firstLineRead())
        readMore();
    const QStringView text = QStringView(m_text).sliced(m_at);
    qsizetype start = 0;
    int line = m_line;
    while (start < text.size() && endsLine(text.at(start))) {
        start = afterLineEnd(text, start);
        ++line;
    }
    qsizetype commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (qsizetype i = start; i < text.size() && !endsLine(text.at(i)); ++i) {
        const QChar c = text.at(i);
        quoted = quoted != (c == u'"');
        if (!quoted) {
            commas += c == u',';
            semicolons += c == u';';
            tabs += c == u'\t';
        }
    }
    if (commas == 0 && semicolons + tabs > 0)
        throw FileFault{line,
                        u"the fields are separated by %1, not commas: save the file again with a comma "
                        u"as the field separator"_s.arg(semicolons >= tabs ? u"semicolons"_s : u"tabs"_s)};
}

CsvReader::Parse CsvReader::parse(CsvRecord& record) {
    const QStringView text(m_text);
    const qsizetype n = text.size();
    qsizetype i = m_at;
    while (i < n && endsLine(text.at(i))) { // empty lines
        i = afterLineEnd(text, i);
        ++m_line;
    }
    m_at = i;
    if (i == n)
        return m_ended ? Parse::End : Parse::NeedMore;
    if (text.at(i) == u'\uFEFF')
        throw FileFault{m_line,
                        u"a byte order mark (U+FEFF) begins the line, as one begins a file: was a file "
                        u"appended to this one?"_s};
    // Parsed from the record's start again once more text is there.
    int line = m_line;
    record = CsvRecord{line, {}, {}};
    while (true) {
        QString field;
        if (i < n && text.at(i) == u'"') {
            const int opened = line;
            ++i;
            while (true) {
                const qsizetype quote = text.indexOf(u'"', i);
                if (quote < 0) {
                    if (!m_ended)
                        return Parse::NeedMore;
                    throw FileFault{opened, u"a quoted field is never closed"_s};
                }
                const QStringView part = text.sliced(i, quote - i);
                field += part;
                line += lineEnds(part);
                i = quote + 1;
                if (i == n && !m_ended)
                    return Parse::NeedMore;
                if (i < n && text.at(i) == u'"') {
                    field += u'"';
                    ++i;
                    continue;
                }
                break;
            }
            if (i < n && text.at(i) != u',' && !endsLine(text.at(i)))
                throw FileFault{line, u"text follows the quote that closes a field"_s};
        } else {
            const qsizetype start = i;
            while (i < n && text.at(i) != u',' && !endsLine(text.at(i))) {
                if (text.at(i) == u'"')
                    throw FileFault{line, u"a quote inside an unquoted field (quote the field and double "
                                          u"the quote)"_s};
                ++i;
            }
            if (i == n && !m_ended)
                return Parse::NeedMore;
            field = text.sliced(start, i - start).toString();
        }
        unguard(field);
        record.fields.append(std::move(field));
        if (i < n && text.at(i) == u',') {
            ++i;
            continue;
        }
        if (i < n) {
            i = afterLineEnd(text, i);
            ++line;
        }
        break;
    }
    m_at = i;
    m_line = line;
    return Parse::Record;
}

std::optional<CsvRecord> CsvReader::next() {
    if (!m_checked) {
        checkSeparator();
        m_checked = true;
    }
    while (true) {
        CsvRecord record;
        switch (parse(record)) {
        case Parse::End:
            return std::nullopt;
        case Parse::NeedMore:
            readMore();
            continue;
        case Parse::Record:
            break;
        }
        if (std::all_of(record.fields.cbegin(), record.fields.cend(),
                        [](const QString& f) { return f.isEmpty(); }))
            continue;
        return record;
    }
}

QList<CsvRecord> readCsv(const QByteArray& utf8) {
    QBuffer buffer;
    buffer.setData(utf8);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer);
    QList<CsvRecord> records;
    while (std::optional<CsvRecord> record = reader.next())
        records.append(std::move(*record));
    return records;
}

} // namespace viVavazuruv::lists
