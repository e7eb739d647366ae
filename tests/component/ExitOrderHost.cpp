// A host that touches the component before anything else, puts a reference
// host over SQLite and leaves without putting null: the process must still
// exit cleanly, whatever order the libraries' statics go in.
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    viVavazuruv::wkDatabases::SetDialogs(nullptr);
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    viVavazuruv::wkDatabases component;
    component.put_GIC(viVavazuruv::ReferenceHost::Open(
        QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("office.db")), {}, folder.path()));
    return 0;
}
