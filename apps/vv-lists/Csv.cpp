#include "Csv.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

bool endsLine(QChar c) {
    return c == u'\n' || c == u'\r';
}

// Past the line end at i (CRLF, LF or CR).
qsizetype afterLineEnd(QStringView text, qsizetype i) {
    return text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n' ? i + 2 : i + 1;
}

// The line of the first byte that is not UTF-8, counted as readCsv counts.
int lineOfBadBytes(const QByteArray& bytes) {
    int line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const bool end = i == bytes.size() || bytes.at(i) == '\n' || bytes.at(i) == '\r';
        if (!end)
            continue;
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString ignored = decoder(QByteArrayView(bytes).sliced(start, i - start));
        if (decoder.hasError())
            return line;
        if (i < bytes.size() && bytes.at(i) == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
        ++line;
    }
    return 0;
}

} // namespace

void appendCsvField(QString& line, QStringView field) {
    bool quote = false;
    for (const QChar c : field)
        if (c == u',' || c == u'"' || endsLine(c)) {
            quote = true;
            break;
        }
    if (!quote) {
        line += field;
        return;
    }
    line += u'"';
    for (const QChar c : field) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

QString FileFault::text() const {
    return line > 0 ? u"line %1: %2"_s.arg(line).arg(reason) : reason;
}

QList<CsvRecord> readCsv(const QByteArray& utf8) {
    QByteArrayView bytes(utf8);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString decoded = decoder(bytes);
    if (decoder.hasError())
        throw FileFault{lineOfBadBytes(bytes.toByteArray()), u"the text is not UTF-8"_s};

    const QStringView text(decoded);
    const qsizetype n = text.size();
    QList<CsvRecord> records;
    int line = 1;
    qsizetype i = 0;
    while (i < n) {
        if (endsLine(text.at(i))) { // an empty line
            i = afterLineEnd(text, i);
            ++line;
            continue;
        }
        CsvRecord record{line, {}};
        while (true) {
            QString field;
            if (i < n && text.at(i) == u'"') {
                const int opened = line;
                ++i;
                while (true) {
                    const qsizetype quote = text.indexOf(u'"', i);
                    if (quote < 0)
                        throw FileFault{opened, u"a quoted field is never closed"_s};
                    const QStringView part = text.sliced(i, quote - i);
                    field += part;
                    for (qsizetype at = 0; at < part.size(); ++at)
                        if (endsLine(part.at(at))) {
                            at = afterLineEnd(part, at) - 1;
                            ++line;
                        }
                    i = quote + 1;
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
                field = text.sliced(start, i - start).toString();
            }
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
        records.append(std::move(record));
    }
    return records;
}

} // namespace viVavazuruv::lists
