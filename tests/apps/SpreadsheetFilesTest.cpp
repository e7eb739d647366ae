// vv-lists's files as spreadsheets open and save them: CSV guards what a
// spreadsheet would run and reads every text back, also a byte at a time as
// from a pipe; a workbook and a CSV file carry the same records into another
// database; a spreadsheet's own workbook reads as its text, and foreign files
// are named.
#include <refhost/RefhostSupport.h>

#include "Csv.h"
#include "HostTables.h"
#include "ListExport.h"
#include "ListImport.h"
#include "RecordSource.h"

#include <viVavazuruv/SeedData.h>

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>

#include <zip.h>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using namespace viVavazuruv::lists;

namespace {

// Texts a spreadsheet turns into numbers, dates or formulas, and texts that
// try the escapes of both formats.
const QStringList kHostile =
    QStringList() << u"01"_s << u"007"_s << u"1E3"_s << u"12/03"_s << u"1/2"_s << u"50%"_s
                  << u"12345678901234567890"_s << u"=HYPERLINK(\"http://example.com\",\"click\")"_s
                  << u"=cmd|' /C calc'!A0"_s << u"+1"_s << u"-2"_s << u"@SUM(A1)"_s << u"\tTab first"_s
                  << u"\rCR first"_s << u"'"_s << u"''"_s << u"'quoted"_s << u"'=guarded"_s << u"a'=b"_s
                  << u" spaced "_s << u"CR\r\nLF"_s << u"control \x01 character"_s
                  << u"_x0041_ looks escaped"_s << u"Zo\u00eb \U0001F9B7"_s;

// A pipe that gives one byte a read.
class Trickle final : public QIODevice {
public:
    explicit Trickle(QByteArray bytes) : m_bytes(std::move(bytes)) { open(ReadOnly | Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (m_at == m_bytes.size() || max == 0)
            return 0;
        *data = m_bytes.at(m_at++);
        return 1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
};

// Writes bytes to a new file at path, and gives the path.
QString written(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return path;
}

// Every record a RecordSource or CsvReader gives, also kept in *into as they come.
template <typename Source> QList<CsvRecord> all(Source& source, QList<CsvRecord>* into = nullptr) {
    QList<CsvRecord> records;
    QList<CsvRecord>& kept = into ? *into : records;
    while (std::optional<CsvRecord> record = source.next())
        kept << *record;
    return kept;
}

QList<QStringList> fieldsOf(const QList<CsvRecord>& records) {
    QList<QStringList> fields;
    for (const CsvRecord& r : records)
        fields << r.fields;
    return fields;
}

// The text of the fault read raises, "read" for none.
QString faultOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const FileFault& fault) {
        return fault.text();
    }
    return u"read"_s;
}

TEST(CsvFiles, EveryTextReadsBackAsWrittenAndNoFieldStartsAFormula) {
    QString csv;
    for (const QString& text : kHostile)
        appendCsvRecord(csv, 2, [&](qsizetype f) { return f == 0 ? text : u"x"_s; });
    static const QRegularExpression formula(uR"re((^|,)"?[=+\-@\t\r])re"_s,
                                            QRegularExpression::MultilineOption);
    EXPECT_FALSE(formula.match(csv).hasMatch()) << formula.match(csv).captured().toStdString();
    QStringList back;
    for (const CsvRecord& r : readCsv(csv.toUtf8()))
        back << r.fields.first();
    EXPECT_EQ(back, kHostile);
    // What a person or a spreadsheet writes with the guard reads as meant.
    EXPECT_EQ(readCsv("'=1+1,'abc,'''\n").first().fields, QStringList({u"=1+1"_s, u"'abc"_s, u"''"_s}));
}

TEST(CsvFiles, ReadAByteAtATimeGivesTheSameRecordsAndFaults) {
    const QByteArray file = "\xEF\xBB\xBF\xEF\xBB\xBFUsrDefCod,usrdefDes\r\n"
                            "ALERT,\"Two\r\nlines, \"\"quoted\"\"\"\r"
                            "ALERT,Zo\xC3\xAB \xF0\x9F\xA6\xB7\n"
                            ",,\n"
                            "\n"
                            "ALERT,padded,,\r\n";
    const QList<CsvRecord> whole = readCsv(file);
    Trickle pipe(file);
    CsvReader reader(pipe);
    const QList<CsvRecord> piece = all(reader);
    ASSERT_EQ(whole.size(), 4); // the empty line and the row of empty fields passed over
    EXPECT_EQ(whole.first().fields.first(), usrdef::kCode); // both byte order marks skipped
    EXPECT_EQ(whole.at(1).fields.at(1), u"Two\r\nlines, \"quoted\""_s);
    EXPECT_EQ(std::tuple(whole.at(2).line, whole.at(3).line), std::tuple(4, 7));
    EXPECT_EQ(fieldsOf(piece), fieldsOf(whole));
    EXPECT_EQ(piece.last().line, 7);

    const struct {
        QByteArray file;
        QString fault;
    } cases[] = {
        {"a,b\nc,\"d\ne\"\nf,\xFF\n", u"line 4: the text is not UTF-8"_s},
        {"a,b\nc,\"open\n\nmore", u"line 2: a quoted field is never closed"_s},
        {"a,b\n\357\273\277a,b\n", u"line 2: a byte order mark (U+FEFF) begins the line"_s},
        {"UsrDefCod;usrdefDes\nALERT;x\n", u"line 1: the fields are separated by semicolons, not commas"_s},
        {"\"UsrDefCod\";\"usrdefDes\"\n", u"line 1: the fields are separated by semicolons"_s},
        {"\n\nUsrDefCod\tusrdefDes\n", u"line 3: the fields are separated by tabs"_s},
    };
    for (const auto& c : cases) {
        Trickle bytes(c.file);
        CsvReader byteByByte(bytes);
        const QString held = faultOf([&] { readCsv(c.file); }), piecewise = faultOf([&] { all(byteByByte); });
        EXPECT_TRUE(held.startsWith(c.fault) && piecewise == held)
            << held.toStdString() << piecewise.toStdString();
    }

    // The reader holds a piece of a file, never the file.
    QBuffer big;
    big.setData("UsrDefCod,usrdefDes\n" + QByteArray("ALERT,Latex\n").repeated(400000));
    big.open(QIODevice::ReadOnly);
    CsvReader bigReader(big);
    bigReader.next();
    EXPECT_LE(big.pos(), 128 * 1024);
}

// A workbook of the entries given, as a spreadsheet's ZIP container holds them.
void writeZip(const QString& path, const QList<std::pair<const char*, QByteArray>>& entries) {
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        ASSERT_GE(zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(zip), 0); // reads the buffers, which outlive it
}

TEST(Workbooks, ASpreadsheetsOwnWorkbookReadsAsItsTextSheetBySheet) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"saved.xlsx"_s);
    // The sheets' order is the workbook's, not their entries'; strings shared,
    // rich, inline and escaped; rows and cells left out where empty.
    const QByteArray
        rels = "<Relationships xmlns='http://schemas.openxmlformats.org/package/2006/relationships'>",
        type = " Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
        sheet = "<worksheet xmlns='http://schemas.openxmlformats.org/spreadsheetml/2006/main'>";
    writeZip(
        path,
        {{"_rels/.rels", rels + "<Relationship Id='rId1'" + type +
                             "officeDocument' Target='xl/workbook.xml'/></Relationships>"},
         {"xl/workbook.xml",
          R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>
                  <sheet name="Lists" r:id="rId2"/><sheet name="CodeListKey" r:id="rId1"/></sheets></workbook>)"},
         {"xl/_rels/workbook.xml.rels",
          rels + "<Relationship Id='rId1'" + type + "worksheet' Target='/xl/worksheets/sheet1.xml'/>" +
              "<Relationship Id='rId2'" + type + "worksheet' Target='worksheets/sheet2.xml'/>" +
              "<Relationship Id='rId3'" + type +
              "sharedStrings' Target='sharedStrings.xml'/></Relationships>"},
         {"xl/sharedStrings.xml", R"(<sst><si><t>UsrDefCod</t></si><si><t>usrdefDes</t></si><si><t>A</t></si>
                  <si><r><t>Zo</t></r><r><rPr><b/></rPr><t>ë</t></r><rPh><t>x</t></rPh></si>
                  <si><t xml:space="preserve">CR_x000D_ _x005F_x0041_ </t></si></sst>)"},
         {"xl/worksheets/sheet2.xml",
          sheet + R"(<sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>
                  <row r="3"><c r="A3" t="s"><v>2</v></c><c r="B3"><v>7</v></c><c r="C3" t="s"><v>3</v></c></row>
                  <row r="5"><c r="A5" s="1"/><c r="B5" t="str"><f>""</f><v></v></c></row>
                  <row r="6"><c r="A6" t="s"><v>2</v></c><c r="C6" t="s"><v>4</v></c></row></sheetData></worksheet>)"},
         {"xl/worksheets/sheet1.xml",
          sheet + R"(<sheetData><row><c t="inlineStr"><is><t>CodeListKey.ListReference</t></is></c>
                  <c t="inlineStr"><is><t>CodeListKey.UsrDefCod</t></is></c></row>
                  <row><c r="A2" t="inlineStr"><is><t>REF</t></is></c></row>
                  <row><c r="B3" t="s"><v>99</v></c></row></sheetData></worksheet>)"}});
    const std::unique_ptr<RecordSource> source = openRecordSource(path);
    QList<CsvRecord> records;
    EXPECT_EQ(faultOf([&] { all(*source, &records); }),
              u"sheet CodeListKey, row 3: a cell names shared string 99, which the workbook does not hold"_s);
    ASSERT_EQ(fieldsOf(records),
              QList<QStringList>({{usrdef::kCode, u""_s, usrdef::kDescription},
                                  {u"A"_s, u"7"_s, u"Zo\u00eb"_s},
                                  {u"A"_s, u""_s, u"CR\r _x0041_ "_s},
                                  {u"CodeListKey.ListReference"_s, u"CodeListKey.UsrDefCod"_s},
                                  {u"REF"_s, u""_s}}));
    EXPECT_EQ(std::tuple(records.at(2).line, records.at(2).where), std::tuple(6, u"sheet Lists, row 6"_s));
    EXPECT_TRUE(headsHostTable(records.at(3)));

    // Files a spreadsheet offers besides: each named for what it is.
    const QString ods = dir.filePath(u"open.ods"_s);
    const QString xls = written(dir.filePath(u"old.xls"_s),
                                QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    writeZip(ods, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}});
    for (const auto& foreign :
         {std::pair(ods, u"is an OpenDocument spreadsheet"_s), {xls, u"is an Excel 97-2003 workbook"_s}}) {
        const QString fault = faultOf([&] { openRecordSource(foreign.first); });
        EXPECT_TRUE(fault.startsWith(foreign.first + u' ' + foreign.second)) << fault.toStdString();
    }
}

class SpreadsheetFiles : public test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (IsSkipped())
            return;
        refhost::seedDemoData(host());
        for (const QString& text : kHostile) {
            qint32 key = 0;
            ASSERT_TRUE(saveEntry(key,
                                  {usrdef::kCode, u"usrdefSeqCod"_s, usrdef::kDescription, u"usrdefADA"_s},
                                  {u"HOSTILE"_s, text, text, text}));
        }
    }
    static QByteArray exported(ReferenceHost& from, FileFormat format, bool byteOrderMark = false) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        exportLists(from, {}, format, buffer, {}, byteOrderMark);
        return buffer.data();
    }
    // The records of a CSV export without the keys, which an import makes anew.
    static QList<QStringList> content(const QByteArray& csv) {
        const QList<CsvRecord> records = readCsv(csv);
        const qsizetype hostTables = hostTablesStart(records);
        const qsizetype key = records.first().fields.indexOf(usrdef::kKey);
        QList<QStringList> rows = fieldsOf(records);
        for (qsizetype r = 0; r < hostTables; ++r)
            rows[r].removeAt(key);
        return rows;
    }
};
VV_ON_BOTH_ENGINES(SpreadsheetFiles);

// (A full disk, in every format: the program's exit statuses in ListToolsTest.)
TEST_P(SpreadsheetFiles, AWorkbookAndACsvFileCarryEveryTextIntoAnotherDatabase) {
    const QByteArray csv = exported(host(), FileFormat::Csv, true);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF" + usrdef::kCode.toUtf8()));
    const QString csvFile = written(m_folder.filePath(u"lists.csv"_s), csv);
    const QString workbook = written(m_folder.filePath(u"lists.xlsx"_s), exported(host(), FileFormat::Xlsx));
    const QList<CsvRecord> fromCsv = all(*openRecordSource(csvFile));
    const QList<CsvRecord> fromWorkbook = all(*openRecordSource(workbook));
    EXPECT_EQ(fieldsOf(fromWorkbook), fieldsOf(fromCsv));
    const qsizetype hostTables = hostTablesStart(fromWorkbook);
    EXPECT_EQ(fromWorkbook.value(hostTables).where, u"sheet CodeListKey, row 1"_s);

    for (const QString& file : {csvFile, workbook}) {
        auto other = test::TestDatabase::create(GetParam());
        ReferenceHost fresh(other->url(), nullptr, m_folder.path());
        importLists(fresh, *openRecordSource(file), {}); // the host's tables too, as content() compares them
        EXPECT_EQ(content(exported(fresh, FileFormat::Csv)), content(csv)) << file.toStdString();
    }

    // A spreadsheet saves every row, the headers too, padded to its widest one.
    QString padded;
    for (QStringList fields : fieldsOf(fromCsv)) {
        while (fields.size() < fromCsv.first().fields.size() + 2)
            fields << QString();
        appendCsvRecord(padded, fields.size(), [&](qsizetype f) { return fields.at(f); });
    }
    const ImportOptions dryRun{{}, true};
    EXPECT_EQ(importLists(host(), *csvRecords(padded.toUtf8()), dryRun).hostRows,
              importLists(host(), *csvRecords(csv), dryRun).hostRows);
}

} // namespace
