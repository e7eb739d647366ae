// vv-lists on both engines: export and import keep a whole office, a bad file
// changes nothing, --replace replaces one list (one file's rows when two run
// at once), the reading commands write nothing, and check finds each fault.
#include <refhost/RefhostSupport.h>

#include "ListCheck.h"
#include "ListExport.h"
#include "ListImport.h"
#include "RecordSource.h"

#include <viVavazuruv/ListHistory.h>
#include <viVavazuruv/SeedData.h>

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <array>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using namespace viVavazuruv::lists;

namespace {

class ListTools : public test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (!IsSkipped())
            refhost::seedDemoData(host());
    }

    QByteArray exported(FileFormat format = FileFormat::Csv, const QStringList& codes = {}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        exportLists(host(), codes, format, buffer);
        return buffer.data();
    }
    // The file's records without the key and office columns, which an import sets anew.
    static QList<QStringList> content(const QByteArray& csv) {
        QList<QStringList> rows;
        for (CsvRecord& r : readCsv(csv))
            rows << r.fields.mid(0, 6);
        return rows;
    }
    // A program (vv-lists unless told) run with args: its exit status, standard output and error.
    static std::tuple<int, QString, QString> run(const QStringList& args, const QString& outputFile = {},
                                                 const char* program = VV_LISTS_PROGRAM) {
        QProcess process;
        if (!outputFile.isEmpty())
            process.setStandardOutputFile(outputFile);
        process.start(QString::fromUtf8(program), args);
        EXPECT_TRUE(process.waitForFinished(120000)) << args.join(u' ').toStdString();
        return std::tuple(process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                          QString::fromUtf8(process.readAllStandardError()));
    }
    // Its exit status and standard output.
    static std::pair<int, QString> output(const QStringList& args) {
        const auto [status, out, error] = run(args);
        return std::pair(status, out);
    }
    // Writes bytes to a new file at path, and gives the path.
    static QString written(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }
    qint64 count(const QString& where = u"1 = 1"_s) {
        return scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE "_s + where);
    }
    ImportSummary import(const QByteArray& file, const ImportOptions& options = {},
                         ReferenceHost* into = nullptr) {
        return importLists(into ? *into : host(), *csvRecords(file), options);
    }
    // The fault importing file raises, checked to have changed nothing.
    QString refusal(const QByteArray& file, const ImportOptions& options = {},
                    ReferenceHost* into = nullptr) {
        const qint64 before = count();
        try {
            import(file, options, into);
        } catch (const FileFault& fault) {
            EXPECT_EQ(count(), before);
            return fault.text();
        }
        return u"imported"_s;
    }
};
VV_ON_BOTH_ENGINES(ListTools);

// Into another database the file brings the host's list tables, and the
// import is recorded; into another office of this one every row and column.
TEST_P(ListTools, ExportImportKeepsEveryRowAndColumnInAnotherDatabaseAndAnotherOffice) {
    const QString awkward = u" \"Quoted\", comma;\r\nline break, Zoë 🦷 "_s;
    qint32 key = 0;
    saveEntry(key, {u"UsrDefCod"_s, u"usrdefSeqCod"_s, u"usrdefDes"_s, u"usrdefLetNam"_s},
              {u"NOTES"_s, u" A,"_s, awkward, u"x\"y.rtf"_s});
    const QByteArray office1 = exported();
    ASSERT_TRUE(office1.startsWith("UsrDefCod,usrdefSeqCod,usrdefDes,usrdefCDSDRWFla,usrdefADA,usrdefLetNam,"
                                   "usrdefInd,OfficeID\r\n"));

    auto other = test::TestDatabase::create(GetParam());
    ReferenceHost fresh(other->url(), nullptr, m_folder.path());
    fresh.setLoginName(u"ADMIN"_s);
    import(office1, {}, &fresh); // (its host tables and texts: SpreadsheetFilesTest)
    const QList<ListChange> changes = ListHistory(fresh).changes({{u"ALERT"_s}, {}, {}, {}});
    ASSERT_EQ(changes.size(), count(u"UsrDefCod = 'ALERT'"_s));
    EXPECT_TRUE(std::all_of(changes.begin(), changes.end(), [](const ListChange& c) {
        return c.action == u"insert"_s && c.user == u"ADMIN"_s && c.after.contains(u"\"usrdefDes\""_s);
    }));

    const qint64 rows = count();
    useOffice(host(), 2);
    EXPECT_EQ(import(office1).added, rows);
    EXPECT_EQ(content(exported()), content(office1));
    EXPECT_GT(scalar(u"SELECT MIN(usrdefInd) FROM UsrDefTable WHERE OfficeID = 2"_s), key);
    const QJsonArray json = QJsonDocument::fromJson(exported(FileFormat::Json)).array();
    const auto notes = [&](const QJsonValue& row) {
        return row[u"usrdefDes"_s] == awkward && row[u"usrdefLetNam"_s] == u"x\"y.rtf"_s &&
               row[u"OfficeID"_s] == 2;
    };
    EXPECT_TRUE(json.size() == rows && std::count_if(json.begin(), json.end(), notes) == 1);
}

TEST_P(ListTools, ABadFileIsRefusedWholeNamingItsLine) {
    // Line 3 starts a record that goes on over line 4; the fault is on line 7.
    const QByteArray good = "UsrDefCod,usrdefSeqCod,usrdefDes\n"
                            "ALERT,N1,One\n"
                            "ALERT,N2,\"Two\nlines\"\r\n"
                            "ALERT,N3,Three\n"
                            "ALERT,N4,Four\n";
    const struct {
        const char* fault;
        QByteArray line7;
    } cases[] = {
        {"a NUL character", QByteArray("ALERT,N5,bad\0text", 17)},
        {"a quote in an unquoted field", "ALERT,N5,bad\"text"},
        {"text after a closing quote", "ALERT,N5,\"bad\"text"},
        {"a field too few", "ALERT,N5"},
        {"a list code no request finds", "ärzte,N5,text"},
        {"a host table's header without its columns", "CodeListKey.ListReference,CodeListKey.Code"},
        {"no list code", ",N5,text"},
        {"a description ending with a bar, which check reports", "ALERT,N5,Told |"},
        {"a list code too long to keep", "ALERT" + QByteArray(100000, 'X') + ",N5,text"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(refusal(good + c.line7 + "\nALERT,N9,Nine\n").startsWith(u"line 7: "_s)) << c.fault;
    // Rows are written in batches as they are read; those before the fault go with the transaction.
    QByteArray many = "UsrDefCod,usrdefDes\n";
    for (int row = 0; row < 1000; ++row)
        many += "BULK,Row " + QByteArray::number(row) + '\n';
    EXPECT_TRUE(refusal(many + "BULK,ends |\n").startsWith(u"line 1002: "_s));
}

TEST_P(ListTools, ReplaceSwapsOneListOfOneOfficeAndADryRunWritesNothing) {
    const QByteArray file = "usrdefdes,UsrDefCod,usrdefInd\n"
                            "#1 upper right,teeth,77\n"
                            "Not this one,ALERT,78\n"
                            "#2 upper right,TEETH,79\n";
    useOffice(host(), 2);
    import("UsrDefCod,usrdefDes\nTEETH,office two\n");
    useOffice(host(), 1);
    const qint64 alerts = count(u"UsrDefCod = 'ALERT'"_s);

    const ImportSummary dry = import(file, {u"TEETH"_s, true});
    EXPECT_EQ(std::tuple(dry.deleted, dry.added, dry.passedOver), std::tuple(32, 2, 1));
    EXPECT_EQ(count(u"UsrDefCod = 'TEETH'"_s), 33);

    // Outside office mode 7 nothing says which office is meant: refused, rather than all of them.
    const auto plain = anotherHost();
    EXPECT_TRUE(refusal(file, {u"TEETH"_s, false}, plain.get())
                    .contains(u"lists of offices 1, 2 and its office mode"_s));

    import(file, {u"TEETH"_s, false});
    EXPECT_EQ(load(u"TEETH"_s, u"usrdefDes"_s),
              QStringList({u"#1 upper right"_s, u"#2 upper right"_s, u"office two"_s}));
    // Columns the file leaves out hold "" as the picker's rows do.
    EXPECT_EQ(count(u"UsrDefCod = 'TEETH' AND (usrdefSeqCod IS NULL OR usrdefLetNam IS NULL)"_s), 0);
    EXPECT_EQ(count(u"UsrDefCod = 'ALERT'"_s), alerts);
    EXPECT_THROW(import(file, {u"SHADES"_s, false}), FileFault); // nothing to replace it with
}

TEST_P(ListTools, CheckFindsNothingInTheDemoOfficeAndEachSeededFaultOnce) {
    for (const QString& list : {u"XRAY"_s, u"LOOP"_s, u"LV2"_s, u"LV3"_s, u"LV4"_s, u"LV5"_s})
        host().setPipeVariable(list, list);
    QStringList fiveLevels;
    for (int level = 1; level <= 5; ++level)
        fiveLevels << u"LV%1\t%1\t"_s.arg(level) + (level < 5 ? u"|LV%1"_s.arg(level + 1) : u"five"_s);
    const QString tooDeep = u"LV1\t{0}\terror\t4 levels deep: LV1 > LV2 > LV3 > LV4 > LV5"_s;
    // {N} is the key of the case's row N, {pen} that of the demo's PEN row.
    const struct {
        QStringList rows; // each "list\tgroup\tdescription"
        QStringList expected;
        QStringList codes = {}; // the lists checked; all when empty
    } cases[] = {
        {{u"PROCS\tXR1\tX-ray of |XRAY"_s}, {u"PROCS\t{0}\terror\tXRAY, which has no rows"_s}},
        {{u"INTO\tI\tInto |LOOP"_s, u"LOOP\tL\tAgain |LOOP"_s},
         {u"INTO\t{0}\terror\tloop: INTO > LOOP"_s, u"LOOP\t{1}\terror\tback to it: LOOP > LOOP"_s}},
        // Nested lists are followed through lists not asked for; LV2 itself is four deep.
        {fiveLevels, {tooDeep}, {u"lv1"_s, u"LV2"_s}},
        {{u"MNOTE\t*m\t$-Notes"_s, u"MNOTE\tN1\tA plain note"_s},
         {u"MNOTE\t{0}\twarning\tno entry holds a variable"_s}},
        {{u"ALERT\tPN\tTold |PN"_s}, {u"ALERT\t{0}\twarning\t|PN opens no list"_s}},
        {{u"ALERT\tpen\tPenicillin again"_s}, {u"ALERT\t{0}\twarning\tgroup pen is also on key {pen}"_s}},
        {{u"ALERT\tBAR\tEnds with a bar |"_s}, {u"ALERT\t{0}\terror\tends with a bar"_s}},
    };
    for (const auto& c : cases) {
        refhost::seedDemoData(host(), true);
        QStringList expected = c.expected;
        for (qsizetype r = 0; r < c.rows.size(); ++r) {
            qint32 key = 0;
            saveEntry(key, {u"UsrDefCod"_s, u"usrdefSeqCod"_s, u"usrdefDes"_s}, c.rows[r].split(u'\t'));
            expected.replaceInStrings(u"{%1}"_s.arg(r), QString::number(key));
        }
        expected.replaceInStrings(
            u"{pen}"_s, value(u"SELECT usrdefInd FROM UsrDefTable WHERE usrdefSeqCod = 'PEN'"_s).toString());
        // Each finding's list, key and weight, and the key words of its text.
        const QList<Finding> found = checkLists(host(), c.codes);
        ASSERT_EQ(found.size(), expected.size()) << expected.join(u'\n').toStdString();
        for (qsizetype i = 0; i < found.size(); ++i) {
            const qsizetype text = expected[i].lastIndexOf(u'\t') + 1;
            EXPECT_TRUE(found[i].line().startsWith(expected[i].left(text)) &&
                        found[i].line().contains(expected[i].mid(text)))
                << found[i].line().toStdString();
        }
    }
}

// The host's tables travel only for the lists they concern.
TEST_P(ListTools, OneListCarriesOnlyItsOwnRowsOfTheHostsTables) {
    const QString file = QString::fromUtf8(exported(FileFormat::Csv, {u"surfaces"_s}));
    EXPECT_TRUE(file.contains(u"ListJoinWords.ListCode,"_s) && file.contains(u"\r\nSURFACES,"_s) &&
                !file.contains(u"\r\nTEETH,"_s))
        << file.toStdString();

    host().setListJoinWords(u"TEETH"_s, u"+"_s, u"+"_s, u"+"_s, u"+"_s);
    const QByteArray both =
        "UsrDefCod,usrdefDes\nTEETH,#1\nALERT,Latex\n"
        "ListJoinWords.ListCode,ListJoinWords.JoinBetween,ListJoinWords.JoinBeforeLast,"
        "ListJoinWords.JoinAfterLast,ListJoinWords.CodeJoin\nALERT,;,;,;,;\nTEETH,/,/,/,/\n";
    EXPECT_EQ(import(both, {u"ALERT"_s, false}).hostRows, 1);
    QString between, beforeLast, afterLast, codeJoin;
    host().ListJoinWords(u"TEETH"_s, between, beforeLast, afterLast, codeJoin);
    EXPECT_EQ(between, u"+"_s); // another list's words are passed over with its rows
    host().ListJoinWords(u"ALERT"_s, between, beforeLast, afterLast, codeJoin);
    EXPECT_EQ(between, u";"_s);
}

// A column the host does not create takes SaveRecord's conversions; a
// description holds 255 characters, in a file as through the host.
TEST_P(ListTools, AColumnGoesInAsItsTypeWantsAndADescriptionUpToItsLength) {
    m_db->exec(u"ALTER TABLE UsrDefTable ADD COLUMN Fee numeric(9,2)"_s);
    import("UsrDefCod,usrdefDes,Fee\nFEES,Exam,45.50\nFEES,Free,\n");
    EXPECT_EQ(value(u"SELECT Fee FROM UsrDefTable WHERE usrdefDes = 'Exam'"_s).toDouble(), 45.5);
    EXPECT_TRUE(value(u"SELECT Fee FROM UsrDefTable WHERE usrdefDes = 'Free'"_s).isNull());
    EXPECT_TRUE(refusal("UsrDefCod,usrdefDes,Fee\nFEES,Cheap,1\nFEES,Dear,lots\n").startsWith(u"line 3: "_s));

    const QByteArray longest(kMaxDescriptionLength, 'x');
    EXPECT_EQ(
        refusal("UsrDefCod,usrdefDes\nALERT," + longest + "\nALERT," + longest + "y\n"),
        u"line 3: the description is 256 characters long; a list entry's description holds 255 at most"_s);
    test::expectError([&] { addEntry(u"ALERT"_s, QString::fromLatin1(longest + 'y')); },
                      ErrorCode::InvalidProcedureCall, u"255 at most"_s);
}

// The program itself: its exit statuses and one-line errors.
TEST_P(ListTools, TheProgramExitsWithTwoForUsageOneForFindingsAndRefusals) {
    QTemporaryDir dir;
    const QString bad = written(dir.filePath(u"bad.csv"_s), "UsrDefCod,usrdefDes\nALERT,\"open\n");
    // A copy of a database in use, taken before anything was in it.
    written(dir.filePath(u"empty.db"_s), {});
    const QString url = m_db->url();
    const struct {
        QStringList args;
        int status;
        QString error;
    } cases[] = {
        {{u"check"_s, url}, 0, u"errors: 0, warnings: 0 (office 1)"_s},
        {{u"check"_s, url, u"NOLIST"_s}, 1, u"errors: 1, warnings: 0"_s},
        {{u"export"_s}, 2, u"export takes a database address"_s},
        {{u"export"_s, url, u"--format"_s, u"xml"_s}, 2, u"--format is csv or json"_s},
        {{u"import"_s, url, bad, u"--office"_s, u"0"_s}, 2, u"--office needs a number above 0"_s},
        {{u"list"_s}, 2, u"unknown command"_s},
        {{u"check"_s, u"sqlite:"_s + dir.filePath(u"typo.db"_s)}, 2, u"there is no database file"_s},
        {{u"export"_s, u"sqlite:"_s + dir.filePath(u"empty.db"_s)}, 2, u"holds no user-defined lists"_s},
        {{u"import"_s, u"sqlite:"_s + dir.filePath(u"new.db"_s), bad}, 1, u"line 2"_s},
        {{u"restore"_s, url, u"999999"_s}, 1, u"there is no change 999999"_s},
        {{u"history"_s, url, u"--since"_s, u"yesterday"_s}, 2, u"is not a date"_s},
        {{u"export"_s, url, u"ALERT"_s, u"NOLIST"_s}, 1, u"office 1 has no list NOLIST"_s},
    };
    for (const auto& c : cases) {
        const auto [status, out, error] = run(c.args);
        EXPECT_EQ(status, c.status) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(error.startsWith(u"vv-lists: "_s) && error.contains(c.error) && error.count(u'\n') == 1)
            << error.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(u"new.db"_s))); // a refused import leaves no database behind
    // Standard output that takes nothing is a failure named as such, never a success, in every format.
    for (const QString& command : {u"export URL"_s, u"export URL --format xlsx"_s,
                                   u"export URL --format json"_s, u"verify URL"_s, u"--help"_s}) {
        const QStringList args = command.split(u' ').replaceInStrings(u"URL"_s, url);
        const auto [status, out, error] = run(args, u"/dev/full"_s);
        EXPECT_TRUE(status == 2 && error.contains(u"Writing to standard output failed: the disk is full"_s))
            << args.join(u' ').toStdString() << ": " << error.toStdString();
    }

    const qint64 changes = scalar(u"SELECT COUNT(*) FROM UsrDefHistory"_s);
    const QString head =
        u"%1:%2"_s.arg(scalar(u"SELECT MAX(SealNo) FROM UsrDefHistory"_s))
            .arg(value(u"SELECT Hash FROM UsrDefHistory ORDER BY SealNo DESC LIMIT 1"_s).toString());
    EXPECT_EQ(output({u"verify"_s, url}),
              std::pair(0, u"history intact: %1 changes\nhead: %2\n"_s.arg(changes).arg(head)));
    // The head kept outside: given as it was printed, or in a file of heads.
    const QString anchors =
        written(dir.filePath(u"anchors.txt"_s),
                (u"# heads\n"_s + QString(head).replace(u':', u' ') + u" 2026-12-07T10:00:00Z\n"_s).toUtf8());
    EXPECT_EQ(
        output({u"verify"_s, url, u"--expect"_s, head, u"--expect"_s, anchors, u"--office"_s, u"1"_s}).first,
        0);
    EXPECT_EQ(output({u"verify"_s, url, u"--expect"_s, u"7:nothex"_s}).first, 2);
    const auto [status, csv] = output({u"history"_s, url, u"SXTITLE"_s, u"--key"_s, u"1"_s});
    EXPECT_EQ(status, 0);
    // Who made it as the database knows it, whatever $USER says: the role, or the account of the process.
    const passwd* self = getpwuid(geteuid());
    const QString account = postgres() ? value(u"SELECT session_user"_s).toString()
                                       : QString::fromLocal8Bit(self ? self->pw_name : "");
    EXPECT_TRUE(
        csv.startsWith(u"change,at,user,workstation,office,action,list,key,before,after,account\r\n"_s) &&
        csv.count(u"\r\n"_s) == 2 && csv.contains(u",insert,SXTITLE,1,,"_s) &&
        csv.endsWith(u"}\","_s + account + u"\r\n"_s) && !account.isEmpty())
        << csv.toStdString();
    const auto [jsonStatus, json] = output({u"history"_s, url, u"--key"_s, u"1"_s, u"--format"_s, u"json"_s});
    const QJsonObject first = QJsonDocument::fromJson(json.toUtf8()).array().first().toObject();
    EXPECT_TRUE(jsonStatus == 0 && first[u"before"_s].isNull() &&
                first[u"after"_s][u"usrdefSeqCod"_s] ==
                    value(u"SELECT usrdefSeqCod FROM UsrDefTable WHERE usrdefInd = 1"_s).toString())
        << json.toStdString();
    EXPECT_EQ(output({u"history"_s, url, u"--prune-before"_s, u"2999-01-01"_s, u"--quiet"_s}).first, 0);
    // Pruned: the head is the checkpoint's, and it still proves the same chain.
    EXPECT_EQ(output({u"verify"_s, url, u"--expect"_s, anchors}),
              std::pair(0, u"history intact: 0 changes\nhead: %1\n"_s.arg(head)));

    // The newest change deleted by hand: a check against the kept head finds it gone.
    m_db->exec(u"INSERT INTO UsrDefTable (UsrDefCod, usrdefDes) VALUES ('ALERT', 'Latex')"_s);
    const auto [verified, said] = output({u"verify"_s, url});
    const QString newest = said.section(u"head: "_s, 1).trimmed();
    EXPECT_EQ(verified, 0) << said.toStdString();
    m_db->exec(u"DELETE FROM UsrDefHistory WHERE SealNo = (SELECT MAX(SealNo) FROM UsrDefHistory)"_s);
    const auto [removed, nothing, error] = run({u"verify"_s, url, u"--expect"_s, newest});
    EXPECT_TRUE(removed == 1 && error.contains(u"changes were removed from its end"_s))
        << newest.toStdString() << error.toStdString();
}

// Two replaces of one list started together: the second waits for the
// first's lock, so the list ends with one file's rows, never both.
TEST_P(ListTools, TwoReplacesOfOneListAtOnceLeaveOneFilesRows) {
    constexpr int kRows = 10000;
    QTemporaryDir dir;
    std::array<QProcess, 2> imports;
    for (int i = 0; i < 2; ++i) {
        const QByteArray from(1, "ab"[i]);
        QByteArray csv = "UsrDefCod,usrdefDes\n";
        for (int row = 0; row < kRows; ++row)
            csv += "BULK," + from + QByteArray::number(row) + '\n';
        const QString file = written(dir.filePath(QString::fromLatin1(from) + u".csv"_s), csv);
        imports[i].setProgram(QStringLiteral(VV_LISTS_PROGRAM));
        imports[i].setArguments({u"import"_s, m_db->url(), file, u"--replace"_s, u"BULK"_s, u"--quiet"_s});
    }
    for (QProcess& import : imports)
        import.start();
    for (QProcess& import : imports) {
        ASSERT_TRUE(import.waitForFinished(120000));
        EXPECT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    }
    EXPECT_EQ(count(u"UsrDefCod = 'BULK'"_s), kRows);
    EXPECT_EQ(count(u"UsrDefCod = 'BULK' AND usrdefDes LIKE 'a%'"_s) % kRows, 0);
}

// The reading commands read a database as it stands: an SQLite file in its
// own journal mode in a folder nobody may write, a PostgreSQL role with
// SELECT alone; a dry run and a refused import leave an unrelated database
// without a table of the host's.
TEST_P(ListTools, TheReadingCommandsWriteNothing) {
    QTemporaryDir dir;
    const QString good = written(dir.filePath(u"good.csv"_s), "UsrDefCod,usrdefDes\nALERT,Latex\n");
    const QString bad =
        written(dir.filePath(u"bad.csv"_s), "UsrDefCod,usrdefDes\nALERT,Latex\nALERT,ends |\n");
    ListHistory(host()).seal(); // as the host seals after its writes: nothing waits for a writer
    QString url;
    QByteArray before;
    const auto bytesOf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QDir copies(dir.filePath(u"copies"_s));
    const QString schema = QUrlQuery(QUrl(m_db->url())).queryItemValue(u"schema"_s);
    const QString reader = u"reader_"_s + schema;
    if (postgres()) {
        m_db->exec(u"CREATE ROLE %1 LOGIN PASSWORD 'pw-reader'"_s.arg(reader));
        m_db->exec(u"GRANT USAGE ON SCHEMA %1 TO %2"_s.arg(schema, reader));
        m_db->exec(u"GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %2"_s.arg(schema, reader));
        QUrl as(m_db->url());
        as.setUserName(reader);
        as.setPassword(u"pw-reader"_s);
        url = as.toString();
    } else {
        ASSERT_TRUE(QDir(dir.path()).mkdir(u"copies"_s));
        const QString path = copies.filePath(u"lists.db"_s);
        m_db->exec(u"VACUUM INTO '%1'"_s.arg(path)); // a file in rollback-journal mode, not WAL
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(copies.path(), QFile::ReadOwner | QFile::ExeOwner);
        before = bytesOf(path);
        ASSERT_EQ(before.mid(18, 2), QByteArray("\1\1"));
        url = u"sqlite:"_s + path;
    }
    const QList<QStringList> reading{{u"export"_s, url},     {u"export"_s, url, u"ALERT"_s},
                                     {u"check"_s, url},      {u"history"_s, url},
                                     {u"verify"_s, url},     {u"import"_s, url, good, u"--dry-run"_s},
                                     {u"import"_s, url, bad}};
    for (const QStringList& args : reading) {
        const auto [status, out, error] = run(args + QStringList{u"--quiet"_s});
        EXPECT_EQ(status, args.contains(bad) ? 1 : 0) << args.join(u' ').toStdString() << error.toStdString();
    }
    if (postgres()) {
        m_db->exec(u"DROP OWNED BY %1"_s.arg(reader));
        m_db->exec(u"DROP ROLE %1"_s.arg(reader));
    } else {
        EXPECT_TRUE(bytesOf(url.mid(7)) == before);
        EXPECT_EQ(copies.entryList(QDir::Files), QStringList{u"lists.db"_s});
        QFile::setPermissions(copies.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // An unrelated database: a dry run and a refused file leave it as it was.
    auto other = test::TestDatabase::create(GetParam());
    other->exec(u"CREATE TABLE Other (Id integer)"_s);
    EXPECT_EQ(std::get<0>(run({u"import"_s, other->url(), good, u"--dry-run"_s})), 0);
    EXPECT_EQ(std::get<0>(run({u"import"_s, other->url(), bad})), 1);
    QSqlQuery tables(other->db());
    EXPECT_TRUE(tables.exec(postgres()
                                ? u"SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                                  u"current_schema()"_s
                                : u"SELECT COUNT(*) FROM sqlite_master"_s) &&
                tables.next() && tables.value(0).toInt() == 1);
}

// The DefaultProvider option is every office's: seeding a second office leaves it naming the first's
// provider.
TEST_P(ListTools, SeedingAnotherOfficeKeepsTheSharedDefaultProvider) {
    const qint32 provider = host().GetDefaultProvider();
    ASSERT_GT(provider, 0);
    const auto [status, out, error] =
        run({u"--force"_s, u"--office"_s, u"2"_s, m_db->url()}, {}, VV_SEED_PROGRAM);
    EXPECT_EQ(status, 0) << error.toStdString();
    EXPECT_EQ(count(u"OfficeID = 2"_s), count(u"OfficeID = 1"_s));
    EXPECT_EQ(anotherHost()->GetDefaultProvider(), provider);
}

} // namespace
