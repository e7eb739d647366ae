// vv-seed: fills an empty database with the reference host's demo office.
//
//   vv-seed [--force] [--office N] URL
//   vv-seed --help | --version
//
// URL is sqlite:PATH or any PostgreSQL address libpq takes, plus ?schema=NAME.
// A database that already holds lists or patients is left alone unless
// --force is given; then the office's lists and patients are replaced.
// The DefaultProvider option is every office's: a seed keeps one that names
// another office's provider. A database file made for a seed that fails is
// removed again.
// Exit status, as vv-lists's: 0 filled; 1 refused, the database holding lists
// or patients already; 2 wrong arguments, or a database that cannot be
// opened or written.
#include <MadeDatabaseFile.h>
#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/SeedData.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSqlQuery>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

constexpr int ExitRefused = 1;
constexpr int ExitUsage = 2;    // wrong arguments
constexpr int ExitDatabase = 2; // the address, the connection, a statement

// The office of the provider DefaultProvider names, if that provider is there.
std::optional<qint32> officeOfProvider(ReferenceHost& host, const QString& provider) {
    QSqlQuery q(host.GetConnection());
    q.prepare(u"SELECT OfficeID FROM paTable WHERE pID = ?"_s);
    q.addBindValue(provider.toInt());
    if (!q.exec() || !q.next())
        return std::nullopt;
    return q.value(0).toInt();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the SQL drivers load only once this exists
    QCoreApplication::setApplicationName(u"vv-seed"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(VIVAVAZURUV_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Fills an empty database with demo lists, providers and patients."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption force(u"force"_s,
                                   u"Replace the office's lists and patients if there are any."_s);
    const QCommandLineOption office(u"office"_s,
                                    u"Office to fill (default: the database's OfficeID option)."_s, u"N"_s);
    parser.addOption(force);
    parser.addOption(office);
    parser.addPositionalArgument(u"url"_s, u"sqlite:PATH, or any PostgreSQL address libpq takes "
                                           u"(\"service=office\", postgresql://USER@HOST/DB, ...; the "
                                           u"password from ~/.pgpass), plus ?schema=NAME"_s);
    // QCommandLineParser::process would exit 1 on an unknown option; a wrong
    // argument is 2 here, whichever it is.
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "vv-seed: " << parser.errorText() << "\n\n" << parser.helpText();
        return ExitUsage;
    }
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s))
        parser.showHelp(0);
    if (parser.isSet(u"version"_s))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        err << "vv-seed: give exactly one database address\n\n" << parser.helpText();
        return ExitUsage;
    }
    int id = 0;
    if (parser.isSet(office)) {
        bool ok = false;
        id = parser.value(office).toInt(&ok);
        if (!ok || id < 1) {
            err << "vv-seed: --office needs a number above 0\n";
            return ExitUsage;
        }
    }
    if (ReferenceHost::addressHoldsSecret(args.first()))
        err << "vv-seed: the database address holds a password, which every user of this computer can "
               "read while the program runs; keep it in ~/.pgpass or a service file instead\n";
    // A database file made for a seed that fails goes again, closed first.
    viVavazuruv::tools::MadeDatabaseFile made{viVavazuruv::tools::missingFile(args.first())};
    std::unique_ptr<ReferenceHost> opened;
    try {
        opened = std::make_unique<ReferenceHost>(args.first());
    } catch (const AutomationError& e) {
        err << "vv-seed: " << e.message() << '\n';
        return ExitDatabase;
    }
    ReferenceHost& host = *opened;
    try {
        if (id > 0)
            host.setOfficeID(id);
        // The one refusal: lists or patients are there already. Any other
        // failure is the database's.
        if (!parser.isSet(force) && refhost::hasUserData(host)) {
            err << "vv-seed: the database already holds lists or patients; use --force to replace the "
                   "office's lists and patients\n";
            return ExitRefused;
        }
        const QString provider = host.option(u"DefaultProvider"_s);
        const auto summary = refhost::seedDemoData(host, parser.isSet(force));
        if (const auto office = officeOfProvider(host, provider); office && *office != host.GetOfficeID())
            host.setOption(u"DefaultProvider"_s, provider);
        made.keep = true;
        out << "Filled " << host.describe() << " (office " << host.GetOfficeID() << "): " << summary.lists
            << " lists with " << summary.listEntries << " entries, " << summary.providers << " providers, "
            << summary.patients << " patients.\n";
        out.flush();
        if (out.status() != QTextStream::Ok || fflush(stdout) != 0) {
            err << "vv-seed: the database was filled, but standard output could not be written\n";
            return ExitDatabase;
        }
        return 0;
    } catch (const AutomationError& e) {
        opened.reset(); // closed before a file made for it goes
        err << "vv-seed: " << e.message() << '\n';
        return ExitDatabase;
    }
}
