#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <platform/GridModel.h>

using viVavazuruv::platform::GridModel;
using viVavazuruv::platform::GridSortKey;

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// A model under Qt's own consistency checks: every signal it emits is
// verified against what the model then reports.
class GridModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tester = std::make_unique<QAbstractItemModelTester>(
            &m_model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    // Rows of comma-separated cells, from row 1 and column 1.
    void fill(const QStringList& rows) {
        m_model.setMaxCols(qint32(rows.value(0).count(QLatin1Char(',')) + 1));
        m_model.setMaxRows(qint32(rows.size()));
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QStringList cells = rows[r].split(QLatin1Char(','));
            for (qsizetype c = 0; c < cells.size(); ++c)
                m_model.setText(qint32(c + 1), qint32(r + 1), cells[c]);
        }
    }

    QStringList column(qint32 col) const {
        QStringList texts;
        for (qint32 r = 1; r <= m_model.maxRows(); ++r)
            texts.append(m_model.text(col, r));
        return texts;
    }

    static QStringList list(const char* commaSeparated) {
        return QString::fromUtf8(commaSeparated).split(QLatin1Char(','));
    }

    GridModel m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

QStringList hostileTexts() {
    return {QStringLiteral("O'Brien \"the quoted\" ; DROP TABLE x;--"),
            QString(QChar(0)) + QStringLiteral("after NUL") + QChar(0),
            QString(100000, QLatin1Char('w')),
            QStringLiteral("Zahnärztliche Füllung – 歯科 – عيادة الأسنان"),
            QStringLiteral("\U0001F9B7 tooth, \t tab \r\n newline"),
            QStringLiteral("   ")};
}

TEST_F(GridModelTest, HostileTextRoundTripsThroughCellsHeadersAndEditRole) {
    m_model.setMaxCols(2);
    m_model.setMaxRows(static_cast<qint32>(hostileTexts().size()));
    qint32 row = 1;
    for (const QString& text : hostileTexts()) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(m_model.setText(1, row, text));
        EXPECT_EQ(m_model.text(1, row), text);
        EXPECT_EQ(m_model.text(1, row).size(), text.size());
        ASSERT_TRUE(m_model.setData(m_model.index(row - 1, 1), text));
        EXPECT_EQ(m_model.data(m_model.index(row - 1, 1)).toString(), text);
        ASSERT_TRUE(m_model.setText(2, 0, text));
        EXPECT_EQ(m_model.headerData(1, Qt::Horizontal).toString(), text);
        ++row;
    }
}

TEST_F(GridModelTest, AddressesOutsideTheGridReadEmptyAndRefuseWrites) {
    fill({QStringLiteral("a,b"), QStringLiteral("c,d")});
    m_model.setText(2, 0, QStringLiteral("Head"));
    struct Case {
        qint32 col, row;
        QString expected;
        bool writable;
    };
    const Case cases[] = {
        {1, 1, QStringLiteral("a"), true},
        {2, 2, QStringLiteral("d"), true},
        {2, 0, QStringLiteral("Head"), true},
        {0, 1, QString(), false},
        {3, 1, QString(), false},
        {1, 3, QString(), false},
        {-1, 1, QString(), false},
        {1, -1, QString(), false},
        {0, 0, QString(), false},
        {INT32_MAX, INT32_MAX, QString(), false},
        {INT32_MIN, 1, QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "col " << c.col << " row " << c.row);
        EXPECT_EQ(m_model.text(c.col, c.row), c.expected);
        EXPECT_EQ(m_model.setText(c.col, c.row, QStringLiteral("x")), c.writable);
    }
    EXPECT_EQ(column(1), list("x,c"));
    EXPECT_EQ(m_model.rowCount(), 2);
    EXPECT_EQ(m_model.rowCount(m_model.index(0, 0)), 0) << "cells have no children";
}

TEST_F(GridModelTest, ResizingKeepsSurvivingCellsAndForgetsDroppedOnes) {
    fill({QStringLiteral("a1,b1,c1"), QStringLiteral("a2,b2,c2"), QStringLiteral("a3,b3,c3")});
    m_model.setText(3, 0, QStringLiteral("C"));
    m_model.setTicked(3, true);
    m_model.setBold(3, 3, true);

    m_model.setMaxRows(2);
    m_model.setMaxCols(2);
    EXPECT_EQ(m_model.tickedCount(), 0);
    m_model.setMaxRows(5);
    m_model.setMaxCols(4);

    EXPECT_EQ(column(1), list("a1,a2,,,"));
    EXPECT_EQ(column(3), list(",,,,")) << "a column dropped and added again starts empty";
    EXPECT_EQ(m_model.text(3, 0), QString());
    EXPECT_FALSE(m_model.isTicked(3));
    EXPECT_FALSE(m_model.bold(3, 3)) << "a font setting must not outlive its cell";

    m_model.setMaxRows(-1);
    m_model.setMaxCols(-5);
    EXPECT_EQ(m_model.maxRows(), 5);
    EXPECT_EQ(m_model.maxCols(), 4);
    m_model.setMaxRows(0);
    EXPECT_EQ(m_model.dataRowCount(), 0);
}

TEST_F(GridModelTest, DeletingARowMovesEverythingBelowUp) {
    fill({QStringLiteral("r1,x"), QStringLiteral("r2,x"), QStringLiteral("r3,x"), QStringLiteral("r4,x")});
    m_model.setTicked(2, true);
    m_model.setTicked(4, true);
    m_model.setBold(1, 4, true);
    m_model.setPointSize(-1, 3, 20.0);

    ASSERT_TRUE(m_model.deleteRow(2));
    EXPECT_EQ(column(1), list("r1,r3,r4"));
    EXPECT_EQ(m_model.tickedCount(), 1);
    EXPECT_TRUE(m_model.isTicked(3));
    EXPECT_TRUE(m_model.bold(1, 3)) << "the cell font moved with its row";
    EXPECT_DOUBLE_EQ(m_model.pointSize(2, 2), 20.0) << "the row font moved with its row";
    EXPECT_FALSE(m_model.deleteRow(0));
    EXPECT_FALSE(m_model.deleteRow(4));
    EXPECT_EQ(m_model.maxRows(), 3);
}

TEST_F(GridModelTest, DataRowCountFollowsTheLastNonEmptyRow) {
    m_model.setMaxCols(3);
    m_model.setMaxRows(10);
    EXPECT_EQ(m_model.dataRowCount(), 0);
    m_model.setText(2, 0, QStringLiteral("header only"));
    EXPECT_EQ(m_model.dataRowCount(), 0) << "the header row is not data";

    m_model.setText(3, 7, QStringLiteral("x"));
    m_model.setText(1, 4, QStringLiteral("y"));
    EXPECT_EQ(m_model.dataRowCount(), 7);
    m_model.setText(3, 7, QString());
    EXPECT_EQ(m_model.dataRowCount(), 4) << "a trailing row emptied again no longer counts";
    m_model.setText(2, 9, QStringLiteral(" "));
    EXPECT_EQ(m_model.dataRowCount(), 9) << "a blank is text";
    m_model.deleteRow(1);
    EXPECT_EQ(m_model.dataRowCount(), 8);
    m_model.deleteRow(8);
    EXPECT_EQ(m_model.dataRowCount(), 3);
    m_model.setMaxRows(2);
    EXPECT_EQ(m_model.dataRowCount(), 0);
}

TEST_F(GridModelTest, ClearRangeEmptiesDataAndKeepsHeadersTicksAndSettings) {
    fill({QStringLiteral("a,b,c"), QStringLiteral("d,e,f"), QStringLiteral("g,h,i")});
    for (qint32 c = 1; c <= 3; ++c)
        m_model.setText(c, 0, QStringLiteral("H%1").arg(c));
    m_model.setTicked(2, true);
    m_model.setBold(2, 2, true);
    m_model.setBold(3, 3, true);

    m_model.clearRange(3, 3, 2, 2, true); // corners given the other way round
    EXPECT_EQ(column(1), list("a,d,g"));
    EXPECT_EQ(column(2), list("b,,"));
    EXPECT_EQ(column(3), list("c,,"));
    EXPECT_TRUE(m_model.bold(2, 2)) << "data only keeps the fonts";

    m_model.clearRange(2, 2, 2, 2, false);
    EXPECT_FALSE(m_model.bold(2, 2));
    EXPECT_TRUE(m_model.bold(3, 3));

    m_model.clearRange(-1, -1, -1, -1, true);
    for (qint32 c = 1; c <= 3; ++c) {
        EXPECT_EQ(column(c), list(",,"));
        EXPECT_EQ(m_model.text(c, 0), QStringLiteral("H%1").arg(c));
    }
    EXPECT_EQ(m_model.dataRowCount(), 0);
    EXPECT_TRUE(m_model.isTicked(2));
    EXPECT_EQ(m_model.maxRows(), 3);
}

struct SortCase {
    const char* name;
    QList<GridSortKey> keys;
    const char* expectedIds;
};

class GridModelSortTest : public GridModelTest, public ::testing::WithParamInterface<SortCase> {};

// Ties on every key keep their original order, in either direction; case
// does not separate texts.
TEST_P(GridModelSortTest, SortsByUpToTwoKeysStably) {
    fill({QStringLiteral("b,2,r1"), QStringLiteral("a,1,r2"), QStringLiteral("b,1,r3"),
          QStringLiteral("a,1,r4"), QStringLiteral("B,2,r5"), QStringLiteral(",3,r6")});
    m_model.sortRows(-1, -1, -1, -1, GetParam().keys);
    EXPECT_EQ(column(3), list(GetParam().expectedIds));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GridModelSortTest,
    ::testing::Values(
        SortCase{"FirstAscending", {{1, Qt::AscendingOrder}}, "r6,r2,r4,r1,r3,r5"},
        SortCase{"FirstDescending", {{1, Qt::DescendingOrder}}, "r1,r3,r5,r2,r4,r6"},
        SortCase{"BothAscending", {{1, Qt::AscendingOrder}, {2, Qt::AscendingOrder}}, "r6,r2,r4,r3,r1,r5"},
        SortCase{"DescendingThenAscending",
                 {{1, Qt::DescendingOrder}, {2, Qt::AscendingOrder}},
                 "r3,r1,r5,r2,r4,r6"},
        SortCase{"AscendingThenDescending",
                 {{1, Qt::AscendingOrder}, {2, Qt::DescendingOrder}},
                 "r6,r2,r4,r1,r5,r3"},
        SortCase{"SecondColumnDescending", {{2, Qt::DescendingOrder}}, "r6,r1,r5,r2,r3,r4"},
        SortCase{"KeyOutsideTheGridIsSkipped",
                 {{9, Qt::AscendingOrder}, {2, Qt::AscendingOrder}},
                 "r2,r3,r4,r1,r5,r6"},
        SortCase{"NoUsableKeyLeavesTheOrder", {{0, Qt::AscendingOrder}}, "r1,r2,r3,r4,r5,r6"}),
    [](const ::testing::TestParamInfo<SortCase>& info) { return std::string(info.param.name); });

// Enough rows that an unstable sort would reorder ties; the row number is the
// last column and must stay increasing within each run of equal keys.
TEST_F(GridModelTest, SortingManyTiesKeepsTheirOrderInBothDirections) {
    m_model.setMaxCols(3);
    m_model.setMaxRows(500);
    m_model.setBatching(true);
    for (qint32 r = 1; r <= 500; ++r) {
        m_model.setText(1, r, QStringLiteral("k%1").arg((r * 37) % 5));
        m_model.setText(2, r, (r % 2) ? QStringLiteral("ä") : QStringLiteral("Ä"));
        m_model.setText(3, r, QStringLiteral("%1").arg(r, 4, 10, QLatin1Char('0')));
    }
    m_model.setBatching(false);
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        SCOPED_TRACE(order);
        m_model.sortRows(-1, -1, -1, -1, {{1, order}, {2, order}});
        for (qint32 r = 1; r < 500; ++r) {
            const QString key = m_model.text(1, r), nextKey = m_model.text(1, r + 1);
            ASSERT_TRUE(order == Qt::AscendingOrder ? key <= nextKey : key >= nextKey) << r;
            if (key == nextKey) {
                ASSERT_LT(m_model.text(3, r), m_model.text(3, r + 1)) << "ties moved at row " << r;
            }
        }
        // Back to row order for the next direction.
        m_model.sortRows(-1, -1, -1, -1, {{3, Qt::AscendingOrder}});
    }
}

// Texts built to meet every way two keys can compare: equal beyond the first
// eight characters, equal but for case there, shorter than eight, empty,
// punctuation between the cases and, in one run, characters outside ASCII.
// The order must be what a plain stable sort by case-insensitive comparison
// gives.
TEST_F(GridModelTest, SortingMatchesACaseInsensitiveStableSortOfTheTexts) {
    const QStringList asciiPieces{QString(),
                                  QStringLiteral("a"),
                                  QStringLiteral("B"),
                                  QStringLiteral("abcdefgh"),
                                  QStringLiteral("ABCDEFGHx"),
                                  QStringLiteral("abcdefghY"),
                                  QStringLiteral("abcdefghy"),
                                  QStringLiteral("_"),
                                  QStringLiteral("z")};
    QStringList widePieces = asciiPieces;
    widePieces << QStringLiteral("ä") << QStringLiteral("Äb") << QStringLiteral("abcdefgÄ");
    quint32 seed = 12345;
    const auto next = [&seed](quint32 bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (const QStringList* pieces : std::initializer_list<const QStringList*>{&asciiPieces, &widePieces}) {
        const auto makeText = [&] {
            QString text;
            for (quint32 n = next(3) + 1; n > 0; --n)
                text += pieces->at(qsizetype(next(quint32(pieces->size()))));
            return text;
        };
        struct Row {
            QString first, second, id;
        };
        QList<Row> rows;
        for (int r = 0; r < 1500; ++r)
            rows.append({makeText(), makeText(), QStringLiteral("%1").arg(r, 4, 10, QLatin1Char('0'))});
        for (Qt::SortOrder firstOrder : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            for (Qt::SortOrder secondOrder : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                SCOPED_TRACE(testing::Message()
                             << pieces->size() << " pieces, orders " << firstOrder << ' ' << secondOrder);
                m_model.setMaxCols(3);
                m_model.setMaxRows(qint32(rows.size()));
                m_model.setBatching(true);
                for (qint32 r = 0; r < rows.size(); ++r) {
                    m_model.setText(1, r + 1, rows[r].first);
                    m_model.setText(2, r + 1, rows[r].second);
                    m_model.setText(3, r + 1, rows[r].id);
                }
                m_model.setBatching(false);
                m_model.sortRows(-1, -1, -1, -1, {{1, firstOrder}, {2, secondOrder}});

                QList<Row> expected = rows;
                const auto compare = [](const QString& a, const QString& b, Qt::SortOrder order) {
                    const int c = QString::compare(a, b, Qt::CaseInsensitive);
                    return order == Qt::AscendingOrder ? c : -c;
                };
                std::stable_sort(expected.begin(), expected.end(), [&](const Row& a, const Row& b) {
                    if (const int c = compare(a.first, b.first, firstOrder))
                        return c < 0;
                    return compare(a.second, b.second, secondOrder) < 0;
                });
                QStringList expectedIds;
                for (const Row& row : expected)
                    expectedIds.append(row.id);
                ASSERT_EQ(column(3), expectedIds);
            }
        }
    }
}

TEST_F(GridModelTest, SortingABlockMovesOnlyItsCells) {
    fill({QStringLiteral("d,1,keep1"), QStringLiteral("c,2,keep2"), QStringLiteral("b,3,keep3"),
          QStringLiteral("a,4,keep4")});
    m_model.setTicked(2, true);
    m_model.setBold(1, 2, true);

    m_model.sortRows(2, 4, 1, 2, {{1, Qt::AscendingOrder}});
    EXPECT_EQ(column(1), list("d,a,b,c"));
    EXPECT_EQ(column(2), list("1,4,3,2"));
    EXPECT_EQ(column(3), list("keep1,keep2,keep3,keep4")) << "a column outside the block stays";
    EXPECT_TRUE(m_model.isTicked(2)) << "ticks belong to rows, and rows did not move as a whole";
    EXPECT_TRUE(m_model.bold(1, 4)) << "the cell font moved with its text";
    EXPECT_FALSE(m_model.bold(1, 2));
}

TEST_F(GridModelTest, SortingWholeRowsCarriesTicksAndFontsButNotTheCursor) {
    fill({QStringLiteral("c,x"), QStringLiteral("a,y"), QStringLiteral("b,z")});
    m_model.setTicked(1, true);
    m_model.setPointSize(-1, 1, 15.0);
    const QPersistentModelIndex cursor(m_model.index(0, 1));
    QSignalSpy layout(&m_model, &QAbstractItemModel::layoutChanged);

    m_model.sortRows(-1, -1, -1, -1, {{1, Qt::AscendingOrder}});
    EXPECT_EQ(column(2), list("y,z,x"));
    EXPECT_EQ(layout.count(), 1);
    EXPECT_TRUE(m_model.isTicked(3));
    EXPECT_FALSE(m_model.isTicked(1));
    EXPECT_DOUBLE_EQ(m_model.pointSize(2, 3), 15.0);
    EXPECT_EQ(cursor.row(), 0) << "the cursor is a place, not a record";
    EXPECT_EQ(cursor.column(), 1);

    m_model.sortRows(-1, -1, -1, -1, {{1, Qt::AscendingOrder}});
    EXPECT_EQ(layout.count(), 1) << "an order that is already right changes nothing";
}

TEST_F(GridModelTest, TicksAreCountedAndWalkedInRowOrder) {
    m_model.setMaxCols(1);
    m_model.setMaxRows(10);
    for (qint32 row : {7, 2, 9, 2})
        m_model.setTicked(row, true);
    m_model.setTicked(0, true);
    m_model.setTicked(11, true);
    EXPECT_EQ(m_model.tickedCount(), 3);

    QList<qint32> walked;
    for (qint32 row = m_model.nextTicked(0); row != -1; row = m_model.nextTicked(row))
        walked.append(row);
    EXPECT_EQ(walked, (QList<qint32>{2, 7, 9}));
    EXPECT_EQ(m_model.nextTicked(-100), 2);
    EXPECT_EQ(m_model.nextTicked(9), -1);
    EXPECT_EQ(m_model.nextTicked(INT32_MAX), -1);

    m_model.setTicked(7, false);
    m_model.setTicked(7, false);
    EXPECT_EQ(m_model.tickedCount(), 2);
    EXPECT_EQ(m_model.nextTicked(2), 9);

    m_model.setOnlyTicked(5);
    EXPECT_EQ(m_model.tickedCount(), 1);
    EXPECT_EQ(m_model.nextTicked(0), 5);
    m_model.setTicked(-1, true);
    EXPECT_EQ(m_model.tickedCount(), 10);
    m_model.setOnlyTicked(0);
    EXPECT_EQ(m_model.tickedCount(), 0);
}

TEST_F(GridModelTest, TickedRowsAreDrawnWithTheTickBrushesOnly) {
    fill({QStringLiteral("a"), QStringLiteral("b")});
    m_model.setTicked(2, true);
    EXPECT_FALSE(m_model.data(m_model.index(1, 0), Qt::BackgroundRole).isValid());
    m_model.setTickBrushes(QBrush(Qt::blue), QBrush(Qt::white));
    EXPECT_EQ(m_model.data(m_model.index(1, 0), Qt::BackgroundRole).value<QBrush>().color(),
              QColor(Qt::blue));
    EXPECT_EQ(m_model.data(m_model.index(1, 0), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::white));
    EXPECT_FALSE(m_model.data(m_model.index(0, 0), Qt::BackgroundRole).isValid());
}

TEST_F(GridModelTest, TheNewestFontSettingCoveringACellWins) {
    fill({QStringLiteral("a,b"), QStringLiteral("c,d")});
    const double base = m_model.pointSize(-1, -1);
    const auto fontOf = [this](int row, int col) {
        return m_model.data(m_model.index(row - 1, col - 1), Qt::FontRole);
    };
    EXPECT_FALSE(fontOf(1, 1).isValid()) << "cells without settings use the view's font";

    m_model.setBold(1, 1, true);   // one cell
    m_model.setBold(-1, 2, true);  // row 2
    m_model.setBold(2, -1, false); // column 2, newer than row 2
    struct Case {
        qint32 col, row;
        bool bold;
    } const cases[] = {{1, 1, true},  {2, 1, false}, {1, 2, true},
                       {2, 2, false}, {2, 0, false}, {1, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "col " << c.col << " row " << c.row);
        EXPECT_EQ(m_model.bold(c.col, c.row), c.bold);
    }
    EXPECT_TRUE(fontOf(1, 1).value<QFont>().bold());
    EXPECT_FALSE(fontOf(1, 2).isValid()) << "a setting equal to the base font draws as the base font";

    m_model.setPointSize(-1, 0, base + 4); // the header row
    EXPECT_DOUBLE_EQ(m_model.headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().pointSizeF(),
                     base + 4);
    EXPECT_DOUBLE_EQ(m_model.pointSize(1, 1), base);

    m_model.setBold(-1, -1, true); // everything: overrides go
    EXPECT_TRUE(m_model.bold(2, 2));
    EXPECT_TRUE(m_model.baseFont().bold());
    EXPECT_FALSE(fontOf(2, 2).isValid());
    m_model.setPointSize(1, 1, -3.0);
    m_model.setPointSize(1, 1, std::nan(""));
    EXPECT_DOUBLE_EQ(m_model.pointSize(1, 1), base) << "sizes that are no size are ignored";
}

TEST_F(GridModelTest, BatchedChangesSignalOnceWhenTheBatchEnds) {
    m_model.setMaxCols(4);
    m_model.setMaxRows(50);
    QSignalSpy data(&m_model, &QAbstractItemModel::dataChanged);
    QSignalSpy headers(&m_model, &QAbstractItemModel::headerDataChanged);

    m_model.setBatching(true);
    m_model.setText(2, 10, QStringLiteral("x"));
    m_model.setText(3, 40, QStringLiteral("y"));
    m_model.setText(1, 0, QStringLiteral("H1"));
    m_model.setText(4, 0, QStringLiteral("H4"));
    m_model.setTicked(20, true);
    m_model.deleteRow(45); // structure still signals at once, and the block stays inside the grid
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(headers.count(), 0);

    m_model.setBatching(false);
    ASSERT_EQ(data.count(), 1);
    const QModelIndex topLeft = data[0][0].value<QModelIndex>();
    const QModelIndex bottomRight = data[0][1].value<QModelIndex>();
    EXPECT_LE(topLeft.row(), 9);
    EXPECT_GE(bottomRight.row(), 39);
    EXPECT_LE(topLeft.column(), 1);
    EXPECT_GE(bottomRight.column(), 2);
    ASSERT_EQ(headers.count(), 1);
    EXPECT_EQ(headers[0][1].toInt(), 0);
    EXPECT_EQ(headers[0][2].toInt(), 3);

    m_model.setText(1, 1, QStringLiteral("z"));
    EXPECT_EQ(data.count(), 2) << "outside a batch every change signals";
}

TEST_F(GridModelTest, EditingThroughTheViewRespectsEditability) {
    fill({QStringLiteral("a")});
    EXPECT_FALSE(m_model.flags(m_model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    m_model.setEditable(true);
    EXPECT_TRUE(m_model.flags(m_model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(m_model.setData(m_model.index(0, 0), QStringLiteral("b"), Qt::CheckStateRole));
    EXPECT_EQ(m_model.text(1, 1), QStringLiteral("a"));
}

} // namespace
