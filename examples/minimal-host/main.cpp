// minimal-host: the smallest complete host of the component.
//
//   minimal-host [URL]
//
// Opens URL (sqlite:PATH or postgresql://...) through the reference host, or a
// throwaway SQLite file without one, fills it with the demo office when it
// holds no lists or patients, lends the host to the component and asks the
// credit card list for "V". A caller's value that is a group code of the list
// is answered from the list, without a window. The component is created twice:
// as a linked class, and by ProgID as a host that does not link it would.
// Exits 0 only when both answer "Visa". Without a display it runs on Qt's
// offscreen platform.
#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ComponentLoader.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/SeedData.h>
#include <viVavazuruv/wkDatabases.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

using namespace viVavazuruv;

namespace {

QString askCreditCard(_wkDatabases& component) {
    QString tmp = QStringLiteral("V"); // in: the value to look up; out: the choice
    float top = 0;
    float left = 0;
    return component.UDDBS_Credit_Card(tmp, top, left);
}

} // namespace

int main(int argc, char** argv) {
    // The request below is answered without a window, so a machine without a
    // display is no reason to stop: Qt's offscreen platform will do, unless
    // the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The picker is a Qt window: the component needs a QApplication even when
    // it answers without one.
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    // A real host passes its own database and its installation's data folder
    // (window settings and letter files live there).
    QTemporaryDir folder;
    const QString url = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("office.db"));
    int failures = 0;
    try {
        auto host = ReferenceHost::Open(url, CreateQtDialogs(), folder.path());
        if (!refhost::hasUserData(*host)) {
            const refhost::SeedSummary seeded = refhost::seedDemoData(*host);
            out << "filled " << host->describe() << " with " << seeded.lists << " demo lists\n";
        }

        // Route 1: the host links the library and creates the class.
        wkDatabases linked;
        linked.put_GIC(host);
        const QString byLink = askCreditCard(linked);
        out << "linked:  UDDBS_Credit_Card(\"V\") = \"" << byLink << "\"\n";

        // Route 2: by ProgID. The host objects are component-wide, so this
        // instance already sees the host put above; putting it again is harmless.
        auto loaded = ComponentLoader({QStringLiteral(VIVAVAZURUV_COMPONENT_DIR)})
                          .CreateObject(QString::fromLatin1(kProgId));
        loaded->QueryIGlobal()->put_GIC(host);
        const QString byProgId = askCreditCard(*loaded);
        out << "ProgID:  UDDBS_Credit_Card(\"V\") = \"" << byProgId << "\"\n";

        // Given back before the host object goes.
        loaded->QueryIGlobal()->put_GIC({});

        for (const QString& answer : {byLink, byProgId}) {
            if (answer != QStringLiteral("Visa"))
                ++failures;
        }
    } catch (const AutomationError& e) {
        err << "minimal-host: error " << e.code() << ": " << e.message() << '\n';
        return 1;
    }
    if (failures > 0) {
        err << "minimal-host: the demo credit card list answers \"V\" with \"Visa\"\n";
        return 1;
    }
    return 0;
}
