// vv-demo-host: a small office host around the component, to see how a host
// lends its database and services and calls the picker entry points.
//
//   vv-demo-host [--database URL] [--data-folder DIR] [--office N] [--fresh]
//                [--language CODE] [--smoke-test | --tour [--pictures DIR]]
//   vv-demo-host --help | --version
//
// Without --database it works on sqlite:<per-user data folder>/demo.db. An
// office without lists or patients is filled with the demo office first.
// Its windows and the component's speak the system's language, or CODE's.
// --tour calls every entry point with a person's answers played by a script
// and prints what came back, for machines without a display; it and
// --smoke-test take Qt's offscreen platform where there is none.
#include "DemoHostWindow.h"
#include "DemoTour.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/SeedData.h>
#include <viVavazuruv/Translations.h>
#include <viVavazuruv/UsrDefTable.h>
#include <viVavazuruv/wkDatabases.h>

#include <QApplication>
#include <QByteArrayView>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <exception>
#include <optional>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

// Exit codes: 1 the smoke test failed, 2 the database could not be used, or
// the desk has no display to show on.
constexpr int ExitNoAnswer = 1;
constexpr int ExitDatabase = 2;
constexpr int ExitNoDisplay = 2;

struct Options {
    QString url;
    QString dataFolder;
    std::optional<qint32> office;
    bool fresh = false;
    bool smokeTest = false;
    bool tour = false;
    QString pictures;
};

// A startup failure: shown to the person who started the demo, or only
// written to stderr when nobody is there to click a message box away.
class Reporter {
public:
    explicit Reporter(bool interactive) : m_interactive(interactive) {}

    void fail(const QString& title, const QString& text) const {
        QTextStream(stderr) << "vv-demo-host: " << text << '\n';
        if (m_interactive)
            QMessageBox::critical(nullptr, title, text);
    }

private:
    bool m_interactive;
};

QString demoHostTitle() {
    return QCoreApplication::translate("DemoHost", "viVavazuruv demo host");
}

// The CODE of --language CODE (or --language=CODE); none for the system's
// language. Read before the options are parsed, so that what parsing reports
// is in that language already.
std::optional<QString> languageArgument(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == u"--language"_s && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (argument.startsWith(u"--language="_s))
            return argument.mid(11);
    }
    return std::nullopt;
}

// Installs Qt's own catalogue (the standard buttons of message boxes) and the
// component's for the language; English needs neither. Says so when a
// language asked for by name has no catalogue.
void installLanguage(QTranslator& qt, QTranslator& component, const QStringList& arguments) {
    const std::optional<QString> code = languageArgument(arguments);
    const QLocale locale = code ? QLocale(*code) : QLocale::system();
    if (qt.load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
    if (LoadTranslation(component, locale))
        QCoreApplication::installTranslator(&component);
    else if (code && locale.language() != QLocale::English)
        QTextStream(stderr) << "vv-demo-host: no catalogue for \"" << *code << "\" in "
                            << TranslationsFolder() << "; the windows stay English\n";
}

// The SQLite file an address names, as the reference host reads it; "" for
// other engines and for an in-memory database.
QString sqliteFile(const QString& url) {
    const QString trimmed = url.trimmed();
    if (!trimmed.startsWith(u"sqlite:"_s, Qt::CaseInsensitive))
        return {};
    QString path = trimmed.mid(7);
    if (path.startsWith(u"//"_s))
        path = path.mid(2);
    return path == u":memory:"_s ? QString() : path;
}

// --fresh: starts from an empty file, journal files included, so a repeated
// smoke test never meets the previous run's lists.
bool removeSqliteFiles(const QString& path, QString& error) {
    for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s, u"-journal"_s}) {
        QFile file(path + suffix);
        if (file.exists() && !file.remove()) {
            error = QCoreApplication::translate("DemoHost", "Cannot remove \"%1\": %2")
                        .arg(file.fileName(), file.errorString());
            return false;
        }
    }
    return true;
}

qint64 officeRows(ReferenceHost& host, const QString& table) {
    QSqlQuery q(host.GetConnection());
    q.prepare(u"SELECT COUNT(*) FROM "_s + table + u" WHERE OfficeID = ?"_s);
    q.addBindValue(host.GetOfficeID());
    if (!q.exec() || !q.next())
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("DemoHost", "Cannot count the rows of %1: %2")
                                  .arg(table, q.lastError().text()));
    return q.value(0).toLongLong();
}

// Fills the demo office when it has nothing of its own yet; true when it did.
bool seedIfEmpty(ReferenceHost& host, bool ownOffice) {
    if (!ownOffice) {
        if (refhost::hasUserData(host))
            return false;
        refhost::seedDemoData(host);
        return true;
    }
    // Other offices may hold data already; replacing an office that has no
    // rows deletes nothing and lets the seed go ahead.
    if (officeRows(host, usrdef::kTable) > 0 || officeRows(host, u"paTable"_s) > 0)
        return false;
    refhost::seedDemoData(host, true);
    return true;
}

// The call CI makes to prove the demo starts: "V" is a group code of the demo
// credit card list, so the component answers from the list without a window.
int smokeTest(wkDatabases& component, bool seededNow) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A window here means the list did not answer; close it rather than wait
    // for a person who is not there.
    bool windowOpened = false;
    QTimer guard;
    guard.setInterval(100);
    QObject::connect(&guard, &QTimer::timeout, [&windowOpened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            windowOpened = true;
            modal->close();
        }
    });
    guard.start();

    QString tmp = u"V"_s;
    float top = 0.0f;
    float left = 0.0f;
    QString answer;
    try {
        answer = component.UDDBS_Credit_Card(tmp, top, left);
    } catch (const AutomationError& e) {
        err << "vv-demo-host: UDDBS_Credit_Card raised error " << e.code() << ": " << e.message() << '\n';
        return ExitNoAnswer;
    }
    out << "UDDBS_Credit_Card(\"V\") = \"" << answer << "\"\n";
    if (windowOpened) {
        err << "vv-demo-host: the picker window opened instead of answering from the list\n";
        return ExitNoAnswer;
    }
    if (answer.isEmpty()) {
        err << "vv-demo-host: the credit card list gave no answer for \"V\"\n";
        return ExitNoAnswer;
    }
    // On a database the demo filled itself the answer is known exactly.
    if (seededNow && answer != u"Visa"_s) {
        err << "vv-demo-host: the demo list answers \"V\" with \"Visa\", not \"" << answer << "\"\n";
        return ExitNoAnswer;
    }
    return 0;
}

std::optional<Options> parseOptions(const QCoreApplication& app, const Reporter& reporter) {
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Shows how a host uses the user-defined-lists component."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption database(
        u"database"_s,
        u"Database address: sqlite:PATH, or any PostgreSQL address libpq takes (\"service=office\", "
        u"postgresql://USER@HOST/DB, ...; the password from ~/.pgpass), plus ?schema=NAME "
        u"(default: sqlite:<per-user data folder>/demo.db)."_s,
        u"URL"_s);
    const QCommandLineOption dataFolder(
        u"data-folder"_s, u"Folder for window settings and letters (default: the per-user data folder)."_s,
        u"DIR"_s);
    const QCommandLineOption office(
        u"office"_s, u"Work as office N of a multi-office practice, with lists of its own (office mode 7)."_s,
        u"N"_s);
    const QCommandLineOption fresh(u"fresh"_s, u"Delete the SQLite database file first."_s);
    const QCommandLineOption smoke(u"smoke-test"_s,
                                   u"Open and fill the database, ask the credit card list for \"V\", print "
                                   u"the answer and exit (0 when there is one)."_s);
    const QCommandLineOption tour(u"tour"_s,
                                  u"Call every entry point, the dental code list and its composed note "
                                  u"included, with answers a script gives in the picker windows; print what "
                                  u"each returned and exit (0 when every answer is the expected one)."_s);
    const QCommandLineOption pictures(
        u"pictures"_s,
        u"With --tour: save pictures of the demo window and of a picker with nested levels in DIR."_s,
        u"DIR"_s);
    const QCommandLineOption language(
        u"language"_s,
        u"Show the windows in language CODE (de, es; en for English) instead of the system's."_s, u"CODE"_s);
    parser.addOptions({database, dataFolder, office, fresh, smoke, tour, pictures, language});
    parser.process(app);

    Options options;
    options.smokeTest = parser.isSet(smoke);
    options.tour = parser.isSet(tour);
    options.pictures = parser.value(pictures);
    options.fresh = parser.isSet(fresh);
    options.dataFolder = parser.value(dataFolder);
    if (!parser.positionalArguments().isEmpty()) {
        reporter.fail(demoHostTitle(),
                      QCoreApplication::translate("DemoHost", "Unexpected argument \"%1\"; see --help.")
                          .arg(parser.positionalArguments().first()));
        return std::nullopt;
    }
    if (parser.isSet(office)) {
        bool ok = false;
        const qint32 id = parser.value(office).toInt(&ok);
        if (!ok || id < 1) {
            reporter.fail(demoHostTitle(),
                          QCoreApplication::translate("DemoHost", "--office needs a number above 0."));
            return std::nullopt;
        }
        options.office = id;
    }
    if (parser.isSet(database)) {
        options.url = parser.value(database);
        if (ReferenceHost::addressHoldsSecret(options.url))
            std::fputs(
                qPrintable(u"vv-demo-host: "_s +
                           QCoreApplication::translate(
                               "DemoHost", "the database address holds a password, which every user of "
                                           "this computer can read while the program runs; keep it in "
                                           "~/.pgpass or a service file instead") +
                           u'\n'),
                stderr);
    } else {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        if (folder.isEmpty() || !QDir().mkpath(folder)) {
            reporter.fail(demoHostTitle(),
                          QCoreApplication::translate(
                              "DemoHost", "The data folder \"%1\" cannot be created; give --database.")
                              .arg(folder));
            return std::nullopt;
        }
        options.url = u"sqlite:"_s + folder + u"/demo.db"_s;
    }
    return options;
}

int run(QApplication& app) {
    // Settled before parsing, so --help and errors are quiet in a smoke test.
    const bool interactive =
        !app.arguments().contains(u"--smoke-test"_s) && !app.arguments().contains(u"--tour"_s);
    const Reporter reporter(interactive);
    const std::optional<Options> options = parseOptions(app, reporter);
    if (!options)
        return ExitDatabase;

    if (options->fresh) {
        const QString file = sqliteFile(options->url);
        QString error;
        if (file.isEmpty()) {
            reporter.fail(
                demoHostTitle(),
                QCoreApplication::translate("DemoHost", "--fresh works only with an sqlite: file address."));
            return ExitDatabase;
        }
        if (!removeSqliteFiles(file, error)) {
            reporter.fail(demoHostTitle(), error);
            return ExitDatabase;
        }
    }

    // One dialogs object for the host and the component, as a host with its
    // own message boxes would lend them both.
    const auto dialogs = CreateQtDialogs();
    std::shared_ptr<ReferenceHost> host;
    bool seededNow = false;
    try {
        host = ReferenceHost::Open(options->url, dialogs, options->dataFolder);
        if (options->office) {
            host->setOfficeMode(7);
            host->setOfficeID(*options->office);
        }
        seededNow = seedIfEmpty(*host, options->office.has_value());
    } catch (const AutomationError& e) {
        reporter.fail(QCoreApplication::translate("DemoHost", "Cannot open the database"),
                      QCoreApplication::translate("DemoHost", "%1\n\n(error %2)")
                          .arg(e.message(), QString::number(e.code())));
        return ExitDatabase;
    }

    // The component keeps the host objects component-wide; they are given back
    // before the host goes, so nothing outlives the application object.
    wkDatabases component;
    wkDatabases::SetDialogs(dialogs);
    component.QueryIGlobal()->put_GIC(host);
    struct Release {
        wkDatabases& component;
        ~Release() {
            component.put_GIC({});
            wkDatabases::SetDialogs({});
        }
    } release{component};

    if (seededNow)
        QTextStream(stdout) << "vv-demo-host: filled " << host->describe() << " (office "
                            << host->GetOfficeID() << ") with the demo office\n";

    // Built in the smoke test too, so a fault in the host's own queries shows there.
    vvdemo::DemoHostWindow window(host, component);
    if (options->smokeTest) {
        QTextStream(stdout) << "vv-demo-host: " << window.patientCount() << " patients in office "
                            << host->GetOfficeID() << '\n';
        if (seededNow && window.patientCount() == 0) {
            QTextStream(stderr)
                << "vv-demo-host: the patient chooser is empty after filling the demo office\n";
            return ExitNoAnswer;
        }
        return smokeTest(component, seededNow);
    }
    if (options->tour) {
        window.setQuiet(true);
        window.show();
        QTextStream out(stdout);
        return vvdemo::runTour(*host, window, out, options->pictures);
    }
    window.show();
    return QApplication::exec();
}

// Whether the arguments ask only for the usage or the version, which need no window.
bool asksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--")
            return false;
        if (argument == "-h" || argument == "-?" || argument == "--help" || argument == "--help-all" ||
            argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

// Whether the arguments ask for a run nobody watches: the smoke test or the tour.
bool runsUnattended(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--smoke-test" || argument == "--tour")
            return true;
    }
    return false;
}

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv) {
    QApplication::setOrganizationName(u"viVavazuruv"_s);
    QApplication::setApplicationName(u"vv-demo-host"_s);
    QApplication::setApplicationVersion(QStringLiteral(VIVAVAZURUV_VERSION));
    if (asksForHelpOrVersion(argc, argv)) {
        // A QApplication needs a display; the usage and the version do not.
        // The parser prints and exits; arguments it takes otherwise (such as a
        // --database named --help) go on to the window below.
        const QCoreApplication app(argc, argv);
        if (!parseOptions(app, Reporter(false)))
            return ExitDatabase;
    }
    // Without a display Qt aborts in QApplication. A smoke test or a tour has
    // nobody watching, so Qt's offscreen platform serves; the desk is for a
    // person, who is told in one line what it needs.
    if (!hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (!runsUnattended(argc, argv)) {
            QTextStream(stderr) << "vv-demo-host: no display to show the desk on: set DISPLAY (or "
                                   "WAYLAND_DISPLAY), or give --tour or --smoke-test, which need none\n";
            return ExitNoDisplay;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTranslator qtTexts;
    QTranslator componentTexts;
    installLanguage(qtTexts, componentTexts, QApplication::arguments());
    QApplication::setApplicationDisplayName(demoHostTitle());
    try {
        return run(app);
    } catch (const std::exception& e) {
        // The host's own code failed outside any call; say so instead of aborting.
        QTextStream(stderr) << "vv-demo-host: " << QString::fromLocal8Bit(e.what()) << '\n';
        return ExitDatabase;
    }
}
