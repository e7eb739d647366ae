#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <grid/GridControl.h>
#include <grid/GridModel.h>
#include <grid/Twips.h>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <viVavazuruv/AutomationError.h>

using namespace viVavazuruv;
using namespace viVavazuruv::grid;
using namespace Qt::StringLiterals;

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Writes every event as one line; onEvent runs after the line is written, so
// a test can make a handler misbehave.
class RecordingSink : public IGridEvents {
public:
    void CellChange(qint32 col, qint32 row) override { add(u"CellChange", {col, row}); }
    void CellClick(qint32 col, qint32 row) override { add(u"CellClick", {col, row}); }
    void CellDoubleClick(qint32 col, qint32 row) override { add(u"CellDoubleClick", {col, row}); }
    void EditModeChange(qint32 c, qint32 r, qint16 m, bool ch) override {
        add(u"EditModeChange", {c, r, m, ch});
    }
    void RightClick(qint16 t, qint32 c, qint32 r, qint32, qint32) override { add(u"RightClick", {t, c, r}); }
    void TopLeftChange(qint32 l, qint32 t, qint32 n, qint32 m) override {
        add(u"TopLeftChange", {l, t, n, m});
    }
    void KeyDown(qint16& keyCode, qint16& shift) override {
        const QList<qint32> pressed{keyCode, shift}; // logged as pressed, whatever the handler changes
        if (onKeyDown)
            onKeyDown(keyCode, shift);
        add(u"KeyDown", pressed);
    }
    void MouseUp(qint16& button, qint16& shift, float, float) override { add(u"MouseUp", {button, shift}); }

    QStringList log;
    std::function<void(const QString&)> onEvent;
    std::function<void(qint16&, qint16&)> onKeyDown;

private:
    void add(QStringView name, const QList<qint32>& args) {
        QString line = name.toString();
        for (qint32 arg : args)
            line += u" %1"_s.arg(arg);
        log.append(line);
        if (onEvent)
            onEvent(line);
    }
};

class GridControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = std::make_unique<QWidget>();
        m_window->resize(660, 460);
        m_grid = new GridControl(m_window.get());
        m_grid->setGeometry(10, 10, 640, 440);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        m_grid->setEventSink(&m_sink);
    }
    void TearDown() override {
        m_tester.reset();
        m_window.reset();
    }

    // cols x rows cells reading "rRcC", headers "HC", in the given operation mode.
    void setUpCells(qint32 cols, qint32 rows, qint16 mode = 3) {
        m_grid->setReDraw(false);
        m_grid->setMaxCols(cols);
        m_grid->setMaxRows(rows);
        for (qint32 c = 1; c <= cols; ++c) {
            m_grid->SetText(c, 0, u"H%1"_s.arg(c));
            for (qint32 r = 1; r <= rows; ++r)
                m_grid->SetText(c, r, u"r%1c%2"_s.arg(r).arg(c));
        }
        m_grid->setReDraw(true);
        m_grid->setOperationMode(mode);
    }

    QTableView* view() const { return m_grid->view(); }
    QModelIndex cell(qint32 col, qint32 row) const { return m_grid->model()->index(row - 1, col - 1); }
    QPoint centre(qint32 col, qint32 row) const { return view()->visualRect(cell(col, row)).center(); }
    void click(qint32 col, qint32 row, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(view()->viewport(), button, mods, centre(col, row));
    }
    // The events a real double click delivers: press, release, double click, release.
    void doubleClick(qint32 col, qint32 row) {
        const QPoint pos = centre(col, row);
        QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, pos);
    }
    void activate(qint32 col, qint32 row) {
        m_grid->setCol(col);
        m_grid->setRow(row);
        m_grid->setAction(0);
    }
    // Lets queued deliveries (editor commits, scroll bar events) finish and
    // returns the log, which then starts afresh.
    QStringList takeEvents() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return std::exchange(m_sink.log, {});
    }
    QLineEdit* editorAt(qint32 col, qint32 row) const {
        return qobject_cast<QLineEdit*>(view()->indexWidget(cell(col, row)));
    }
    // Each call must be refused as an invalid procedure call.
    template <class... Calls> static void expectInvalidCalls(const Calls&... calls) {
        const auto one = [](const auto& call) {
            try {
                call();
                ADD_FAILURE() << "no AutomationError";
            } catch (const AutomationError& error) {
                EXPECT_EQ(error.code(), ErrorCode::InvalidProcedureCall);
            }
        };
        (one(calls), ...);
    }

    std::unique_ptr<QWidget> m_window;
    GridControl* m_grid = nullptr;
    RecordingSink m_sink;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(GridControlTest, AddressedTextReachesCellsAndHeaderAndBadArgumentsAreRefused) {
    setUpCells(3, 4);
    m_grid->setRow(0);
    m_grid->setCol(2);
    m_grid->setText(u"Caption \"2\""_s);
    EXPECT_EQ(view()->model()->headerData(1, Qt::Horizontal).toString(), u"Caption \"2\""_s);
    m_grid->setRow(-1);
    m_grid->setText(u"no cell"_s);
    EXPECT_EQ(m_grid->Text(), QString());
    m_grid->setAction(0);
    QObject notAWidget;
    GridControl& g = *m_grid;
    expectInvalidCalls(
        [&] { g.setAction(-1); }, [&] { g.setAction(2); }, [&] { g.setAction(24); }, [&] { g.setAction(26); },
        [&] { g.setMaxRows(-1); }, [&] { g.setMaxCols(-1); }, [&] { g.setSortKey(3, 1); },
        [&] { g.SortKeyOrder(0); }, [&] { g.setSortKeyOrder(1, 3); }, [&] { g.setSortBy(1); },
        [&] { g.setOperationMode(2); }, [&] { g.setColWidth(1, std::nan("")); }, [&] { g.setFontSize(0); },
        [&] { g.setContainer(&notAWidget); }, [&] { g.setContainer(g.view()); });
    EXPECT_EQ(m_grid->Action(), 0);
}

// Programmatic calls raise no events; the cursor is a place that sorts and
// reloads leave where it stood.
TEST_F(GridControlTest, TheCursorIsAPlaceThatSortsAndReloadsLeaveWhereItStood) {
    setUpCells(2, 6);
    EXPECT_EQ(m_grid->ActiveRow(), 1); // the first cell until someone moves
    activate(9, 5);                    // a column outside the grid keeps the cursor's column
    activate(2, 31);                   // no such row: nothing moves
    EXPECT_EQ(m_grid->ActiveRow(), 5);
    activate(2, 4);
    m_grid->setRow(1);
    m_grid->setCol(1);
    m_grid->setRow2(6);
    m_grid->setCol2(2);
    m_grid->setSortKey(1, 1);
    m_grid->setSortKeyOrder(1, 2); // descending: the rows turn over, the cursor does not
    m_grid->setAction(25);
    EXPECT_EQ(m_grid->GetText(1, 4), u"r3c1"_s);
    EXPECT_EQ(m_grid->ActiveRow(), 4);

    m_grid->setMaxRows(0); // a reload empties the grid first
    m_grid->setMaxRows(6);
    EXPECT_EQ(m_grid->ActiveRow(), 4);
    EXPECT_EQ(m_grid->ActiveCol(), 2);
    m_grid->setMaxRows(0);
    m_grid->setMaxRows(2); // a shorter list: its last row
    EXPECT_EQ(m_grid->ActiveRow(), 2);
    m_grid->setRow(2);
    m_grid->setAction(5); // deletes the row, and ClearRange keeps the header
    m_grid->ClearRange(-1, -1, -1, -1, true);
    EXPECT_EQ(m_grid->GetText(1, 1), QString());
    EXPECT_EQ(m_grid->GetText(2, 0), u"H2"_s);
    EXPECT_TRUE(takeEvents().isEmpty());
}

TEST_F(GridControlTest, SpaceTicksRowsIndependentlyOfTheCursorInMultipleSelection) {
    setUpCells(3, 12, 4);
    click(3, 9);
    click(3, 9); // again: unticks
    EXPECT_EQ(m_grid->ActiveRow(), 9) << "the cursor goes where the user clicked, ticked or not";
    view()->setFocus();
    activate(1, 11);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Up, Qt::Key_Space, Qt::Key_Space, Qt::Key_Up, Qt::Key_Space})
        QTest::keyClick(view(), key);
    QList<qint32> ticked;
    for (qint32 r = m_grid->NextSelectedRow(0); r != -1; r = m_grid->NextSelectedRow(r))
        ticked.append(r);
    EXPECT_EQ(ticked, (QList<qint32>{9, 11}));
    m_grid->setOperationMode(3);
    m_grid->setRow(2);
    m_grid->setRowSelected(true);
    EXPECT_EQ(m_grid->ActiveRow(), 2) << "single selection: the selected row is the cursor row";
    EXPECT_EQ(m_grid->SelectedCount(), 1);
    m_grid->setRowSelected(false);
    EXPECT_EQ(m_grid->SelectedCount(), 0);
}

TEST_F(GridControlTest, WidthsAreInCharactersAndPlacementInTwipsOfTheContainer) {
    setUpCells(3, 3);
    const int width = qRound(12.5 * QFontMetricsF(view()->font()).averageCharWidth());
    m_grid->setColWidth(2, 12.5);
    m_grid->setCol(2);
    m_grid->setColHidden(true);
    EXPECT_DOUBLE_EQ(m_grid->ColWidth(2), 12.5);
    EXPECT_GT(m_grid->ColWidth(3), 0.0) << "an unset width reads as the default";
    EXPECT_EQ(twipsToPixels(std::nan(""), 96), 0);
    m_grid->setColHidden(false);
    EXPECT_EQ(view()->horizontalHeader()->sectionSize(1), width);
    m_grid->setColWidth(0, 5);
    EXPECT_TRUE(view()->verticalHeader()->isVisible()) << "row numbers when asked for";
    m_grid->setRow(-1);
    m_grid->setCol(-1);
    m_grid->setFontSize(m_grid->FontSize() * 2);
    EXPECT_GT(view()->horizontalHeader()->sectionSize(1), width * 3 / 2) << "a wider font widens the column";

    m_grid->Move(1440, 720, 5760, 2880);
    EXPECT_EQ(QRect(m_grid->Left(), m_grid->Top(), m_grid->Width(), m_grid->Height()),
              QRect(1440, 720, 5760, 2880));
    QWidget other(m_window.get());
    other.show();
    const QRect place = m_grid->geometry();
    m_grid->setVisible(false);
    m_grid->setContainer(&other);
    EXPECT_EQ(m_grid->geometry(), place);
    EXPECT_FALSE(m_grid->Visible()) << "a hidden grid stays hidden in its new container";
    m_grid->setVisible(true);
    m_grid->setContainer(m_window.get());
    EXPECT_TRUE(m_grid->isVisible());
}

TEST_F(GridControlTest, MouseKeysAndScrollingRaiseTheirEventsWithWindowsCodesBeforeTheGridActs) {
    setUpCells(3, 300);
    click(2, 5);
    EXPECT_EQ(takeEvents(), (QStringList{u"CellClick 2 5"_s, u"MouseUp 1 0"_s}));
    click(3, 4, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(takeEvents(), (QStringList{u"RightClick 1 3 4"_s, u"MouseUp 2 3"_s}));

    activate(2, 20);
    view()->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* expected;
    } cases[] = {
        {Qt::Key_Enter, Qt::KeypadModifier, "KeyDown 13 0"},
        {Qt::Key_B, Qt::ControlModifier | Qt::AltModifier, "KeyDown 66 6"},
        {Qt::Key_F12, Qt::ShiftModifier, "KeyDown 123 1"},
        {Qt::Key_Left, {}, "KeyDown 37 0"},
        {Qt::Key_Delete, {}, "KeyDown 46 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        QTest::keyClick(view(), c.key, c.modifiers);
        // Modifier keys go down first and report themselves (16 Shift, 17 Ctrl, 18 Alt).
        const QStringList log = takeEvents();
        ASSERT_FALSE(log.isEmpty());
        EXPECT_EQ(log.last(), QString::fromLatin1(c.expected));
    }
    QTest::keyClick(view(), Qt::Key_Adiaeresis);
    EXPECT_TRUE(takeEvents().isEmpty()) << "a key without a Windows code raises nothing";

    activate(1, 5);
    qint32 rowAtKeyDown = -1;
    m_sink.onKeyDown = [&](qint16& keyCode, qint16&) {
        rowAtKeyDown = m_grid->ActiveRow();
        if (keyCode == 38)
            keyCode = 0; // Up is swallowed
    };
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(rowAtKeyDown, 5);
    EXPECT_EQ(m_grid->ActiveRow(), 6) << "an untouched key is handled as usual";
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(m_grid->ActiveRow(), 6);

    activate(1, 1);
    takeEvents();
    QTest::keyClick(view(), Qt::Key_PageDown);
    const qint32 top = view()->rowAt(0) + 1;
    ASSERT_GT(top, 1);
    EXPECT_EQ(takeEvents(), (QStringList{u"KeyDown 34 0"_s, u"TopLeftChange 1 1 1 %1"_s.arg(top)}));
    view()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(takeEvents(), (QStringList{u"TopLeftChange 1 %1 1 %2"_s.arg(top).arg(view()->rowAt(0) + 1)}));

    // A handler may run a modal dialog, or disable the grid.
    activate(1, 1); // back to the top
    bool dialogRan = false;
    m_sink.onEvent = [&](const QString& line) {
        if (line == QLatin1String("CellClick 1 2")) {
            QDialog dialog(m_grid);
            QTimer::singleShot(0, &dialog, &QDialog::accept);
            dialogRan = dialog.exec() == QDialog::Accepted;
        } else if (line == QLatin1String("CellClick 1 3")) {
            m_grid->setEnabled(false);
        }
    };
    click(1, 2);
    EXPECT_TRUE(dialogRan);
    EXPECT_EQ(takeEvents(), (QStringList{u"CellClick 1 2"_s, u"MouseUp 1 0"_s}));
    click(1, 3);
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(takeEvents(), QStringList{u"CellClick 1 3"_s}) << "a disabled grid takes no more input";
    EXPECT_EQ(m_grid->ActiveRow(), 3);
}

TEST_F(GridControlTest, EditingRaisesEditModeChangeAndCellChangeOnlyForAChange) {
    setUpCells(3, 10, 0);
    doubleClick(2, 3);
    QLineEdit* editor = editorAt(2, 3);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(takeEvents(), (QStringList{u"CellClick 2 3"_s, u"MouseUp 1 0"_s, u"CellDoubleClick 2 3"_s,
                                         u"EditModeChange 2 3 1 0"_s, u"MouseUp 1 0"_s}));
    editor->selectAll();
    editor->insert(u"O'Neil \"x\" – 歯科"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(takeEvents(), (QStringList{u"EditModeChange 2 3 0 1"_s, u"CellChange 2 3"_s}));
    EXPECT_EQ(m_grid->GetText(2, 3), u"O'Neil \"x\" – 歯科"_s);

    // F2 opens; Escape drops the typing.
    activate(1, 4);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F2);
    QTest::keyClicks(editorAt(1, 4), u"zzz"_s);
    QTest::keyClick(editorAt(1, 4), Qt::Key_Escape);
    EXPECT_EQ(takeEvents(),
              (QStringList{u"KeyDown 113 0"_s, u"EditModeChange 1 4 1 0"_s, u"EditModeChange 1 4 0 0"_s}));
    EXPECT_EQ(m_grid->GetText(1, 4), u"r4c1"_s);

    // Typing starts an editor with the key typed; a mode change in code closes it quietly.
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Q);
    ASSERT_NE(editorAt(1, 4), nullptr);
    QTest::keyClick(editorAt(1, 4), Qt::Key_Return);
    EXPECT_EQ(takeEvents(), (QStringList{u"KeyDown 81 0"_s, u"EditModeChange 1 4 1 0"_s,
                                         u"EditModeChange 1 4 0 1"_s, u"CellChange 1 4"_s}));
    EXPECT_EQ(m_grid->GetText(1, 4), u"q"_s);
    doubleClick(1, 1);
    takeEvents();
    m_grid->setOperationMode(4);
    EXPECT_EQ(editorAt(1, 1), nullptr);
    EXPECT_TRUE(takeEvents().isEmpty());
}

// Handlers may delete the grid from a click, a key or an edit that closes.
TEST_F(GridControlTest, AHandlerMayDestroyTheGrid) {
    const auto destroyOn = [this](const char* event, const std::function<void()>& act) {
        SCOPED_TRACE(event);
        if (!m_grid) {
            m_grid = new GridControl(m_window.get());
            m_grid->setEventSink(&m_sink);
            m_grid->show();
        }
        setUpCells(2, 5, 0);
        view()->setFocus();
        QPointer<GridControl> grid(m_grid);
        m_sink.onEvent = [&](const QString& line) {
            if (line.startsWith(QLatin1String(event)))
                delete grid.data();
        };
        act();
        takeEvents();
        EXPECT_TRUE(grid.isNull());
        m_grid = nullptr;
        m_sink.onEvent = nullptr;
    };
    destroyOn("CellClick",
              [this] { QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, centre(1, 2)); });
    destroyOn("KeyDown", [this] { QTest::keyPress(view(), Qt::Key_Down); });
    destroyOn("EditModeChange 1 1 0", [this] {
        activate(1, 1);
        QTest::keyClick(view(), Qt::Key_F2);
        QTest::keyClick(editorAt(1, 1), Qt::Key_Return);
    });
}

} // namespace
