#include <QAbstractItemModelTester>
#include <QDialog>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <functional>
#include <grid/ColumnWidths.h>
#include <grid/Contrast.h>
#include <grid/GridControl.h>
#include <grid/GridModel.h>
#include <grid/KeyCodes.h>
#include <gtest/gtest.h>
#include <memory>
#include <support/QtPrinting.h>
#include <support/TestDatabase.h>
#include <tuple>
#include <viVavazuruv/AutomationError.h>

using namespace viVavazuruv;
using namespace viVavazuruv::grid;
using namespace Qt::StringLiterals;

namespace {

// Writes every event as one line; onEvent runs after the line is written, so
// a test can make a handler misbehave.
class RecordingSink : public IGridEvents {
public:
    void CellChange(qint32 col, qint32 row) override { add(__func__, {col, row}); }
    void CellClick(qint32 col, qint32 row) override { add(__func__, {col, row}); }
    void CellDoubleClick(qint32 col, qint32 row) override { add(__func__, {col, row}); }
    void EditModeChange(qint32 c, qint32 r, qint16 m, bool ch) override { add(__func__, {c, r, m, ch}); }
    void RightClick(qint16 t, qint32 c, qint32 r, qint32, qint32) override { add(__func__, {t, c, r}); }
    void TopLeftChange(qint32 l, qint32 t, qint32 n, qint32 m) override { add(__func__, {l, t, n, m}); }
    // Logged as pressed, before the handler may change the key.
    void KeyDown(qint16& keyCode, qint16& shift) override {
        add(__func__, {keyCode, shift});
        if (onKeyDown)
            onKeyDown(keyCode, shift);
    }
    void MouseUp(qint16& button, qint16& shift, float, float) override { add(__func__, {button, shift}); }

    QStringList log;
    std::function<void(const QString&)> onEvent;
    std::function<void(qint16&, qint16&)> onKeyDown;

private:
    void add(const char* name, const QList<qint32>& args) {
        QString line = QString::fromLatin1(name);
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
        m_window->resize(660, 460);
        m_grid->setGeometry(10, 10, 640, 440);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        m_grid->setEventSink(&m_sink);
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
    // Puts the cursor on a cell as the host does, raising no events.
    void activate(qint32 col, qint32 row) {
        m_grid->setCol(col);
        m_grid->setRow(row);
        m_grid->setAction(GridAction::ActivateCell);
    }
    // Lets queued deliveries (editor commits, scroll bar events) finish and
    // returns the log, which then starts afresh.
    QStringList takeEvents() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return std::exchange(m_sink.log, {});
    }
    // Declared so that the tester goes first and the sink outlives the grid.
    RecordingSink m_sink;
    std::unique_ptr<QWidget> m_window = std::make_unique<QWidget>();
    GridControl* m_grid = new GridControl(m_window.get());
    QAbstractItemModelTester m_tester{m_grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// (Header texts as the window gives them: the screen-reader names of KeyboardTest.)
TEST_F(GridControlTest, AddressedTextNeedsACellAndBadArgumentsAreRefused) {
    setUpCells(3, 4);
    m_grid->setCol(2);
    m_grid->setRow(-1);
    m_grid->setText(u"no cell"_s);
    EXPECT_EQ(m_grid->Text(), QString());
    m_grid->setAction(GridAction::ActivateCell);
    QObject notAWidget;
    GridControl& g = *m_grid;
    // Each call is refused as an invalid procedure call.
    for (const std::function<void()>& call : std::initializer_list<std::function<void()>>{
             [&] { g.setAction(GridAction::ScrollToCell + 1); }, [&] { g.setMaxRows(-1); },
             [&] { g.setMaxCols(-1); }, [&] { g.setSortKey(3, 1); }, [&] { g.setSortKeyOrder(1, 3); },
             [&] { g.setSortBy(1); }, [&] { g.setOperationMode(2); }, [&] { g.setColWidth(1, std::nan("")); },
             [&] { g.setFontSize(0); }, [&] { g.setContainer(&notAWidget); },
             [&] {
                 g.setContainer(g.view());
             }})
        EXPECT_EQ(test::errorOf(call), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(m_grid->Action(), GridAction::ActivateCell);
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
    m_grid->setSortKeyOrder(1, SortOrder::Descending); // the rows turn over, the cursor does not
    m_grid->setAction(GridAction::Sort);
    EXPECT_EQ(std::tuple(m_grid->GetText(1, 4), m_grid->ActiveRow()), std::tuple(u"r3c1"_s, 4));

    m_grid->setMaxRows(0); // a reload empties the grid first
    m_grid->setMaxRows(6);
    EXPECT_EQ(std::tuple(m_grid->ActiveRow(), m_grid->ActiveCol()), std::tuple(4, 2));
    m_grid->setMaxRows(0);
    m_grid->setMaxRows(2); // a shorter list: its last row
    EXPECT_EQ(m_grid->ActiveRow(), 2);
    EXPECT_TRUE(takeEvents().isEmpty());
}

TEST_F(GridControlTest, AClickTicksARowAndASecondUnticksItInMultipleSelection) {
    setUpCells(3, 12, 4);
    click(3, 9);
    click(3, 11);
    click(3, 9); // again: unticks
    // The cursor goes where the user clicked, ticked or not.
    EXPECT_EQ(std::tuple(m_grid->ActiveRow(), m_grid->NextSelectedRow(0), m_grid->NextSelectedRow(11)),
              std::tuple(9, 11, -1));
}

// A hidden grid stays hidden in a new container, and a cell too narrow for
// its text shows it as its tool-tip.
TEST_F(GridControlTest, HiddenGridsKeepTheirPlaceAndNarrowCellsShowTheirText) {
    setUpCells(3, 3);
    QWidget other(m_window.get());
    other.show();
    const QRect place = m_grid->geometry();
    m_grid->setVisible(false);
    m_grid->setContainer(&other);
    // A hidden grid stays hidden in its new container.
    EXPECT_EQ(std::tuple(m_grid->geometry(), m_grid->Visible()), std::tuple(place, false));
    m_grid->setVisible(true);
    m_grid->setContainer(m_window.get());

    m_grid->setColWidth(1, 3);
    m_grid->SetText(1, 1, u"A text far longer than three characters"_s);
    m_grid->SetText(1, 2, u"ABC"_s);
    // The one that fits first: a tool-tip, once shown, takes a while to go.
    for (const auto& [row, tip] :
         {std::pair{2, QString()}, {1, u"A text far longer than three characters"_s}}) {
        QHelpEvent help(QEvent::ToolTip, centre(1, row), view()->viewport()->mapToGlobal(centre(1, row)));
        QCoreApplication::sendEvent(view()->viewport(), &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), tip) << row;
    }
}

TEST_F(GridControlTest, HeadersShowTheListsColoursOnceGivenAndMakeRoomForTheirLines) {
    setUpCells(2, 3);
    QHeaderView* columns = view()->horizontalHeader();
    const int plainHeight = columns->height();
    const QRgb plainTop = columns->grab().toImage().pixel(2, 2);
    m_grid->setShadowColor(0x000080);
    m_grid->setShadowText(0xFFFFE8);
    QCoreApplication::processEvents();
    EXPECT_NE(plainTop, qRgb(0, 0, 0x80));
    EXPECT_EQ(columns->height(), plainHeight + 1);
    const QImage caption = columns->grab().toImage();
    const int right = columns->sectionViewportPosition(0) + columns->sectionSize(0) - 1;
    int textPixels = 0; // the caption "H1" in the light text colour
    for (int x = 0; x < right; ++x)
        for (int y = 0; y < caption.height() - 1; ++y)
            textPixels += caption.pixelColor(x, y).red() > 0x80;
    EXPECT_EQ(std::tuple(caption.pixel(2, 2), caption.pixel(right, 2), textPixels > 5),
              std::tuple(qRgb(0, 0, 0x80), QColor(0x000080).darker(130).rgb(), true));
}

// A chosen or ticked row must stay readable: its text 4.5:1 on the colour
// the row is painted in (the style's own blue gives 3.7:1 under white).
TEST_F(GridControlTest, ChosenAndTickedRowsArePaintedInReadableColours) {
    EXPECT_NEAR(contrastRatio(Qt::white, QColor(0x30, 0x8c, 0xc6)), 3.69, 0.01);
    for (const qint16 mode : {GridMode::SingleSelect, GridMode::MultiSelect}) {
        setUpCells(3, 4, mode);
        click(1, 2); // chooses the row, or ticks it
        const QImage shot = view()->viewport()->grab().toImage();
        const QRect other = view()->visualRect(cell(3, 2)); // away from the cursor's frame
        const QColor painted = shot.pixelColor(other.right() - 3, other.top() + 3);
        const QColor text = mode == GridMode::MultiSelect
                                ? cell(3, 2).data(Qt::ForegroundRole).value<QBrush>().color()
                                : view()->palette().color(QPalette::HighlightedText);
        EXPECT_GE(contrastRatio(text, painted), kTextContrast) << mode << " " << painted.name().toStdString();
        const QPalette& colours = view()->palette();
        EXPECT_GE(contrastRatio(colours.color(QPalette::Inactive, QPalette::HighlightedText),
                                colours.color(QPalette::Inactive, QPalette::Highlight)),
                  kTextContrast);
    }
}

TEST_F(GridControlTest, MouseKeysAndScrollingRaiseTheirEventsWithWindowsCodesBeforeTheGridActs) {
    setUpCells(3, 300);
    click(2, 5);
    click(3, 4, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(takeEvents(),
              (QStringList{u"CellClick 2 5"_s, u"MouseUp 1 0"_s, u"RightClick 1 3 4"_s, u"MouseUp 2 3"_s}));

    // A key's code and its modifiers' bits: EditingTest's typing to find (and KeyCodesTest below).
    activate(2, 20);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Adiaeresis);
    EXPECT_TRUE(takeEvents().isEmpty()) << "a key without a Windows code raises nothing";

    activate(1, 5);
    qint32 rowAtKeyDown = -1;
    m_sink.onKeyDown = [&](qint16&, qint16&) {
        rowAtKeyDown = m_grid->ActiveRow();
    };
    QTest::keyClick(view(), Qt::Key_Down);
    // The key is handled after the handler saw the old row.
    EXPECT_EQ(std::tuple(rowAtKeyDown, m_grid->ActiveRow()), std::tuple(5, 6));

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
        } else if (line == QLatin1String("CellClick 1 3"))
            m_grid->setEnabled(false);
    };
    click(1, 2);
    EXPECT_EQ((std::tuple{dialogRan, takeEvents()}),
              std::tuple(true, QStringList{u"CellClick 1 2"_s, u"MouseUp 1 0"_s}));
    click(1, 3);
    QTest::keyClick(view(), Qt::Key_Down);
    // A disabled grid takes no more input.
    EXPECT_EQ((std::tuple{takeEvents(), m_grid->ActiveRow()}),
              std::tuple(QStringList{u"CellClick 1 3"_s}, 3));
}

// A width read back from the pixels it was given is the width set (within the
// pixel it was rounded to), at any font size; nothing is negative or empty.
TEST(ColumnWidthsTest, CharactersAndPixelsRoundTripAtEveryFontSize) {
    QTableView view;
    for (int points : {7, 9, 12, 20}) {
        QFont font = view.font();
        font.setPointSize(points);
        view.setFont(font);
        SCOPED_TRACE(points);
        const double pixel = 1.0 / averageCharWidth(view);
        for (double chars = 0; chars <= 60; chars += 2.5)
            EXPECT_NEAR(charsOfPixels(view, pixelsOfChars(view, chars)), chars, pixel) << chars;
        EXPECT_EQ(charsOfPixels(view, 0), 0.0);
    }
}

// Letters, digits and F1 to F24 map by rule to the ends of their ranges. A
// named row listed twice, or for a key inside a ruled range, is never read; a
// named key with a letter's or digit's code would be taken for typing. Qt's
// codes for punctuation and Latin-1 letters overlap Windows codes of other keys
// ("!" is Page Up's 33, "[" the Windows key's 91); they must not leak through.
TEST(KeyCodesTest, RuledAndNamedKeysMapToTheirCodesAndNoOtherKeyHasOne) {
    for (const auto& [first, code, count] : {std::tuple{int(Qt::Key_A), int('A'), 26},
                                             {int(Qt::Key_0), int('0'), 10},
                                             {int(Qt::Key_F1), 112, 24}})
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(windowsKeyCode(first + i), code + i) << std::hex << first + i;
    for (const KeyCodeRow& row : namedKeyCodes) {
        const int c = row.windowsCode;
        const bool ruled = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || (c >= 112 && c <= 135);
        EXPECT_TRUE(windowsKeyCode(row.qtKey) == c && c > 0 && c < 256 && !ruled) << row.qtKey;
    }
    for (int key :
         {int(Qt::Key_Exclam), int(Qt::Key_BracketLeft), int(Qt::Key_QuoteLeft), int(Qt::Key_F25),
          int(Qt::Key_Adiaeresis), int(Qt::Key_Dead_Acute), int(Qt::Key_Menu), int(Qt::Key_unknown), 0})
        EXPECT_EQ(windowsKeyCode(key), 0) << std::hex << key;
}

} // namespace
