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

const QString kUsage = uR"(Usage: vv-lists COMMAND URL [ARGUMENTS] [OPTIONS]

The user-defined lists of an office: export them, import a file, check them,
and their history of changes. URL is sqlite:PATH, or for PostgreSQL any
address libpq takes, best without a password (kept in ~/.pgpass or a
service file, where other users cannot read it):
    "service=office"                       a service of pg_service.conf
    postgresql://USER@HOST:PORT/DB         the password from ~/.pgpass
    postgresql://USER@HOST1,HOST2/DB?target_session_attrs=read-write
    "host=/var/run/postgresql dbname=DB"   the local socket (peer login)
    postgresql://                          what PGHOST, PGUSER, ... name
plus ?schema=NAME (or schema=NAME) for an office's own schema. Every command
but import refuses a PATH that does not exist and a database without %1;
import makes one (and removes a file it made for an import it refused).
export, check, history, verify and the dry runs only read: an SQLite file is
opened read-only in its own journal mode, nothing is made in the database,
and a PostgreSQL role with SELECT rights is enough (docs/list-tools.md).

vv-lists export URL [CODE...] [--office N] [--format csv|xlsx|json]
                [--output FILE] [--no-bom] [--quiet]
    Writes the lists CODE... (every list when none is named) as stored: every
    column of %1, ordered by list code then key, in UTF-8.
    --format csv   comma-separated values with a header row (the default),
                   after a byte order mark, so spreadsheets read UTF-8;
                   fields holding a comma, quote, CR or LF are quoted; a
                   field beginning with = + - @, a tab, CR or an apostrophe
                   gets an apostrophe before it, so no spreadsheet runs it as
                   a formula (import takes it off again: every text reads
                   back as it was)
    --format xlsx  a workbook to edit in a spreadsheet: every cell text and
                   every column formatted as text, so 007, 1/2, 50% or
                   =SUM(A1) stay as typed, also in a cell edited later
    --format json  an array with one object a row
    --no-bom       CSV without the byte order mark
    --output FILE  write to FILE (replaced only once the export is complete)
                   instead of standard output
    After the list rows come the rows of the host's tables that make these
    code lists work (CodeListKey, ListJoinWords, InsertEachItem,
    PipeVariableList): in CSV a header row naming one table's columns as
    TABLE.COLUMN, then its rows; in a workbook each table on a sheet of its
    own, headed the same way.

vv-lists import URL FILE [--office N] [--replace CODE] [--dry-run] [--quiet]
    Adds the rows of a list file ("-" for standard input), CSV or an xlsx
    workbook as export writes them (told apart by their content). Its header
    row names %1's columns; %2 and %3 are required. Keys
    are new and %4 is the office imported into, whatever the file says.
    Every row is checked first and a file with any fault is refused whole,
    naming its line; the import is one transaction.
    --replace CODE delete list CODE's rows in the office, then add the file's
                   rows of that list; the file's other rows are passed over
    --dry-run      check the file and tell what would be done; write nothing
    A description longer than %5 characters is refused, as a save refuses it,
    and so are a description ending with a bar (check's error) and a list
    code longer than %6 characters.
    The host's tables a file carries after its list rows are stored too.
    What a spreadsheet adds when it saves is passed over: byte order marks,
    empty rows, the empty fields it pads rows with. A file separated by
    semicolons or tabs is refused, naming its separator; a workbook's fault
    names its sheet and row.
    The whole file is checked before the database is opened to write, so a
    refused file changes no database, not even one without lists yet. Where
    the lists of several offices are kept and the office mode is not 7,
    import is refused unless --office names the office. --replace holds the
    list's lock until it commits: another import of the list waits for it
    (up to 5 s, PostgreSQL: the address's lock_timeout), then gives up.

vv-lists check URL [CODE...] [--office N] [--quiet]
    Reports what in the lists CODE... (every list when none is named) would
    not work, one finding a line: list code, key, error or warning, reason.
    Errors: a variable opening a list without rows, nested lists that lead
    back to themselves or go more than four levels deep, a description ending
    with a bar. Warnings: a list marked *M without variables, variables no
    list fills in a list not marked *M, a group code used twice in a list.

vv-lists history URL [CODE...] [--key N] [--since DATE] [--office N]
                 [--format csv|json] [--output FILE] [--quiet]
    Writes the recorded changes of %1, oldest first, one a line: every
    insert, update and delete, whoever made it (a picker, an import, another
    program). CSV columns: change, at (UTC), user, workstation, office,
    action (insert, update, delete), list, key, before, after (the row before
    and after the change, every column, as JSON text), account. user and
    workstation are the names the host claimed; account is who made the
    change as the database knows it (PostgreSQL: the session's role, which no
    workstation can claim; SQLite: the operating-system account of the host
    program, empty for another program). Seals the changes not sealed yet
    first where it may write (an SQLite file it may only read is read as it
    stands: its sealed changes). --format and --output as for export.
    CODE...        the changes of these lists only
    --key N        the changes of the row with key N only
    --since DATE   the changes made at DATE (YYYY-MM-DD, or
                   YYYY-MM-DDTHH:MM:SS; UTC) or later
vv-lists history URL --prune-before DATE [--quiet]
    Removes the changes made before DATE, oldest first, keeping the last
    removed change's hash as a checkpoint, so the rest still verifies. A
    history that does not verify is not pruned (exit 1).

vv-lists restore URL CHANGE [--office N] [--dry-run] [--quiet]
    Puts the row back as it stood before change number CHANGE: an update is
    undone, a deleted row comes back under its key, an inserted row goes. The
    row is written as a save writes it, and the restore is recorded as a
    change of its own. Refused (exit 1, with the reason) when the row moved on
    since: it changed or was deleted again, its key is in use again, the
    change is of another office.
    --dry-run      tell what would be done; write nothing

vv-lists verify URL [--expect HEAD|FILE]... [--office N] [--quiet]
    Seals the changes not sealed yet (as history does), then checks every
    sealed change against its SHA-256 hash, each taken over the change and
    the hash before it.
    Prints "history intact: N changes" and "head: CHANGE:HASH", where the
    chain ends now (exit 0), or names the first finding (exit 1): a change
    whose content or link to the change before does not match, an entry
    that cannot be read, an empty history beside lists that hold rows, a
    missing history table, or a row of the lists that is not as its last
    recorded change left it (changed, planted or deleted with the recording
    off).
    Keep the head outside the database (or let the host append every head
    to its anchor file): a history cut short, emptied or made again from the
    start then fails the next check.
    --expect HEAD  the chain must still hold this head, CHANGE:HASH as
                   printed; a FILE holds heads one a line (the host's anchor
                   file); heads older than a prune's checkpoint are passed over

vv-lists setup URL --owner ROLE --workstations ROLE [--readers ROLE]
    PostgreSQL: makes the host's tables in the URL's schema, or brings them up
    to date, then hands every table and function in it to the owner's role
    and grants the workstations' role what a workstation needs: read and
    write the lists and the host's tables; of the history, read it and run
    its seal. The history's triggers and seal run as the owner, so nothing a
    workstation may set or run turns recording off or alters, removes or
    reorders a change. The readers' role may read everything. Every other
    right on the schema's objects is taken from PUBLIC and those roles. Run it
    as a superuser or a member of the owner's role, again after an upgrade
    or a column added to %1; workstations then connect as their own role
    and the host makes nothing. Refused on SQLite, whose file's permissions
    decide who may read or change it.

Options of every command:
    --office N     work in office N only (office mode 7), as a workstation of
                   that office does; without it, as the database's options
                   say (setup works on every office and takes none)
    --quiet        no progress or summary on standard error
    -h, --help     this text
    -v, --version  the program's name and version

Exit status: 0 done; 1 check found errors, export was given a list the
office does not have (nothing is written), the import or restore was
refused, the history does not verify; 2 wrong arguments, a file that cannot
be read or written (standard output included: a full disk, a closed pipe),
a database error.
)"_s.arg(usrdef::kTable, usrdef::kCode, usrdef::kDescription, usrdef::kOffice)
                           .arg(refhost::kMaxDescriptionLength)
                           .arg(kMaxListCodeLength);

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
        return u"cannot write %1: %2"_s.arg(m_toFile ? m_file.fileName() : u"standard output"_s,
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
        return u"cannot write %1: %2"_s.arg(m_toFile ? m_file.fileName() : u"standard output"_s, reason);
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
        return fail(kFailed, u"cannot write standard output: %1"_s.arg(writeFailure(m_file, errno)));
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
        report.out() << kUsage;
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
