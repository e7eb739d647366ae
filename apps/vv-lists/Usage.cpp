#include "Usage.h"

#include "ListTable.h"

#include <viVavazuruv/UsrDefTable.h>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

QString usage() {
    return uR"(Usage: vv-lists COMMAND URL [ARGUMENTS] [OPTIONS]

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
}

} // namespace viVavazuruv::lists
