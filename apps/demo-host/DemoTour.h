#pragma once

#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>

class QTextStream;
class QWidget;

namespace vvdemo {

// Acts in the picker window as a person would while an entry point's modal
// window runs: each step waits until the window (and its condition) is there,
// then clicks rows or buttons. It uses only what any host can see: the
// window's widgets by object name and ordinary mouse events.
class PickerRobot final : public QObject {
public:
    using Ready = std::function<bool(QWidget* picker)>;
    using Act = std::function<void(QWidget* picker)>;

    void add(Ready ready, Act act);
    // Level's frame shows list (its caption names it) and takes input.
    static Ready showing(int level, const QString& list);
    // Clicks the rows of level whose description starts with one of rows, then OK.
    static Act chooseAndConfirm(int level, const QStringList& rows);
    // Presses keys (a letter, Space, Return ...) one after the other in level's grid.
    static Act pressKeys(int level, const QList<Qt::Key>& keys);
    // What went wrong ("" when every step ran); the window is closed then.
    const QString& failure() const { return m_failure; }

private:
    void schedule();
    void tick();

    std::deque<std::pair<Ready, Act>> m_steps;
    int m_waitedMs = 0;
    QString m_failure;
};

// Calls every entry point in turn through the desk's own fields and buttons,
// with answers a person might give in the pickers, and writes what each
// returned to out; with a folder, saves pictures of the desk and of a picker
// with nested levels there, one of them as the keyboard left it mid-way. Returns 0 when every call answered
// as the demo office says it should.
int runTour(viVavazuruv::ReferenceHost& host, QWidget& desk, QTextStream& out, const QString& pictureFolder);

} // namespace vvdemo
