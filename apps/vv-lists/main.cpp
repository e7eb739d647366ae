// vv-lists: an office administrator's tool for the user-defined lists:
// export them to a file, import a file into an office, check them for
// entries that would not work, and read, verify, prune and restore from
// their history. See usage() or vv-lists --help.
#include "HistoryTool.h"
#include "ListCheck.h"
#include "ListExport.h"
#include "ListImport.h"
#include "RecordSource.h"
#include "TextOutput.h"
#include "Usage.h"

#include <MadeDatabaseFile.h>
#include <viVavazuruv/AutomationError.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using namespace viVavazuruv::lists;
using viVavazuruv::tools::missingFile;
using viVavazuruv::tools::sqliteFile;

namespace {

constexpr int kRefused = 1; // check errors, a refused import
constexpr int kFailed = 2;  // usage, files, the database

struct Command {
    QString name;
    QStringList options; // besides --help, and --format for export
    int fixedArguments;  // URL, and FILE for import
    bool moreArguments;  // CODE...
};

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

// Where a command writes: the --output file, written whole or not at all, or
// standard output. open() and commit() give "" or the reason.
class OutputTarget {
public:
    explicit OutputTarget(const QCommandLineParser& parser)
        : m_toFile(parser.isSet(u"output"_s)), m_file(parser.value(u"output"_s)) {}
    QString open() {
        if (m_toFile ? m_file.open(QIODevice::WriteOnly) : m_standard.open(stdout, QIODevice::WriteOnly))
            return {};
        return u"Writing to %1 failed: %2"_s.arg(m_toFile ? m_file.fileName() : u"standard output"_s,
                                                 m_toFile ? m_file.errorString() : m_standard.errorString());
    }
    QIODevice& device() { return m_toFile ? static_cast<QIODevice&>(m_file) : m_standard; }
    // Standard output is flushed and checked too: a pipe or a disk that
    // refuses the last bytes is a failure, never a success. A file's last
    // bytes are written before the commit, which passes over a failure to
    // write them and would put an empty file in place.
    QString commit() {
        errno = 0;
        if (m_toFile ? m_file.flush() && m_file.commit() : m_standard.flush())
            return {};
        const QString reason = writeFailure(device(), errno);
        if (m_toFile)
            m_file.cancelWriting();
        return u"Writing to %1 failed: %2"_s.arg(m_toFile ? m_file.fileName() : u"standard output"_s, reason);
    }
    bool toFile() const { return m_toFile; }
    QString fileName() const { return m_file.fileName(); }

private:
    bool m_toFile;
    QSaveFile m_file;
    QFile m_standard;
};

int fail(int status, const QString& message) {
    // One line, whatever the driver's message spans.
    err() << "vv-lists: " << message.simplified() << Qt::endl;
    return status;
}

// Standard output for a command's report: status once the text is written
// out, or the failure when it could not be (a full disk, a closed pipe).
class Report {
public:
    Report() { m_file.open(stdout, QIODevice::WriteOnly); }
    QTextStream& out() { return m_out; }
    int finish(int status) {
        errno = 0;
        m_out.flush();
        if (m_out.status() == QTextStream::Ok && m_file.flush() && m_file.error() == QFileDevice::NoError)
            return status;
        return fail(kFailed, u"Writing to standard output failed: %1"_s.arg(writeFailure(m_file, errno)));
    }

private:
    QFile m_file;
    QTextStream m_out{&m_file};
};

// history and verify seal the changes not sealed yet first. PostgreSQL's
// seal runs where the role may; on SQLite it takes a file the tool may
// write, opened as a host opens it, and only when anything waits for it: a
// copy the tool may only read, or one with nothing to seal, is read as it stands.
std::unique_ptr<ReferenceHost> openHistory(const QString& url) {
    auto host = std::make_unique<ReferenceHost>(url, nullptr, QString(), ReferenceHost::Tables::ReadOnly);
    const std::optional<QString> path = sqliteFile(url);
    if (!path || !changesWaitForSeal(*host))
        return host;
    const QFileInfo file(*path);
    if (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable())
        return host;
    host.reset();
    return std::make_unique<ReferenceHost>(url, nullptr, QString(), ReferenceHost::Tables::MustExist);
}

std::optional<qint32> officeOption(const QCommandLineParser& parser) {
    if (!parser.isSet(u"office"_s))
        return std::nullopt;
    bool ok = false;
    const int office = parser.value(u"office"_s).toInt(&ok);
    if (!ok || office < 1)
        throw std::invalid_argument("--office needs a number above 0");
    return office;
}

Progress progressTo(bool quiet, const QString& done) {
    if (quiet)
        return {};
    return [done](qint64 rows) {
        err() << "vv-lists: " << rows << " rows " << done << Qt::endl;
    };
}

int exportCommand(const QCommandLineParser& parser, const QStringList& args) {
    const QString format = parser.value(u"format"_s);
    if (format != u"csv"_s && format != u"json"_s && format != u"xlsx"_s)
        return fail(kFailed, u"--format is csv or json, or xlsx for a spreadsheet, not \"%1\""_s.arg(format));
    ReferenceHost host(args.first(), {}, {}, ReferenceHost::Tables::ReadOnly);
    useOffice(host, officeOption(parser));

    OutputTarget output(parser);
    if (const QString error = output.open(); !error.isEmpty())
        return fail(kFailed, error);
    QIODevice& out = output.device();
    const bool quiet = parser.isSet(u"quiet"_s);
    const qint64 rows = exportLists(host, args.mid(1),
                                    format == u"json"_s   ? FileFormat::Json
                                    : format == u"xlsx"_s ? FileFormat::Xlsx
                                                          : FileFormat::Csv,
                                    out, progressTo(quiet, u"exported"_s), !parser.isSet(u"no-bom"_s));
    if (const QString error = output.commit(); !error.isEmpty())
        return fail(kFailed, error);
    if (!quiet)
        err() << "vv-lists: " << rows << " rows exported from office " << host.GetOfficeID()
              << (output.toFile() ? u" to "_s + output.fileName() : QString()) << Qt::endl;
    return 0;
}

// The database an import goes into, when it holds the lists already: opened
// to read only, so a check changes nothing; none for a database without
// lists (or a file not there), which an import makes its tables in.
std::unique_ptr<ReferenceHost> listsDatabase(const QString& url) {
    if (missingFile(url))
        return nullptr;
    try {
        return std::make_unique<ReferenceHost>(url, nullptr, QString(), ReferenceHost::Tables::ReadOnly);
    } catch (const AutomationError&) {
        return nullptr; // no lists yet, or no connection: the opening to write tells which
    }
}

int importCommand(const QCommandLineParser& parser, const QStringList& args) {
    const QString& url = args.first();
    QString path = args.at(1);
    ImportOptions options;
    if (parser.isSet(u"replace"_s))
        options.replace = parser.value(u"replace"_s);
    options.dryRun = parser.isSet(u"dry-run"_s);
    const bool quiet = parser.isSet(u"quiet"_s);
    const std::optional<qint32> office = officeOption(parser);
    const auto refused = [&](const FileFault& fault) {
        return fail(kRefused, u"%1 refused, nothing imported: %2"_s.arg(args.at(1), fault.text()));
    };

    // The file is checked whole before the database is opened to write (which
    // makes the host's tables and sets its journal as a host does), so a
    // refused file leaves any database as it was. Standard input is kept
    // aside to be read twice.
    std::unique_ptr<ReferenceHost> reader = listsDatabase(url);
    QTemporaryFile kept;
    if (path == u"-"_s && !options.dryRun) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly) || !kept.open())
            return fail(kFailed, u"cannot keep standard input aside: %1"_s.arg(kept.errorString()));
        for (QByteArray piece; !(piece = in.read(1 << 20)).isEmpty();)
            if (kept.write(piece) != piece.size())
                return fail(kFailed, u"cannot keep standard input aside in %1: %2"_s.arg(
                                         kept.fileName(), writeFailure(kept, errno)));
        if (!kept.flush())
            return fail(kFailed, u"cannot keep standard input aside in %1: %2"_s.arg(
                                     kept.fileName(), writeFailure(kept, errno)));
        path = kept.fileName();
    }
    ImportSummary summary;
    qint32 into = office.value_or(1); // a new database's first office
    try {
        if (reader) {
            useOffice(*reader, office);
            into = reader->GetOfficeID();
        }
        const std::unique_ptr<RecordSource> file = openRecordSource(path);
        ImportOptions check = options;
        check.dryRun = true;
        summary = reader ? importLists(*reader, *file, check) : checkListFile(*file, check);
    } catch (const FileFault& fault) {
        return refused(fault);
    }
    reader.reset(); // its connection is not needed again

    if (!options.dryRun) {
        // A database file made for an import that is refused or fails goes again.
        tools::MadeDatabaseFile made{missingFile(url)};
        std::optional<ReferenceHost> database;
        database.emplace(url);
        useOffice(*database, office);
        try {
            const std::unique_ptr<RecordSource> file = openRecordSource(path);
            summary = importLists(*database, *file, options, progressTo(quiet, u"added"_s));
        } catch (const FileFault& fault) {
            database.reset(); // the file is closed before it goes
            return refused(fault);
        } catch (...) {
            database.reset();
            throw;
        }
        into = database->GetOfficeID();
        made.keep = true;
    }

    QString done = options.replace
                       ? u"list %1 in office %2: %3 rows deleted, %4 added"_s.arg(*options.replace)
                             .arg(into)
                             .arg(summary.deleted)
                             .arg(summary.added)
                       : u"%1 rows to office %2"_s.arg(summary.added).arg(into);
    if (summary.passedOver > 0)
        done += u"; %1 rows of other lists passed over"_s.arg(summary.passedOver);
    if (summary.hostRows > 0)
        done += u"; %1 rows of the host's list tables"_s.arg(summary.hostRows);
    if (options.dryRun) {
        Report report;
        report.out() << "The file holds " << summary.rowsInFile << " rows, all fit to import. An import "
                     << "would " << (options.replace ? "replace " : "add ") << done
                     << ". Nothing was written.\n";
        return report.finish(0);
    }
    if (!quiet)
        err() << "vv-lists: " << (options.replace ? "replaced " : "added ") << done << Qt::endl;
    return 0;
}

int checkCommand(const QCommandLineParser& parser, const QStringList& args) {
    ReferenceHost host(args.first(), {}, {}, ReferenceHost::Tables::ReadOnly);
    useOffice(host, officeOption(parser));
    const QList<Finding> findings = checkLists(host, args.mid(1));
    Report report;
    qsizetype errors = 0;
    for (const Finding& f : findings) {
        report.out() << f.line() << '\n';
        errors += f.severity == Finding::Severity::Error;
    }
    const int status = report.finish(errors > 0 ? kRefused : 0);
    if (!parser.isSet(u"quiet"_s) && status != kFailed)
        err() << "vv-lists: errors: " << errors << ", warnings: " << findings.size() - errors << " (office "
              << host.GetOfficeID() << ")" << Qt::endl;
    return status;
}

std::optional<qint32> keyOption(const QCommandLineParser& parser) {
    if (!parser.isSet(u"key"_s))
        return std::nullopt;
    bool ok = false;
    const int key = parser.value(u"key"_s).toInt(&ok);
    if (!ok)
        throw std::invalid_argument("--key needs a number");
    return key;
}

int historyCommand(const QCommandLineParser& parser, const QStringList& args) {
    const std::unique_ptr<ReferenceHost> opened =
        parser.isSet(u"prune-before"_s) ? std::make_unique<ReferenceHost>(args.first(), nullptr, QString(),
                                                                          ReferenceHost::Tables::MustExist)
                                        : openHistory(args.first());
    ReferenceHost& host = *opened;
    useOffice(host, officeOption(parser));
    ListHistory history(host);
    const bool quiet = parser.isSet(u"quiet"_s);
    if (parser.isSet(u"prune-before"_s)) {
        if (args.size() > 1 || parser.isSet(u"key"_s) || parser.isSet(u"since"_s) ||
            parser.isSet(u"output"_s))
            return fail(kFailed, u"--prune-before takes no list codes, --key, --since or --output"_s);
        try {
            const qint64 removed = history.pruneBefore(parser.value(u"prune-before"_s));
            if (!quiet)
                err() << "vv-lists: " << removed << " changes made before " << parser.value(u"prune-before"_s)
                      << " removed" << Qt::endl;
            return 0;
        } catch (const RestoreRefused& refused) {
            return fail(kRefused, refused.reason());
        }
    }
    const QString format = parser.value(u"format"_s);
    if (format != u"csv"_s && format != u"json"_s)
        return fail(kFailed, u"--format is csv or json, not \"%1\""_s.arg(format));
    ChangeFilter filter;
    filter.lists = args.mid(1);
    filter.key = keyOption(parser);
    filter.since = parser.value(u"since"_s);
    OutputTarget output(parser);
    if (const QString error = output.open(); !error.isEmpty())
        return fail(kFailed, error);
    QIODevice& out = output.device();
    const qint64 changes =
        writeHistory(history, filter, format == u"json"_s ? FileFormat::Json : FileFormat::Csv, out);
    if (const QString error = output.commit(); !error.isEmpty())
        return fail(kFailed, error);
    if (!quiet)
        err() << "vv-lists: " << changes << " changes" << Qt::endl;
    return 0;
}

int restoreCommand(const QCommandLineParser& parser, const QStringList& args) {
    bool ok = false;
    const qint64 change = args.at(1).toLongLong(&ok);
    if (!ok || change < 1)
        return fail(kFailed, u"restore takes a change number, not \"%1\""_s.arg(args.at(1)));
    ReferenceHost host(args.first(), {}, {},
                       parser.isSet(u"dry-run"_s) ? ReferenceHost::Tables::ReadOnly
                                                  : ReferenceHost::Tables::MustExist);
    useOffice(host, officeOption(parser));
    ListHistory history(host);
    try {
        const bool dryRun = parser.isSet(u"dry-run"_s);
        const QString done = history.restore(change, dryRun);
        if (dryRun) {
            Report report;
            report.out() << "A restore of change " << change << " would do this: " << done
                         << ". Nothing was written.\n";
            return report.finish(0);
        }
        if (!parser.isSet(u"quiet"_s))
            err() << "vv-lists: restored change " << change << ": " << done << Qt::endl;
        return 0;
    } catch (const RestoreRefused& refused) {
        return fail(kRefused, u"change %1 cannot be restored: %2"_s.arg(change).arg(refused.reason()));
    }
}

// The heads --expect names: each a head itself, or a file of heads (one a
// line, as the host's anchor file keeps them; blank lines and # comments
// passed over). Raises std::invalid_argument naming what it cannot read.
QList<HistoryHead> expectedHeads(const QStringList& values) {
    QList<HistoryHead> heads;
    for (const QString& value : values) {
        if (const auto head = HistoryHead::parse(value)) {
            heads << *head;
            continue;
        }
        QFile file(value);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            throw std::invalid_argument(
                u"--expect takes CHANGE:HASH or a file of heads; \"%1\" is neither"_s.arg(value)
                    .toStdString());
        for (qint64 line = 1; !file.atEnd(); ++line) {
            const QString text = QString::fromUtf8(file.readLine()).trimmed();
            if (text.isEmpty() || text.startsWith(u'#'))
                continue;
            const auto head = HistoryHead::parse(text);
            if (!head)
                throw std::invalid_argument(
                    u"line %1 of %2 is not a head (CHANGE HASH)"_s.arg(line).arg(value).toStdString());
            heads << *head;
        }
    }
    return heads;
}

int setupCommand(const QCommandLineParser& parser, const QStringList& args) {
    if (!parser.isSet(u"owner"_s) || !parser.isSet(u"workstations"_s))
        return fail(kFailed, u"setup takes --owner ROLE and --workstations ROLE"_s);
    ReferenceHost host(args.first(), {}, {}, ReferenceHost::Tables::Create);
    const QString done = ListHistory(host).setUpRoles(
        {parser.value(u"owner"_s), parser.value(u"workstations"_s), parser.value(u"readers"_s)});
    if (!parser.isSet(u"quiet"_s))
        err() << "vv-lists: " << done << Qt::endl;
    return 0;
}

int verifyCommand(const QCommandLineParser& parser, const QStringList& args) {
    const QList<HistoryHead> expected = expectedHeads(parser.values(u"expect"_s));
    const std::unique_ptr<ReferenceHost> opened = openHistory(args.first());
    ReferenceHost& host = *opened;
    useOffice(host, officeOption(parser));
    const HistoryCheck check = ListHistory(host).verify(expected);
    if (!check.intact)
        return fail(kRefused, u"history broken: "_s + check.reason);
    Report report;
    report.out() << "history intact: " << check.changes << " changes\n";
    if (check.head.change > 0)
        report.out() << "head: " << check.head.text() << '\n';
    if (check.prunedHeads > 0 && !parser.isSet(u"quiet"_s))
        err() << "vv-lists: " << check.prunedHeads << " expected heads lie before the pruned part and were "
              << "not checked" << Qt::endl;
    return report.finish(0);
}

// The lists export names that the office does not have, as a finding: a
// typed code must not pass for a list that is empty. "" when all are there.
QString missingLists(const QCommandLineParser& parser, const QStringList& args) {
    if (args.size() < 2)
        return {};
    ReferenceHost host(args.first(), {}, {}, ReferenceHost::Tables::ReadOnly);
    useOffice(host, officeOption(parser));
    QStringList missing;
    for (const QString& code : args.mid(1))
        if (!listHasRows(host, code))
            missing << code;
    if (missing.isEmpty())
        return {};
    return u"office %1 has no list %2; nothing exported"_s.arg(host.GetOfficeID()).arg(missing.join(u", "_s));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the SQL drivers load only once this exists
    QCoreApplication::setApplicationName(u"vv-lists"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(VIVAVAZURUV_VERSION));
    const QStringList arguments = QCoreApplication::arguments();
    const QString name = arguments.value(1);
    const auto printUsage = [] {
        Report report;
        report.out() << usage();
        return report.finish(0);
    };
    if (name == u"-h"_s || name == u"--help"_s || name == u"help"_s)
        return printUsage();
    const auto printVersion = [] {
        Report report;
        report.out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
                     << '\n';
        return report.finish(0);
    };
    if (name == u"-v"_s || name == u"--version"_s)
        return printVersion();

    const QList<Command> commands{
        {u"export"_s, {u"office"_s, u"output"_s, u"quiet"_s}, 1, true},
        {u"import"_s, {u"office"_s, u"replace"_s, u"dry-run"_s, u"quiet"_s}, 2, false},
        {u"check"_s, {u"office"_s, u"quiet"_s}, 1, true},
        {u"history"_s,
         {u"office"_s, u"output"_s, u"key"_s, u"since"_s, u"prune-before"_s, u"quiet"_s},
         1,
         true},
        {u"restore"_s, {u"office"_s, u"dry-run"_s, u"quiet"_s}, 2, false},
        {u"verify"_s, {u"expect"_s, u"office"_s, u"quiet"_s}, 1, false},
        {u"setup"_s, {u"owner"_s, u"workstations"_s, u"readers"_s, u"quiet"_s}, 1, false},
    };
    const auto command =
        std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == name; });
    if (command == commands.end())
        return fail(
            kFailed,
            (name.isEmpty() ? u"no command given"_s : u"unknown command \"%1\""_s.arg(name)) +
                u"; vv-lists --help lists export, import, check, history, restore, verify and setup"_s);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    for (const QString& option : command->options) {
        const bool takesValue = option != u"quiet"_s && option != u"dry-run"_s;
        parser.addOption(takesValue ? QCommandLineOption(option, QString(), option.toUpper())
                                    : QCommandLineOption(option, QString()));
    }
    if (command->name == u"export"_s || command->name == u"history"_s)
        parser.addOption(QCommandLineOption(u"format"_s, QString(), u"FORMAT"_s, u"csv"_s));
    if (command->name == u"export"_s)
        parser.addOption(QCommandLineOption(u"no-bom"_s, QString()));
    QStringList rest = arguments;
    rest.removeAt(1);
    if (!parser.parse(rest))
        return fail(kFailed, parser.errorText().chopped(parser.errorText().endsWith(u'.') ? 1 : 0) +
                                 u"; vv-lists --help tells the options"_s);
    if (parser.isSet(u"help"_s))
        return printUsage();
    if (parser.isSet(u"version"_s))
        return printVersion();
    const QStringList args = parser.positionalArguments();
    if (args.size() < command->fixedArguments ||
        (!command->moreArguments && args.size() > command->fixedArguments))
        return fail(kFailed, command->name == u"import"_s ? u"import takes a database address and a file"_s
                             : command->name == u"restore"_s
                                 ? u"restore takes a database address and a change number"_s
                             : command->name == u"verify"_s || command->name == u"setup"_s
                                 ? u"%1 takes a database address"_s.arg(command->name)
                                 : u"%1 takes a database address, then list codes if "
                                   u"any"_s.arg(command->name));
    if (ReferenceHost::addressHoldsSecret(args.first()))
        QTextStream(stderr) << u"vv-lists: the database address holds a password, which every user of this "
                               u"computer can read while the program runs; keep it in ~/.pgpass or a service "
                               u"file instead\n"_s;
    if (const auto path = missingFile(args.first()); path && command->name != u"import"_s)
        return fail(kFailed, u"there is no database file %1"_s.arg(*path));

    try {
        if (command->name == u"export"_s) {
            if (const QString missing = missingLists(parser, args); !missing.isEmpty())
                return fail(kRefused, missing);
            return exportCommand(parser, args);
        }
        if (command->name == u"import"_s)
            return importCommand(parser, args);
        if (command->name == u"history"_s)
            return historyCommand(parser, args);
        if (command->name == u"restore"_s)
            return restoreCommand(parser, args);
        if (command->name == u"verify"_s)
            return verifyCommand(parser, args);
        if (command->name == u"setup"_s)
            return setupCommand(parser, args);
        return checkCommand(parser, args);
    } catch (const AutomationError& e) {
        return fail(kFailed, e.message());
    } catch (const std::invalid_argument& e) {
        return fail(kFailed, QString::fromUtf8(e.what()));
    }
}
