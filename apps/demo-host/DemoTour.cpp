#include "DemoTour.h"

#include "AnswerBox.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/IDialogs.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace vvdemo {

namespace {

constexpr int kTickMs = 30;
constexpr int kPatienceMs = 10000;

// The answers of a person who knows what the tour wants: Yes to questions,
// the next prepared text to a prompt, no letter file.
class TourDialogs final : public IDialogs {
public:
    qint32 MessageBox(const QString&, qint32 flags, const QString&) override {
        return (flags & 7) == MsgBox::YesNo || (flags & 7) == MsgBox::YesNoCancel ? MsgBox::AnswerYes
                                                                                  : MsgBox::AnswerOk;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return typed; }
    std::optional<QString> OpenFile(const QString&, const QString&, qint32) override { return std::nullopt; }
    void Beep() override {}
    QString typed;
};

void click(QWidget* target, QPoint at) {
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

QString suffix(int level) {
    return u"_"_s + QString::number(level);
}

} // namespace

void PickerRobot::add(Ready ready, Act act) {
    m_steps.emplace_back(std::move(ready), std::move(act));
    if (m_steps.size() == 1)
        schedule();
}

void PickerRobot::schedule() {
    // A new single shot each time: a step that opens a nested level waits in
    // a nested event loop, where a running timer would not fire again.
    QTimer::singleShot(kTickMs, this, [this] { tick(); });
}

PickerRobot::Ready PickerRobot::showing(int level, const QString& list) {
    return [=](QWidget* picker) {
        const auto* frame = picker->findChild<QGroupBox*>(u"Uddbs_Frame"_s + suffix(level));
        const auto* grid = picker->findChild<QWidget*>(u"uddbs_SS"_s + suffix(level));
        return frame && grid && frame->isVisible() && grid->isEnabled() && frame->title().contains(list);
    };
}

PickerRobot::Act PickerRobot::chooseAndConfirm(int level, const QStringList& rows) {
    return [=](QWidget* picker) {
        auto* view = picker->findChild<QWidget*>(u"uddbs_SS"_s + suffix(level))->findChild<QTableView*>();
        const QAbstractItemModel* model = view->model();
        for (const QString& wanted : rows) {
            for (int r = 0; r < model->rowCount(); ++r) {
                const QModelIndex cell = model->index(r, 1);
                if (cell.data().toString().startsWith(wanted)) {
                    view->scrollTo(cell);
                    click(view->viewport(), view->visualRect(cell).center());
                    break;
                }
            }
        }
        auto* ok = picker->findChild<QPushButton*>(u"cmd_Select"_s + suffix(level));
        click(ok, ok->rect().center());
    };
}

PickerRobot::Act PickerRobot::pressKeys(int level, const QList<Qt::Key>& keys) {
    return [=](QWidget* picker) {
        // Straight to the level's grid: where the focus lies is the window's
        // business, and the answers must not hang on it.
        auto* view = picker->findChild<QWidget*>(u"uddbs_SS"_s + suffix(level))->findChild<QTableView*>();
        for (const Qt::Key key : keys) {
            const QString text = key < Qt::Key_Escape ? QString(QChar(key)).toLower() : QString();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(view, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(view, &release);
        }
    };
}

void PickerRobot::tick() {
    if (m_steps.empty())
        return;
    QWidget* picker = QApplication::activeModalWidget();
    const bool isPicker = picker && picker->objectName() == u"wkDatabases_Form"_s;
    if (!isPicker || !m_steps.front().first(picker)) {
        if ((m_waitedMs += kTickMs) > kPatienceMs) {
            m_failure = u"the picker never got to the step %1 from the end"_s.arg(m_steps.size());
            m_steps.clear();
            if (isPicker)
                picker->close();
            return;
        }
        schedule();
        return;
    }
    m_waitedMs = 0;
    auto [ready, act] = std::move(m_steps.front());
    m_steps.pop_front();
    if (!m_steps.empty())
        schedule();
    act(picker);
}

namespace {

// The code-list window remembers its size and place; a desk that never opened
// it gets one wide enough for its columns, as a person would have dragged it.
void prepareCodeListWindow(ReferenceHost& host, const QString& list) {
    const QString path =
        host.GetHostPath() + u"Stp/"_s + host.LayoutFileName(list, {}).section(u'.', 0, 0) + u".STP"_s;
    if (QFile::exists(path) || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(" 4215 , 6600 , 10500 , 900 , 1500 \r\n"); // marker, height, width, top, left in twips
}

template <class T> T* child(QWidget& desk, const QString& name) {
    T* widget = desk.findChild<T*>(name);
    if (!widget)
        throw AutomationError(ErrorCode::InvalidProcedureCall, u"the desk has no control "_s + name);
    return widget;
}

} // namespace

int runTour(ReferenceHost& host, QWidget& desk, QTextStream& out, const QString& pictureFolder) {
    auto dialogs = std::make_shared<TourDialogs>();
    host.setDialogs(dialogs);
    wkDatabases::SetDialogs(dialogs);
    prepareCodeListWindow(host, u"PROCS"_s);
    if (!pictureFolder.isEmpty())
        QDir().mkpath(pictureFolder);

    // One call of the desk: its fields as a person fills them, the picker steps, the answer expected.
    struct Stop {
        QString row;       // the desk row's object-name prefix
        QString fields;    // what is typed: "name=value;..." (a check box takes 0 or 1, a combo its index)
        QStringList picks; // rows chosen on level 0 ("" for none: answered from the list)
        QString expected;
    };
    const std::vector<Stop> stops{
        {u"creditCard"_s, u"creditCardTmp=V"_s, {}, u"Visa"_s},
        {u"creditCard"_s, u"creditCardTmp="_s, {u"MasterCard"_s}, u"MasterCard"_s},
        {u"sexTitle"_s, u"sexTitleTmp=MRS;sexTitleFlag=0"_s, {}, u"Mrs."_s},
        {u"sexTitle"_s, u"sexTitleTmp=;sexTitleFlag=1"_s, {u"Dr."_s}, u"Dr."_s},
        {u"medAlert"_s, u"medAlertTmp="_s, {u"Diabetes"_s, u"Pacemaker"_s}, u"Diabetes, Pacemaker"_s},
        {u"selection"_s, u"selectionList=PROCS;selectionMulti=1"_s, {u"Periodic exam"_s}, u"Periodic exam"_s},
        {u"oneChoice"_s,
         u"oneChoiceList=DOCLIST;oneChoiceShowLetter=1"_s,
         {u"Welcome"_s},
         u"Welcome to the practice"_s},
        {u"codeList"_s,
         u"codeListCode=||PROCS;codeListShowCode=1"_s,
         {u"Scaling and root planing"_s},
         u"Scaling and root planing, quadrant upper right D4341."_s},
        {u"codeList"_s,
         u"codeListCode=|PROCS;codeListShowCode=1"_s,
         {u"Composite filling on"_s},
         u"Composite filling on #14 upper left first molar: mesial and occlusal surfaces; composite resin, "
         u"shade A2 D2391."_s},
    };
    dialogs->typed = u"upper right"_s;

    int wrong = 0;
    for (const Stop& stop : stops) {
        PickerRobot robot;
        QString answer, outputs;
        try {
            for (const QString& field : stop.fields.split(u';')) {
                const QString name = field.section(u'=', 0, 0), value = field.section(u'=', 1);
                if (auto* edit = desk.findChild<QLineEdit*>(name))
                    edit->setText(value);
                else if (auto* box = desk.findChild<QCheckBox*>(name))
                    box->setChecked(value == u"1"_s);
                else
                    child<QComboBox>(desk, name)->setCurrentIndex(value.toInt());
            }
            if (!stop.picks.isEmpty())
                robot.add(PickerRobot::showing(0, {}), PickerRobot::chooseAndConfirm(0, stop.picks));
            if (stop.picks.value(0) == u"Composite filling on"_s) {
                robot.add(PickerRobot::showing(1, u"TEETH"_s), PickerRobot::chooseAndConfirm(1, {u"#14 "_s}));
                // The surfaces by keyboard: a letter finds an entry, Space ticks it, Return chooses.
                robot.add(PickerRobot::showing(1, u"SURFACES"_s), [&](QWidget* picker) {
                    PickerRobot::pressKeys(1, {Qt::Key_M, Qt::Key_Space, Qt::Key_O, Qt::Key_Space})(picker);
                    if (!pictureFolder.isEmpty())
                        picker->grab().save(pictureFolder + u"/picker-surfaces.png"_s);
                    PickerRobot::pressKeys(1, {Qt::Key_Return})(picker);
                });
                robot.add(PickerRobot::showing(1, u"MATERIALS"_s),
                          PickerRobot::chooseAndConfirm(1, {u"composite resin"_s}));
                robot.add(PickerRobot::showing(2, u"SHADES"_s), [&](QWidget* picker) {
                    if (!pictureFolder.isEmpty())
                        picker->grab().save(pictureFolder + u"/picker-nested.png"_s);
                    PickerRobot::chooseAndConfirm(2, {u"A2"_s})(picker);
                });
            }
            auto* call = child<QPushButton>(desk, stop.row + u"Call"_s);
            click(call, call->rect().center());
            answer = child<AnswerBox>(desk, stop.row + u"Result"_s)->answer();
            outputs = child<QLabel>(desk, stop.row + u"Outputs"_s)->text();
        } catch (const AutomationError& e) {
            answer = u"error %1: %2"_s.arg(QString::number(e.code()), e.message());
        }
        const bool right = answer == stop.expected && robot.failure().isEmpty();
        wrong += right ? 0 : 1;
        out << (right ? "ok    " : "WRONG ") << stop.row << " (" << stop.fields << ")\n      -> \"" << answer
            << "\"\n";
        // One output a line, each under the first.
        if (!outputs.isEmpty())
            out << "         " << QString(outputs).replace(u'\n', u"\n         "_s) << '\n';
        if (!right)
            out << "      expected \"" << stop.expected << "\" " << robot.failure() << '\n';
        out.flush();
    }
    if (!pictureFolder.isEmpty()) {
        // The answer boxes grew with their answers; the rows settle once the
        // layouts' requests, each posting the next, have all been handled.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 500);
        desk.grab().save(pictureFolder + u"/demo-desk.png"_s);
    }
    if (wrong == 0)
        out << "tour: every entry point answered as expected\n";
    else
        out << "tour: " << wrong << " answers were not as expected\n";
    return wrong == 0 ? 0 : 1;
}

} // namespace vvdemo
