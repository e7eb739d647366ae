#include "XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

// An entry read whole (the workbook, its relationships, its shared strings) may
// be this large; a larger one is not a list file but a bomb.
constexpr zip_uint64_t kLargestWholePart = 512 * 1024 * 1024;
constexpr zip_uint64_t kPiece = 64 * 1024;

bool isHex(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The workbook's escape of a character XML cannot hold: _xHHHH_.
QString unescaped(const QString& text) {
    if (!text.contains(u"_x"_s))
        return text;
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && isHex(text.at(i + 2)) &&
            isHex(text.at(i + 3)) && isHex(text.at(i + 4)) && isHex(text.at(i + 5)) &&
            text.at(i + 6) == u'_') {
            plain += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
            continue;
        }
        plain += text.at(i);
    }
    return plain;
}

// An attribute by its local name, whatever namespace prefix the writer chose.
QString attribute(const QXmlStreamReader& xml, QStringView name, bool namespaced = false) {
    const QXmlStreamAttributes attributes = xml.attributes(); // const: iterating copies nothing
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name && a.namespaceUri().isEmpty() != namespaced)
            return a.value().toString();
    return {};
}

// The folder of an entry ("xl/" for "xl/workbook.xml") and a target relative to it.
QString resolved(const QString& entry, const QString& target) {
    if (target.startsWith(u'/'))
        return target.mid(1);
    const qsizetype slash = entry.lastIndexOf(u'/');
    return QDir::cleanPath(entry.left(slash + 1) + target);
}

// The relationships of an entry, "" for the package's own (_rels/.rels).
QString relationshipsOf(const QString& entry) {
    const qsizetype slash = entry.lastIndexOf(u'/');
    return entry.left(slash + 1) + u"_rels/"_s + entry.mid(slash + 1) + u".rels"_s;
}

class Archive {
public:
    Archive(const QString& path, const QString& name) : m_name(name) {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
        if (!m_zip) {
            zip_error_t e;
            zip_error_init_with_code(&e, error);
            const QString why = QString::fromUtf8(zip_error_strerror(&e));
            zip_error_fini(&e);
            throw FileFault{0, u"%1 is not a readable xlsx workbook: %2"_s.arg(name, why)};
        }
    }
    ~Archive() { zip_discard(m_zip); }
    Q_DISABLE_COPY_MOVE(Archive)

    bool has(const QString& entry) const {
        return zip_name_locate(m_zip, entry.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
    }
    zip_file_t* open(const QString& entry) const {
        zip_file_t* file = zip_fopen(m_zip, entry.toUtf8().constData(), ZIP_FL_NOCASE);
        if (!file)
            throw FileFault{0, u"%1: the entry %2 cannot be read: %3"_s.arg(
                                   m_name, entry, QString::fromUtf8(zip_strerror(m_zip)))};
        return file;
    }
    QByteArray read(const QString& entry) const {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(m_zip, entry.toUtf8().constData(), ZIP_FL_NOCASE, &stat) == 0 &&
            (stat.valid & ZIP_STAT_SIZE) && stat.size > kLargestWholePart)
            throw FileFault{0, u"%1: the entry %2 is larger than a list file holds"_s.arg(m_name, entry)};
        zip_file_t* file = open(entry);
        QByteArray bytes;
        QByteArray piece(kPiece, Qt::Uninitialized);
        zip_int64_t got = 0;
        while ((got = zip_fread(file, piece.data(), kPiece)) > 0 &&
               zip_uint64_t(bytes.size()) <= kLargestWholePart)
            bytes += QByteArrayView(piece).first(got);
        const QString why = got < 0 ? QString::fromUtf8(zip_file_strerror(file)) : QString();
        zip_fclose(file);
        if (got < 0)
            throw FileFault{0, u"%1: the entry %2 cannot be read: %3"_s.arg(m_name, entry, why)};
        return bytes;
    }
    const QString& name() const { return m_name; }

private:
    zip_t* m_zip = nullptr;
    QString m_name;
};

[[noreturn]] void xmlFault(const Archive& archive, const QString& entry, const QXmlStreamReader& xml) {
    throw FileFault{
        0, u"%1: the entry %2 is not well-formed XML (line %3, column %4: %5)"_s.arg(archive.name(), entry)
               .arg(xml.lineNumber())
               .arg(xml.columnNumber())
               .arg(xml.errorString())};
}

struct Relationship {
    QString id, type, target;
};

QList<Relationship> relationships(const Archive& archive, const QString& entry) {
    const QString rels = relationshipsOf(entry);
    QList<Relationship> found;
    if (!archive.has(rels))
        return found;
    QXmlStreamReader xml(archive.read(rels));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship"_s)
            found << Relationship{attribute(xml, u"Id"), attribute(xml, u"Type"),
                                  resolved(entry, attribute(xml, u"Target"))};
    if (xml.hasError())
        xmlFault(archive, rels, xml);
    return found;
}

QString targetOf(const QList<Relationship>& rels, QStringView typeEnd) {
    for (const Relationship& r : rels)
        if (r.type.endsWith(typeEnd))
            return r.target;
    return {};
}

// The text of a string item (<si>, <is>) the reader stands in: its <t>, or
// the <t> of each rich-text run, without the phonetic guide (<rPh>). next
// gives the reader's next token.
template <typename Next> QString stringItem(QXmlStreamReader& xml, Next next) {
    QString text;
    int phonetic = 0;
    bool inText = false;
    const QString end = xml.name().toString();
    while (true) {
        switch (next()) {
        case QXmlStreamReader::StartElement:
            phonetic += xml.name() == u"rPh"_s;
            inText = xml.name() == u"t"_s && phonetic == 0;
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == end)
                return unescaped(text);
            phonetic -= xml.name() == u"rPh"_s;
            inText = false;
            break;
        case QXmlStreamReader::Characters:
            if (inText)
                text += xml.text();
            break;
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return text; // the caller's reader tells the fault
        default:
            break;
        }
    }
}

QStringList sharedStrings(const Archive& archive, const QString& entry) {
    QStringList strings;
    if (entry.isEmpty() || !archive.has(entry))
        return strings;
    QXmlStreamReader xml(archive.read(entry));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si"_s)
            strings << stringItem(xml, [&] { return xml.readNext(); });
    if (xml.hasError())
        xmlFault(archive, entry, xml);
    return strings;
}

struct Sheet {
    QString name, entry;
};

// The column of a cell reference ("C7": 2), -1 for none.
int columnOf(QStringView reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference.at(i).isLetter() && column <= 16384; ++i)
        column = column * 26 + (reference.at(i).toUpper().unicode() - u'A' + 1);
    return i == 0 || column > 16384 ? -1 : column - 1;
}

class XlsxSource final : public RecordSource {
public:
    XlsxSource(const QString& path, const QString& name) : m_archive(path, name) {
        if (m_archive.has(u"mimetype"_s) && m_archive.read(u"mimetype"_s).contains("opendocument"))
            throw FileFault{0, u"%1 is an OpenDocument spreadsheet; save it as an Excel 2007-365 workbook "
                               u"(.xlsx) or as CSV"_s.arg(name)};
        const QString book = targetOf(relationships(m_archive, QString()), u"/officeDocument");
        if (book.isEmpty() || !m_archive.has(book))
            throw FileFault{
                0, u"%1 is a ZIP archive but not an xlsx workbook: it holds no workbook"_s.arg(name)};
        const QList<Relationship> rels = relationships(m_archive, book);
        m_strings = sharedStrings(m_archive, targetOf(rels, u"/sharedStrings"));
        QXmlStreamReader xml(m_archive.read(book));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"sheet"_s)
                continue;
            const QString id = attribute(xml, u"id", true);
            const auto rel =
                std::find_if(rels.begin(), rels.end(), [&](const Relationship& r) { return r.id == id; });
            if (rel != rels.end() && rel->type.endsWith(u"/worksheet"_s)) // not a chart sheet
                m_sheets << Sheet{attribute(xml, u"name"), rel->target};
        }
        if (xml.hasError())
            xmlFault(m_archive, book, xml);
    }
    ~XlsxSource() override { closeSheet(); }
    Q_DISABLE_COPY_MOVE(XlsxSource)

    std::optional<CsvRecord> next() override {
        while (true) {
            if (!m_file) {
                if (m_next == m_sheets.size())
                    return std::nullopt;
                openSheet(m_sheets.at(m_next++));
            }
            if (std::optional<CsvRecord> row = nextRow())
                return row;
            closeSheet();
        }
    }

private:
    void openSheet(const Sheet& sheet) {
        m_sheet = sheet;
        m_file = m_archive.open(sheet.entry);
        m_fileEnded = false;
        m_xml.clear();
        m_row = 0;
        m_width = -1;
    }
    void closeSheet() {
        if (m_file)
            zip_fclose(std::exchange(m_file, nullptr));
    }

    // The next token of the sheet, reading more of its entry when the reader
    // has come to the end of what it was given.
    QXmlStreamReader::TokenType token() {
        while (true) {
            const QXmlStreamReader::TokenType type = m_xml.readNext();
            if (type != QXmlStreamReader::Invalid)
                return type;
            if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_fileEnded)
                xmlFault(m_archive, m_sheet.entry, m_xml);
            QByteArray piece(kPiece, Qt::Uninitialized);
            const zip_int64_t got = zip_fread(m_file, piece.data(), kPiece);
            if (got < 0)
                throw FileFault{
                    0, u"%1: sheet %2 cannot be read: %3"_s.arg(
                           m_archive.name(), m_sheet.name, QString::fromUtf8(zip_file_strerror(m_file)))};
            m_fileEnded = got == 0;
            piece.truncate(got);
            m_xml.addData(piece);
        }
    }

    // The text of the element the reader stands in, to its end.
    QString elementText() {
        QString text;
        int depth = 1;
        while (depth > 0) {
            switch (token()) {
            case QXmlStreamReader::StartElement:
                ++depth;
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            case QXmlStreamReader::Characters:
                text += m_xml.text();
                break;
            case QXmlStreamReader::EndDocument:
                xmlFault(m_archive, m_sheet.entry, m_xml);
            default:
                break;
            }
        }
        return text;
    }

    QString where(int row) const { return u"sheet %1, row %2"_s.arg(m_sheet.name).arg(row); }

    // The cell the reader stands in, to its end.
    QString cell(int row) {
        const QString type = attribute(m_xml, u"t");
        QString value, inlined;
        bool hasInline = false;
        while (true) {
            const QXmlStreamReader::TokenType t = token();
            if (t == QXmlStreamReader::EndElement && m_xml.name() == u"c"_s)
                break;
            if (t == QXmlStreamReader::EndDocument)
                xmlFault(m_archive, m_sheet.entry, m_xml);
            if (t != QXmlStreamReader::StartElement)
                continue;
            if (m_xml.name() == u"v"_s) {
                value = elementText();
            } else if (m_xml.name() == u"is"_s) {
                inlined = stringItem(m_xml, [this] { return token(); });
                hasInline = true;
            } else {
                elementText(); // a formula, or an extension: its value is in <v>
            }
        }
        if (type == u"inlineStr"_s || hasInline)
            return inlined;
        if (type == u"s"_s) {
            bool number = false;
            const qsizetype index = value.trimmed().toLongLong(&number);
            if (!number || index < 0 || index >= m_strings.size())
                throw FileFault{
                    row, u"a cell names shared string %1, which the workbook does not hold"_s.arg(value),
                    where(row)};
            return m_strings.at(index);
        }
        return type == u"str"_s ? unescaped(value) : value;
    }

    std::optional<CsvRecord> nextRow() {
        while (true) {
            const QXmlStreamReader::TokenType t = token();
            if (t == QXmlStreamReader::EndDocument)
                return std::nullopt;
            if (t != QXmlStreamReader::StartElement || m_xml.name() != u"row"_s)
                continue;
            bool numbered = false;
            const int number = attribute(m_xml, u"r").toInt(&numbered);
            m_row = numbered ? number : m_row + 1;
            CsvRecord record{m_row, {}, where(m_row)};
            int column = -1;
            while (true) {
                const QXmlStreamReader::TokenType inRow = token();
                if (inRow == QXmlStreamReader::EndElement && m_xml.name() == u"row"_s)
                    break;
                if (inRow == QXmlStreamReader::EndDocument)
                    xmlFault(m_archive, m_sheet.entry, m_xml);
                if (inRow != QXmlStreamReader::StartElement || m_xml.name() != u"c"_s)
                    continue;
                const int at = columnOf(attribute(m_xml, u"r"));
                column = at > column ? at : column + 1;
                const QString text = cell(m_row);
                if (text.isEmpty())
                    continue;
                while (record.fields.size() < column)
                    record.fields << QString();
                record.fields << text;
            }
            if (record.fields.isEmpty()) // a row of empty cells is no record
                continue;
            // A sheet stores no empty cell after a row's last value: the row
            // gets as many fields as the sheet's first row, its header, has.
            if (m_width < 0)
                m_width = record.fields.size();
            while (record.fields.size() < m_width)
                record.fields << QString();
            return record;
        }
    }

    Archive m_archive;
    QStringList m_strings;
    QList<Sheet> m_sheets;
    qsizetype m_next = 0;
    Sheet m_sheet;
    zip_file_t* m_file = nullptr;
    bool m_fileEnded = false;
    QXmlStreamReader m_xml;
    int m_row = 0;
    qsizetype m_width = -1; // the fields of the sheet's header row
};

} // namespace

std::unique_ptr<RecordSource> xlsxRecords(const QString& path, const QString& name) {
    return std::make_unique<XlsxSource>(path, name);
}

} // namespace viVavazuruv::lists
