#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <ostream>
#include <platform/GridControl.h>
#include <platform/GridModel.h>
#include <platform/Twips.h>
#include <viVavazuruv/AutomationError.h>

using namespace viVavazuruv;
using namespace viVavazuruv::platform;

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

static void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '[' << texts.join(QStringLiteral(" | ")).toStdString() << ']';
}

namespace {

TEST(TwipsTest, ConvertsAtTheGivenDpiAndRoundsToWholePixels) {
    struct Case {
        double twips, dpi;
        int pixels;
    } const cases[] = {
        {1440, 96, 96},
        {15, 96, 1},
        {7, 96, 0},
        {8, 96, 1},
        {720, 120, 60},
        {-1440, 96, -96},
        {1440, 144, 144},
        {1440, 0, 96},
        {1440, -5, 96}, // no usable DPI: 96
        {std::numeric_limits<double>::quiet_NaN(), 96, 0},
        {1e300, 96, std::numeric_limits<int>::max()},
        {-1e300, 96, std::numeric_limits<int>::min()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.twips << " twips at " << c.dpi << " dpi");
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels);
    }
    EXPECT_DOUBLE_EQ(pixelsToTwips(96, 96), 1440.0);
    EXPECT_DOUBLE_EQ(pixelsToTwips(1, 120), 12.0);
    EXPECT_DOUBLE_EQ(pixelsToTwips(10, 0), 150.0);
}

TEST(TwipsTest, ScreenConversionsAgreeWithTheScreenDpi) {
    ASSERT_GT(screenDpiX(), 0);
    EXPECT_EQ(twipsToPixelsX(1440), qRound(screenDpiX()));
    EXPECT_EQ(twipsToPixelsY(2880), qRound(2 * screenDpiY()));
    EXPECT_NEAR(pixelsToTwipsX(twipsToPixelsX(5000)), 5000, 1440 / screenDpiX());
    const QSizeF screen = screenSizeTwips();
    EXPECT_GT(screen.width(), 0);
    EXPECT_GT(screen.height(), 0);
    EXPECT_LE(availableScreenSizeTwips().width(), screen.width());
}

// Writes every event as one line; onEvent runs after the line is written, so
// a test can make a handler misbehave.
class RecordingSink : public IGridEvents {
public:
    void CellChange(qint32 col, qint32 row) override {
        add(QStringLiteral("CellChange %1 %2").arg(col).arg(row));
    }
    void CellClick(qint32 col, qint32 row) override {
        add(QStringLiteral("CellClick %1 %2").arg(col).arg(row));
    }
    void CellDoubleClick(qint32 col, qint32 row) override {
        add(QStringLiteral("CellDoubleClick %1 %2").arg(col).arg(row));
    }
    void EditModeChange(qint32 col, qint32 row, qint16 mode, bool changeMade) override {
        add(QStringLiteral("EditModeChange %1 %2 %3 %4").arg(col).arg(row).arg(mode).arg(changeMade ? 1 : 0));
    }
    void RightClick(qint16 clickType, qint32 col, qint32 row, qint32 x, qint32 y) override {
        rightClickAt = QPoint(x, y);
        add(QStringLiteral("RightClick %1 %2 %3").arg(clickType).arg(col).arg(row));
    }
    void TopLeftChange(qint32 oldLeft, qint32 oldTop, qint32 newLeft, qint32 newTop) override {
        add(QStringLiteral("TopLeftChange %1 %2 %3 %4").arg(oldLeft).arg(oldTop).arg(newLeft).arg(newTop));
    }
    void KeyDown(qint16& keyCode, qint16& shift) override {
        const QString line = QStringLiteral("KeyDown %1 %2").arg(keyCode).arg(shift);
        if (onKeyDown)
            onKeyDown(keyCode, shift);
        add(line);
    }
    void MouseUp(qint16& button, qint16& shift, float x, float y) override {
        mouseUpAt = QPointF(x, y);
        add(QStringLiteral("MouseUp %1 %2").arg(button).arg(shift));
    }

    QStringList log;
    QPoint rightClickAt;
    QPointF mouseUpAt;
    std::function<void(const QString&)> onEvent;
    std::function<void(qint16&, qint16&)> onKeyDown;

private:
    void add(const QString& line) {
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

    // cols x rows cells reading "rRcC", headers "HC".
    void setUpCells(qint32 cols, qint32 rows) {
        m_grid->setReDraw(false);
        m_grid->setMaxCols(cols);
        m_grid->setMaxRows(rows);
        for (qint32 c = 1; c <= cols; ++c) {
            m_grid->SetText(c, 0, QStringLiteral("H%1").arg(c));
            for (qint32 r = 1; r <= rows; ++r)
                m_grid->SetText(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
        }
        m_grid->setReDraw(true);
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
        QWidget* viewport = view()->viewport();
        const QPoint pos = centre(col, row);
        QTest::mousePress(viewport, Qt::LeftButton, {}, pos);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
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
        const QStringList log = m_sink.log;
        m_sink.log.clear();
        return log;
    }

    QLineEdit* editorAt(qint32 col, qint32 row) const {
        return qobject_cast<QLineEdit*>(view()->indexWidget(cell(col, row)));
    }

    QPointF twipsOf(const QPoint& viewportPos) const {
        const QPoint p = view()->viewport()->mapTo(m_grid, viewportPos);
        return {pixelsToTwipsX(p.x()), pixelsToTwipsY(p.y())};
    }

    static void expectInvalidCall(const std::function<void()>& call) {
        try {
            call();
            ADD_FAILURE() << "no AutomationError";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.code(), ErrorCode::InvalidProcedureCall);
        }
    }

    std::unique_ptr<QWidget> m_window;
    GridControl* m_grid = nullptr;
    RecordingSink m_sink;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(GridControlTest, AddressedTextReachesCellsAndHeaderButNotOutsideTheGrid) {
    setUpCells(3, 4);
    m_grid->setRow(0);
    m_grid->setCol(2);
    EXPECT_EQ(m_grid->Text(), QStringLiteral("H2"));
    m_grid->setText(QStringLiteral("Caption \"2\""));
    EXPECT_EQ(view()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Caption \"2\""));
    m_grid->setRow(3);
    m_grid->setText(QStringLiteral("Ω"));
    EXPECT_EQ(m_grid->GetText(2, 3), QStringLiteral("Ω"));

    m_grid->SetText(4, 1, QStringLiteral("beyond the last column"));
    m_grid->SetText(1, 5, QStringLiteral("beyond the last row"));
    m_grid->setRow(-1);
    m_grid->setText(QStringLiteral("no cell"));
    EXPECT_EQ(m_grid->MaxCols(), 3);
    EXPECT_EQ(m_grid->MaxRows(), 4);
    EXPECT_EQ(m_grid->Text(), QString());
    for (const QPoint& outside : {QPoint(4, 1), QPoint(1, 5), QPoint(0, 1), QPoint(-1, -1), QPoint(1, -7)})
        EXPECT_EQ(m_grid->GetText(outside.x(), outside.y()), QString());
    EXPECT_EQ(m_grid->DataRowCnt(), 4);
    expectInvalidCall([this] { m_grid->setMaxRows(-1); });
    expectInvalidCall([this] { m_grid->setMaxCols(-1); });
}

TEST_F(GridControlTest, ClearRangeKeepsHeadersAndDataRowCountFollows) {
    setUpCells(3, 6);
    m_grid->ClearRange(2, 5, 3, 6, true);
    EXPECT_EQ(m_grid->GetText(2, 5), QString());
    EXPECT_EQ(m_grid->GetText(1, 6), QStringLiteral("r6c1"));
    m_grid->ClearRange(1, 6, 1, 6, true);
    EXPECT_EQ(m_grid->DataRowCnt(), 5) << "row 6 is empty now";
    m_grid->setRow(2);
    m_grid->setAction(5);
    EXPECT_EQ(m_grid->DataRowCnt(), 4);
    m_grid->ClearRange(-1, -1, -1, -1, true);
    EXPECT_EQ(m_grid->DataRowCnt(), 0);
    EXPECT_EQ(m_grid->GetText(3, 0), QStringLiteral("H3"));
    EXPECT_EQ(m_grid->MaxRows(), 5);
}

TEST_F(GridControlTest, ActionZeroMovesTheCursorWithoutEvents) {
    setUpCells(3, 30);
    EXPECT_EQ(m_grid->ActiveRow(), 1); // the first cell until someone moves
    activate(2, 17);
    EXPECT_EQ(m_grid->ActiveRow(), 17);
    EXPECT_EQ(m_grid->ActiveCol(), 2);
    EXPECT_EQ(m_grid->Action(), 0);
    activate(9, 5); // a column outside the grid keeps the cursor's column
    EXPECT_EQ(m_grid->ActiveRow(), 5);
    EXPECT_EQ(m_grid->ActiveCol(), 2);
    activate(1, 31); // no such row: nothing moves
    EXPECT_EQ(m_grid->ActiveRow(), 5);
    EXPECT_TRUE(takeEvents().isEmpty());
}

TEST_F(GridControlTest, TheCursorIsAPlaceThatSortsAndReloadsLeaveWhereItStood) {
    setUpCells(2, 6);
    activate(2, 4);
    m_grid->setRow(1);
    m_grid->setCol(1);
    m_grid->setRow2(6);
    m_grid->setCol2(2);
    m_grid->setSortKey(1, 1);
    m_grid->setSortKeyOrder(1, 2); // descending: the rows turn over, the cursor does not
    m_grid->setAction(25);
    EXPECT_EQ(m_grid->GetText(1, 4), QStringLiteral("r3c1"));
    EXPECT_EQ(m_grid->ActiveRow(), 4);

    m_grid->setMaxRows(0); // a reload empties the grid first
    m_grid->setMaxRows(6);
    EXPECT_EQ(m_grid->ActiveRow(), 4);
    EXPECT_EQ(m_grid->ActiveCol(), 2);
    m_grid->setMaxRows(0);
    m_grid->setMaxRows(2); // a shorter list: its last row
    EXPECT_EQ(m_grid->ActiveRow(), 2);
}

TEST_F(GridControlTest, ActionOneScrollsTheCellToWherePositionSays) {
    setUpCells(4, 1000);
    m_grid->setCol(1);
    m_grid->setRow(500);
    m_grid->setPosition(3);
    m_grid->setAction(1);
    EXPECT_EQ(view()->rowAt(0), 499) << "Position 3 puts the row at the top";

    m_grid->setRow(200);
    m_grid->setPosition(6);
    m_grid->setAction(1);
    const QRect viewport = view()->viewport()->rect();
    EXPECT_NEAR(view()->visualRect(cell(1, 200)).center().y(), viewport.center().y(), view()->rowHeight(199))
        << "Position 6 centres the row";

    m_grid->setRow(900);
    m_grid->setPosition(0);
    m_grid->setAction(1);
    EXPECT_TRUE(viewport.contains(view()->visualRect(cell(1, 900))));
    EXPECT_GT(view()->rowAt(0), 800) << "nearest: the row ends up at the bottom edge";
    EXPECT_TRUE(takeEvents().isEmpty()) << "programmatic scrolling raises no TopLeftChange";
}

TEST_F(GridControlTest, ActionFiveDeletesTheRow) {
    setUpCells(2, 5);
    m_grid->setRow(2);
    m_grid->setAction(5);
    EXPECT_EQ(m_grid->MaxRows(), 4);
    EXPECT_EQ(m_grid->GetText(1, 2), QStringLiteral("r3c1"));
    EXPECT_EQ(m_grid->GetText(2, 4), QStringLiteral("r5c2"));
    m_grid->setRow(99);
    m_grid->setAction(5);
    EXPECT_EQ(m_grid->MaxRows(), 4) << "a row that is not there is not deleted";
}

TEST_F(GridControlTest, ActionTwentyFiveSortsTheAddressedBlockByTheSortKeys) {
    m_grid->setMaxCols(3);
    m_grid->setMaxRows(5);
    const char* rows[][3] = {
        {"b", "2", "1"}, {"a", "9", "2"}, {"b", "1", "3"}, {"A", "5", "4"}, {"c", "0", "5"}};
    for (qint32 r = 0; r < 5; ++r) {
        for (qint32 c = 0; c < 3; ++c)
            m_grid->SetText(c + 1, r + 1, QString::fromUtf8(rows[r][c]));
    }
    const auto ids = [this] {
        QString s;
        for (qint32 r = 1; r <= 5; ++r)
            s += m_grid->GetText(3, r);
        return s;
    };
    m_grid->setSortKey(1, 1);
    m_grid->setSortKeyOrder(1, 2);
    m_grid->setSortKey(2, 2);
    m_grid->setSortKeyOrder(2, 1);
    m_grid->setRow(-1);
    m_grid->setCol(-1);
    m_grid->setAction(25);
    EXPECT_EQ(ids(), QStringLiteral("53142"));
    EXPECT_EQ(m_grid->Action(), 25);

    m_grid->setSortKeyOrder(1, 1);
    m_grid->setSortKeyOrder(2, 0); // key 2 unused: ties keep their order
    m_grid->setRow(2);
    m_grid->setRow2(4);
    m_grid->setAction(25);
    EXPECT_EQ(ids(), QStringLiteral("54312")) << "rows 1 and 5 lie outside the block";

    expectInvalidCall([this] { m_grid->setSortKey(3, 1); });
    expectInvalidCall([this] { m_grid->SortKeyOrder(0); });
    expectInvalidCall([this] { m_grid->setSortKeyOrder(1, 3); });
    expectInvalidCall([this] { m_grid->setSortBy(1); });
    EXPECT_TRUE(takeEvents().isEmpty());
}

TEST_F(GridControlTest, UnknownActionsAreRefused) {
    setUpCells(2, 3);
    m_grid->setAction(0);
    for (qint16 action : {qint16(-1), qint16(2), qint16(6), qint16(24), qint16(26), qint16(32767)}) {
        SCOPED_TRACE(action);
        expectInvalidCall([this, action] { m_grid->setAction(action); });
        EXPECT_EQ(m_grid->Action(), 0);
    }
}

TEST_F(GridControlTest, FillingAHundredThousandRowsWithoutRedrawAndSortingCompletes) {
    m_grid->setReDraw(false);
    m_grid->setMaxCols(7);
    m_grid->setMaxRows(100000);
    for (qint32 r = 1; r <= 100000; ++r) {
        const qint32 key = (r * 7919) % 100000;
        m_grid->SetText(1, r, QStringLiteral("%1").arg(key % 100, 3, 10, QLatin1Char('0')));
        m_grid->SetText(2, r, QStringLiteral("%1").arg(key, 6, 10, QLatin1Char('0')));
        for (qint32 c = 3; c <= 7; ++c)
            m_grid->SetText(c, r, QStringLiteral("Patient %1 / %2").arg(r).arg(c));
    }
    m_grid->setSortKey(1, 1);
    m_grid->setSortKeyOrder(1, 1);
    m_grid->setSortKey(2, 2);
    m_grid->setSortKeyOrder(2, 2);
    m_grid->setRow(-1);
    m_grid->setCol(-1);
    m_grid->setAction(25);
    m_grid->setReDraw(true);

    EXPECT_EQ(m_grid->DataRowCnt(), 100000);
    for (qint32 r = 1; r < 100000; r += 997) {
        SCOPED_TRACE(r);
        const QString first = m_grid->GetText(1, r), next = m_grid->GetText(1, r + 1);
        ASSERT_LE(first, next);
        if (first == next) {
            ASSERT_GE(m_grid->GetText(2, r), m_grid->GetText(2, r + 1));
        }
    }
}

TEST_F(GridControlTest, ReDrawOffBatchesChangesIntoOneSignal) {
    setUpCells(3, 20);
    QSignalSpy changed(m_grid->model(), &QAbstractItemModel::dataChanged);
    m_grid->setReDraw(false);
    EXPECT_FALSE(m_grid->ReDraw());
    EXPECT_FALSE(view()->updatesEnabled());
    for (qint32 r = 1; r <= 20; ++r)
        m_grid->SetText(2, r, QStringLiteral("n%1").arg(r));
    EXPECT_EQ(changed.count(), 0);
    m_grid->setReDraw(true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(view()->updatesEnabled());
    EXPECT_EQ(view()->model()->data(cell(2, 20)).toString(), QStringLiteral("n20"));
}

TEST_F(GridControlTest, SingleSelectionTicksTheCursorRow) {
    setUpCells(2, 10);
    m_grid->setOperationMode(3);
    activate(1, 4);
    EXPECT_EQ(m_grid->SelectedCount(), 1);
    EXPECT_EQ(m_grid->NextSelectedRow(0), 4);
    click(2, 7);
    EXPECT_EQ(m_grid->NextSelectedRow(0), 7);
    EXPECT_EQ(m_grid->SelectedCount(), 1);
    m_grid->setRow(2);
    m_grid->setRowSelected(true);
    EXPECT_EQ(m_grid->ActiveRow(), 2);
    EXPECT_EQ(m_grid->NextSelectedRow(0), 2);
    m_grid->setRowSelected(false);
    EXPECT_EQ(m_grid->SelectedCount(), 0);
    EXPECT_EQ(m_grid->NextSelectedRow(0), -1);
    EXPECT_FALSE(m_grid->model()->flags(cell(1, 1)).testFlag(Qt::ItemIsEditable));
    expectInvalidCall([this] { m_grid->setOperationMode(2); });
    EXPECT_EQ(m_grid->OperationMode(), 3);
}

TEST_F(GridControlTest, MultipleSelectionTicksRowsIndependentlyOfTheCursor) {
    setUpCells(3, 12);
    m_grid->setOperationMode(4);
    click(2, 3);
    click(1, 9);
    click(3, 5);
    EXPECT_EQ(m_grid->SelectedCount(), 3);
    EXPECT_EQ(m_grid->ActiveRow(), 5);
    click(3, 9); // again: unticks
    EXPECT_EQ(m_grid->SelectedCount(), 2);
    EXPECT_EQ(m_grid->ActiveRow(), 9) << "the cursor goes where the user clicked, ticked or not";

    view()->setFocus();
    activate(1, 11);
    QTest::keyClick(view(), Qt::Key_Space);
    QTest::keyClick(view(), Qt::Key_Up);
    QTest::keyClick(view(), Qt::Key_Space);
    QTest::keyClick(view(), Qt::Key_Space);
    QList<qint32> ticked;
    for (qint32 r = m_grid->NextSelectedRow(0); r != -1; r = m_grid->NextSelectedRow(r))
        ticked.append(r);
    EXPECT_EQ(ticked, (QList<qint32>{3, 5, 11}));

    m_grid->setRow(5);
    EXPECT_TRUE(m_grid->RowSelected());
    m_grid->setRowSelected(false);
    m_grid->setRow(1);
    m_grid->setRowSelected(true);
    EXPECT_EQ(m_grid->NextSelectedRow(0), 1);
    EXPECT_EQ(m_grid->ActiveRow(), 10) << "ticking in code leaves the cursor alone";
    m_grid->setRow(-1);
    m_grid->setRowSelected(false);
    EXPECT_EQ(m_grid->SelectedCount(), 0);

    const QStringList log = takeEvents();
    EXPECT_EQ(log.count(QStringLiteral("KeyDown 32 0")), 3);
    EXPECT_EQ(log.count(QStringLiteral("CellClick 3 9")), 1);
}

TEST_F(GridControlTest, ColumnWidthsAreInCharactersAndHidingKeepsThem) {
    setUpCells(3, 3);
    QHeaderView* header = view()->horizontalHeader();
    const double charWidth = QFontMetricsF(view()->font()).averageCharWidth();
    m_grid->setColWidth(2, 12.5);
    EXPECT_DOUBLE_EQ(m_grid->ColWidth(2), 12.5);
    EXPECT_EQ(header->sectionSize(1), qRound(12.5 * charWidth));

    m_grid->setCol(2);
    m_grid->setColHidden(true);
    EXPECT_TRUE(view()->isColumnHidden(1));
    EXPECT_TRUE(m_grid->ColHidden());
    EXPECT_DOUBLE_EQ(m_grid->ColWidth(2), 12.5);
    m_grid->setColHidden(false);
    EXPECT_EQ(header->sectionSize(1), qRound(12.5 * charWidth));

    m_grid->setColWidth(3, 0);
    EXPECT_TRUE(view()->isColumnHidden(2)) << "width 0 hides";
    m_grid->setCol(3);
    EXPECT_FALSE(m_grid->ColHidden());
    m_grid->setColWidth(3, 4);
    EXPECT_FALSE(view()->isColumnHidden(2));

    m_grid->setCol(-1);
    m_grid->setColHidden(true);
    EXPECT_TRUE(m_grid->ColHidden());
    for (int c = 0; c < 3; ++c)
        EXPECT_TRUE(view()->isColumnHidden(c));
    m_grid->setColHidden(false);

    EXPECT_DOUBLE_EQ(m_grid->ColWidth(0), 0.0) << "no row numbers until asked for";
    m_grid->setColWidth(0, 5);
    EXPECT_TRUE(view()->verticalHeader()->isVisible());
    EXPECT_DOUBLE_EQ(m_grid->ColWidth(9), 0.0);
    expectInvalidCall([this] { m_grid->setColWidth(1, -1); });
    expectInvalidCall([this] { m_grid->setColWidth(1, std::nan("")); });

    m_grid->setRow(-1);
    m_grid->setCol(-1);
    m_grid->setFontSize(view()->font().pointSizeF() * 2);
    EXPECT_GT(header->sectionSize(1), qRound(12.5 * charWidth) * 3 / 2) << "a wider font widens the column";
}

TEST_F(GridControlTest, FontsFollowTheAddressedCellsAndRowZeroIsTheHeader) {
    setUpCells(3, 3);
    const double base = m_grid->FontSize();
    const float rowTwips = m_grid->RowHeightToTwips(1, 12.5f);
    EXPECT_NEAR(rowTwips, pixelsToTwipsY(view()->verticalHeader()->defaultSectionSize()), 0.01);
    EXPECT_NEAR(m_grid->RowHeightToTwips(7, 25.0f), 2 * rowTwips, 0.01);

    m_grid->setRow(0);
    m_grid->setCol(-1);
    m_grid->setFontBold(true);
    EXPECT_TRUE(view()->model()->headerData(2, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(view()->model()->data(cell(3, 1), Qt::FontRole).isValid());

    m_grid->setRow(-1);
    m_grid->setCol(2);
    m_grid->setFontSize(base + 5);
    EXPECT_DOUBLE_EQ(view()->model()->data(cell(2, 3), Qt::FontRole).value<QFont>().pointSizeF(), base + 5);
    m_grid->setRow(2);
    EXPECT_DOUBLE_EQ(m_grid->FontSize(), base + 5);
    m_grid->setCol(1);
    EXPECT_DOUBLE_EQ(m_grid->FontSize(), base);

    m_grid->setRow(-1);
    m_grid->setCol(-1);
    m_grid->setFontSize(base * 2);
    EXPECT_DOUBLE_EQ(view()->font().pointSizeF(), base * 2);
    EXPECT_GT(m_grid->RowHeightToTwips(1, 12.5f), rowTwips) << "rows grow with the grid font";
    expectInvalidCall([this] { m_grid->setFontSize(0); });
}

TEST_F(GridControlTest, HeaderIsPaintedInTheShadowColours) {
    setUpCells(2, 2);
    m_grid->SetText(1, 0, QStringLiteral("WWWWWWWW"));
    m_grid->setRow(0);
    m_grid->setCol(-1);
    m_grid->setFontBold(true);
    m_grid->setShadowColor(0x123456);
    m_grid->setShadowText(0xFFEE00);
    EXPECT_EQ(m_grid->ShadowColor(), 0x123456u);
    EXPECT_EQ(m_grid->ShadowText(), 0xFFEE00u);

    QHeaderView* header = view()->horizontalHeader();
    const QImage image = header->grab().toImage();
    const int right = header->sectionViewportPosition(0) + header->sectionSize(0) - 4;
    EXPECT_EQ(QColor(image.pixel(right, header->height() / 2)), QColor(0x12, 0x34, 0x56));
    int textPixels = 0;
    for (int x = 0; x < header->sectionSize(0); ++x) {
        for (int y = 0; y < image.height(); ++y)
            textPixels += QColor(image.pixel(x, y)) == QColor(0xFF, 0xEE, 0x00) ? 1 : 0;
    }
    EXPECT_GT(textPixels, 0) << "the caption is drawn in the shadow text colour";
}

TEST_F(GridControlTest, PlacementIsInTwipsOfTheContainer) {
    m_grid->Move(1440, 720, 5760, 2880);
    EXPECT_EQ(m_grid->geometry(),
              QRect(twipsToPixelsX(1440), twipsToPixelsY(720), twipsToPixelsX(5760), twipsToPixelsY(2880)));
    const double pixelX = 1440 / screenDpiX(), pixelY = 1440 / screenDpiY();
    EXPECT_NEAR(m_grid->Left(), 1440, pixelX);
    EXPECT_NEAR(m_grid->Top(), 720, pixelY);
    EXPECT_NEAR(m_grid->Width(), 5760, pixelX);
    EXPECT_NEAR(m_grid->Height(), 2880, pixelY);
    m_grid->Move(0, 0, -100, -100);
    EXPECT_EQ(m_grid->geometry().size(), QSize(0, 0));

    QWidget other(m_window.get());
    other.setGeometry(0, 0, 300, 300);
    other.show();
    m_grid->Move(150, 150, 3000, 3000);
    const QRect place = m_grid->geometry();
    EXPECT_TRUE(m_grid->Visible());
    m_grid->setContainer(&other);
    EXPECT_EQ(m_grid->Container(), &other);
    EXPECT_EQ(m_grid->geometry(), place);
    EXPECT_TRUE(m_grid->isVisible());

    m_grid->setVisible(false);
    m_grid->setContainer(m_window.get());
    EXPECT_FALSE(m_grid->Visible()) << "a hidden grid stays hidden in its new container";
    m_grid->setVisible(true);
    EXPECT_TRUE(m_grid->Visible());

    QObject notAWidget;
    expectInvalidCall([&] { m_grid->setContainer(&notAWidget); });
    expectInvalidCall([this] { m_grid->setContainer(m_grid->view()); });
    EXPECT_EQ(m_grid->Container(), m_window.get());

    m_window->setEnabled(false);
    EXPECT_TRUE(m_grid->Enabled()) << "Enabled is the grid's own setting";
    m_window->setEnabled(true);
    m_grid->setEnabled(false);
    EXPECT_FALSE(m_grid->Enabled());
    EXPECT_FALSE(view()->isEnabled());
    EXPECT_FALSE(view()->accessibleName().isEmpty());
}

TEST_F(GridControlTest, ClicksRaiseCellClickRightClickAndMouseUpInTwips) {
    setUpCells(3, 20);
    m_grid->setOperationMode(3);
    click(2, 5);
    EXPECT_EQ(takeEvents(), (QStringList{QStringLiteral("CellClick 2 5"), QStringLiteral("MouseUp 1 0")}));
    EXPECT_EQ(m_grid->ActiveRow(), 5);
    EXPECT_EQ(m_grid->ActiveCol(), 2);
    const QPointF twips = twipsOf(centre(2, 5));
    EXPECT_NEAR(m_sink.mouseUpAt.x(), twips.x(), 0.5);
    EXPECT_NEAR(m_sink.mouseUpAt.y(), twips.y(), 0.5);

    click(3, 4, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(takeEvents(), (QStringList{QStringLiteral("RightClick 1 3 4"), QStringLiteral("MouseUp 2 3")}));
    EXPECT_EQ(m_sink.rightClickAt, twipsOf(centre(3, 4)).toPoint());

    doubleClick(1, 2);
    EXPECT_EQ(takeEvents(),
              (QStringList{QStringLiteral("CellClick 1 2"), QStringLiteral("MouseUp 1 0"),
                           QStringLiteral("CellDoubleClick 1 2"), QStringLiteral("MouseUp 1 0")}));
}

struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* expected;
};

TEST_F(GridControlTest, KeyDownReportsWindowsKeyCodesAndShiftState) {
    setUpCells(3, 40);
    m_grid->setOperationMode(3);
    activate(2, 20);
    view()->setFocus();
    const KeyCase cases[] = {
        {Qt::Key_Return, {}, "KeyDown 13 0"},
        {Qt::Key_Enter, Qt::KeypadModifier, "KeyDown 13 0"},
        {Qt::Key_Escape, {}, "KeyDown 27 0"},
        {Qt::Key_Space, {}, "KeyDown 32 0"},
        {Qt::Key_A, {}, "KeyDown 65 0"},
        {Qt::Key_A, Qt::ShiftModifier, "KeyDown 65 1"},
        {Qt::Key_B, Qt::ControlModifier | Qt::AltModifier, "KeyDown 66 6"},
        {Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier, "KeyDown 90 3"},
        {Qt::Key_0, {}, "KeyDown 48 0"},
        {Qt::Key_7, Qt::AltModifier, "KeyDown 55 4"},
        {Qt::Key_F1, {}, "KeyDown 112 0"},
        {Qt::Key_F12, Qt::ShiftModifier, "KeyDown 123 1"},
        {Qt::Key_Left, {}, "KeyDown 37 0"},
        {Qt::Key_Up, {}, "KeyDown 38 0"},
        {Qt::Key_Right, {}, "KeyDown 39 0"},
        {Qt::Key_Down, {}, "KeyDown 40 0"},
        {Qt::Key_Delete, {}, "KeyDown 46 0"},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.expected);
        QTest::keyClick(view(), c.key, c.modifiers);
        // Modifier keys go down first and report themselves (16 Shift, 17 Ctrl, 18 Alt).
        const QStringList log = takeEvents();
        ASSERT_FALSE(log.isEmpty());
        EXPECT_EQ(log.last(), QString::fromLatin1(c.expected));
    }
    QTest::keyClick(view(), Qt::Key_Adiaeresis);
    EXPECT_TRUE(takeEvents().isEmpty()) << "a key without a Windows code raises nothing";
}

TEST_F(GridControlTest, KeyDownComesBeforeTheGridActsAndCanSwallowTheKey) {
    setUpCells(2, 10);
    m_grid->setOperationMode(3);
    activate(1, 5);
    view()->setFocus();
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
}

TEST_F(GridControlTest, EditingRaisesEditModeChangeAndCellChangeOnlyForAChange) {
    setUpCells(3, 10);
    m_grid->setOperationMode(0);

    doubleClick(2, 3);
    QLineEdit* editor = editorAt(2, 3);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("r3c2"));
    EXPECT_EQ(takeEvents(),
              (QStringList{QStringLiteral("CellClick 2 3"), QStringLiteral("MouseUp 1 0"),
                           QStringLiteral("CellDoubleClick 2 3"), QStringLiteral("EditModeChange 2 3 1 0"),
                           QStringLiteral("MouseUp 1 0")}));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("O'Neil \"x\""));
    editor->insert(QStringLiteral(" – 歯科"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(takeEvents(),
              (QStringList{QStringLiteral("EditModeChange 2 3 0 1"), QStringLiteral("CellChange 2 3")}));
    EXPECT_EQ(m_grid->GetText(2, 3), QStringLiteral("O'Neil \"x\" – 歯科"));

    // F2 opens, Escape drops the typing.
    activate(1, 4);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F2);
    editor = editorAt(1, 4);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("zzz"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(takeEvents(),
              (QStringList{QStringLiteral("KeyDown 113 0"), QStringLiteral("EditModeChange 1 4 1 0"),
                           QStringLiteral("EditModeChange 1 4 0 0")}));
    EXPECT_EQ(m_grid->GetText(1, 4), QStringLiteral("r4c1"));

    // Committing the same text is no change.
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F2);
    editor = editorAt(1, 4);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(takeEvents(),
              (QStringList{QStringLiteral("KeyDown 113 0"), QStringLiteral("EditModeChange 1 4 1 0"),
                           QStringLiteral("EditModeChange 1 4 0 0")}));

    // Typing starts an editor with the key typed.
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Q);
    editor = editorAt(1, 4);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(takeEvents(),
              (QStringList{QStringLiteral("KeyDown 81 0"), QStringLiteral("EditModeChange 1 4 1 0"),
                           QStringLiteral("EditModeChange 1 4 0 1"), QStringLiteral("CellChange 1 4")}));
    EXPECT_EQ(m_grid->GetText(1, 4), QStringLiteral("q"));
}

TEST_F(GridControlTest, ScrollingByTheUserRaisesTopLeftChange) {
    setUpCells(3, 300);
    m_grid->setOperationMode(3);
    activate(1, 1);
    view()->setFocus();
    takeEvents();

    QTest::keyClick(view(), Qt::Key_PageDown);
    const qint32 top = view()->rowAt(0) + 1;
    ASSERT_GT(top, 1);
    EXPECT_EQ(takeEvents(), (QStringList{QStringLiteral("KeyDown 34 0"),
                                         QStringLiteral("TopLeftChange 1 1 1 %1").arg(top)}));

    view()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    const qint32 newTop = view()->rowAt(0) + 1;
    ASSERT_GT(newTop, top);
    EXPECT_EQ(takeEvents(), (QStringList{QStringLiteral("TopLeftChange 1 %1 1 %2").arg(top).arg(newTop)}));
}

TEST_F(GridControlTest, ProgrammaticCallsRaiseNoEvents) {
    setUpCells(4, 200);
    m_grid->setOperationMode(0);
    doubleClick(1, 1); // an editor the code will close
    ASSERT_NE(editorAt(1, 1), nullptr);
    takeEvents();

    m_grid->setOperationMode(4);
    EXPECT_EQ(editorAt(1, 1), nullptr);
    m_grid->SetText(1, 1, QStringLiteral("x"));
    activate(3, 150);
    m_grid->setRow(180);
    m_grid->setPosition(3);
    m_grid->setAction(1);
    m_grid->setRow(2);
    m_grid->setAction(5);
    m_grid->setSortKey(1, 2);
    m_grid->setSortKeyOrder(1, 2);
    m_grid->setRow(-1);
    m_grid->setCol(-1);
    m_grid->setAction(25);
    m_grid->setRowSelected(true);
    m_grid->setMaxRows(50);
    m_grid->ClearRange(-1, -1, -1, -1, true);
    m_grid->setCol(2);
    m_grid->setColHidden(true);
    m_grid->Move(0, 0, 4000, 3000);
    m_grid->setVisible(false);
    m_grid->setVisible(true);
    m_grid->SetFocus();
    m_grid->Refresh();
    EXPECT_TRUE(takeEvents().isEmpty());
}

TEST_F(GridControlTest, AHandlerMayDestroyTheGrid) {
    setUpCells(2, 5);
    m_grid->setOperationMode(3);
    QPointer<GridControl> grid(m_grid);
    QWidget* viewport = view()->viewport();
    m_sink.onEvent = [&](const QString& line) {
        if (line.startsWith(QLatin1String("CellClick")))
            delete grid.data();
    };
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre(1, 2));
    EXPECT_TRUE(grid.isNull());
    m_grid = nullptr;
    EXPECT_EQ(takeEvents(), QStringList{QStringLiteral("CellClick 1 2")});
}

TEST_F(GridControlTest, AHandlerMayDestroyTheGridFromKeyDownOrWhenAnEditCloses) {
    setUpCells(2, 5);
    QPointer<GridControl> grid(m_grid);
    activate(1, 1);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F2);
    QLineEdit* editor = editorAt(1, 1);
    ASSERT_NE(editor, nullptr);
    m_sink.onEvent = [&](const QString& line) {
        if (line.startsWith(QLatin1String("EditModeChange 1 1 0")))
            delete grid.data();
    };
    QTest::keyClick(editor, Qt::Key_Return);
    takeEvents();
    EXPECT_TRUE(grid.isNull());

    m_grid = new GridControl(m_window.get());
    m_grid->setEventSink(&m_sink);
    setUpCells(2, 5);
    m_grid->show();
    grid = m_grid;
    QTableView* table = view();
    m_sink.onEvent = [&](const QString& line) {
        if (line.startsWith(QLatin1String("KeyDown")))
            delete grid.data();
    };
    QTest::keyPress(table, Qt::Key_Down);
    EXPECT_TRUE(grid.isNull());
    m_grid = nullptr;
}

TEST_F(GridControlTest, AHandlerMayDisableTheGridOrRunAModalDialog) {
    setUpCells(2, 5);
    m_grid->setOperationMode(3);
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
    EXPECT_EQ(takeEvents(), (QStringList{QStringLiteral("CellClick 1 2"), QStringLiteral("MouseUp 1 0")}));

    click(1, 3);
    EXPECT_FALSE(m_grid->Enabled());
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(takeEvents(), QStringList{QStringLiteral("CellClick 1 3")})
        << "a disabled grid takes no more input";
    EXPECT_EQ(m_grid->ActiveRow(), 3);
}

} // namespace
