#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <algorithm>
#include <grid/GridModel.h>
#include <gtest/gtest.h>
#include <support/QtPrinting.h>
#include <tuple>

using viVavazuruv::grid::GridModel;
using namespace Qt::StringLiterals;

namespace {

// A model under Qt's own consistency checks: every signal it emits is
// verified against what the model then reports.
class GridModelTest : public ::testing::Test {
protected:
    // Rows of comma-separated cells, from row 1 and column 1.
    void fill(const QStringList& rows) {
        m_model.setMaxCols(qint32(rows.value(0).count(QLatin1Char(',')) + 1));
        m_model.setMaxRows(qint32(rows.size()));
        for (qsizetype r = 0; r < rows.size(); ++r)
            for (qint32 c = 0; const QString& cell : rows[r].split(u','))
                m_model.setText(++c, qint32(r + 1), cell);
    }
    // One column's texts, comma-joined.
    QString column(qint32 col) const {
        QStringList texts;
        for (qint32 r = 1; r <= m_model.maxRows(); ++r)
            texts.append(m_model.text(col, r));
        return texts.join(QLatin1Char(','));
    }
    GridModel m_model;
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(GridModelTest, HostileTextRoundTripsAndAddressesOutsideTheGridReadEmpty) {
    const QStringList texts{QString(QChar(0)) + u"after NUL"_s + QChar(0), QString(100000, QLatin1Char('w')),
                            u"\U0001F9B7 歯科 – عيادة, \t tab \r\n newline"_s, u"   "_s};
    m_model.setMaxCols(2);
    m_model.setMaxRows(qint32(texts.size()));
    for (qint32 row = 1; row <= texts.size(); ++row) {
        ASSERT_TRUE(m_model.setData(m_model.index(row - 1, 1), texts[row - 1]));
        ASSERT_TRUE(m_model.setText(2, 0, texts[row - 1]));
        EXPECT_EQ(std::tuple(m_model.text(2, row), m_model.headerData(1, Qt::Horizontal).toString()),
                  std::tuple(texts[row - 1], texts[row - 1]))
            << row;
    }
    for (const QPoint& p : {QPoint(0, 1), QPoint(3, 1), QPoint(1, 5), QPoint(1, -1), QPoint(INT32_MIN, 1),
                            QPoint(INT32_MAX, INT32_MAX)}) {
        EXPECT_EQ((std::tuple{m_model.text(p.x(), p.y()), m_model.setText(p.x(), p.y(), u"x"_s)}),
                  std::tuple(QString(), false))
            << p.x() << ',' << p.y();
    }
    m_model.setEditable(true); // an editable cell still takes text only
    EXPECT_FALSE(m_model.setData(m_model.index(0, 0), u"b"_s, Qt::CheckStateRole));
}

TEST_F(GridModelTest, ResizingDeletingAndClearingKeepWhatBelongsToTheirRows) {
    fill({u"a1,b1,c1"_s, u"a2,b2,c2"_s, u"a3,b3,c3"_s});
    m_model.setText(3, 0, u"C"_s);
    m_model.setTicked(3, true);
    m_model.setMaxRows(2);
    m_model.setMaxCols(2);
    EXPECT_EQ(m_model.tickedCount(), 0);
    m_model.setMaxRows(5);
    m_model.setMaxCols(4);
    // A column dropped and added again starts empty.
    EXPECT_EQ(std::tuple(column(1), column(3)), std::tuple(u"a1,a2,,,"_s, u",,,,"_s));

    fill({u"r1,x"_s, u"r2,x"_s, u"r3,x"_s, u"r4,x"_s});
    m_model.setText(2, 0, u"H"_s);
    ASSERT_TRUE(m_model.deleteRow(2));
    EXPECT_EQ((std::tuple{column(1), m_model.deleteRow(4), m_model.dataRowCount()}),
              std::tuple(u"r1,r3,r4"_s, false, 3));
    m_model.setText(1, 3, QString());
    m_model.setText(2, 3, QString());
    EXPECT_EQ(m_model.dataRowCount(), 2) << "a trailing row emptied again no longer counts";

    // The window's clear before a fill: the cells go, the header's text and font stay.
    m_model.setBold(-1, 0, true);
    m_model.clearRange(-1, -1, -1, -1, true);
    EXPECT_EQ(std::tuple(column(2), m_model.text(2, 0), m_model.bold(1, 0), m_model.dataRowCount()),
              std::tuple(u",,"_s, u"H"_s, true, 0));
}

// Texts are kept in shared blocks that are compacted as edits replace them
// and reused when a list is refilled: every cell must read back what was
// last written, whatever was replaced, moved or refilled around it.
TEST_F(GridModelTest, EveryCellReadsItsLastTextThroughEditsCompactionAndRefills) {
    QRandomGenerator random(7);
    for (const int rows : {300, 40}) {
        m_model.setMaxRows(0);
        m_model.setMaxCols(1);
        m_model.setMaxRows(rows);
        QStringList expected(rows);
        for (int edit = 0; edit < 6000; ++edit) {
            const int row = int(random.bounded(rows));
            const int length = edit % 997 == 0 ? 20000 : int(random.bounded(12));
            expected[row] = QString(length, QChar(u'a' + random.bounded(3)));
            const QByteArray latin1 = expected[row].toLatin1();
            random.bounded(2) ? m_model.setText(1, row + 1, expected[row])
                              : m_model.setText(1, row + 1, QLatin1StringView(latin1));
            if (edit % 1500 == 1499) { // a deleted row takes its text along
                const int gone = int(random.bounded(rows));
                ASSERT_TRUE(m_model.deleteRow(gone + 1));
                expected.removeAt(gone);
                expected.append(QString());
                m_model.setMaxRows(rows);
            }
        }
        EXPECT_EQ(column(1), expected.join(QLatin1Char(',')));
    }
}

// Texts built to meet every way two keys can compare: equal beyond the first
// eight characters, equal but for case there, shorter than eight, empty,
// punctuation between the cases and, in one run, characters outside ASCII.
// The order must be what a plain stable sort by case-insensitive comparison gives.
// (The window sorts the whole grid by its first two columns, both ascending;
// a descending key: GridControlTest's cursor case.)
TEST_F(GridModelTest, SortingMatchesACaseInsensitiveStableSortOfTheTexts) {
    const QStringList asciiPieces{QString(),      u"a"_s,         u"B"_s, u"abcdefgh"_s, u"ABCDEFGHx"_s,
                                  u"abcdefghY"_s, u"abcdefghy"_s, u"_"_s, u"z"_s};
    const QStringList widePieces = asciiPieces + QStringList{u"ä"_s, u"Äb"_s, u"abcdefgÄ"_s};
    QRandomGenerator random(12345); // seeded, so a failure repeats
    for (const QStringList* pieces : {&asciiPieces, &widePieces}) {
        const auto makeText = [&] {
            QString text;
            for (int n = random.bounded(3) + 1; n > 0; --n)
                text += pieces->at(random.bounded(int(pieces->size())));
            return text;
        };
        QStringList rows; // no piece holds a comma
        for (int r = 0; r < 800; ++r)
            rows.append(u"%1,%2,%3"_s.arg(makeText(), makeText(), QString::number(r)));
        m_model.setBatching(true);
        fill(rows);
        m_model.setBatching(false);
        m_model.sortRows(-1, -1, -1, -1, {{1, Qt::AscendingOrder}, {2, Qt::AscendingOrder}});
        QStringList expected = rows;
        std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
            const int c = a.section(u',', 0, 0).compare(b.section(u',', 0, 0), Qt::CaseInsensitive);
            return (c ? c : a.section(u',', 1, 1).compare(b.section(u',', 1, 1), Qt::CaseInsensitive)) < 0;
        });
        for (QString& row : expected)
            row = row.section(u',', 2);
        ASSERT_EQ(column(3), expected.join(u',')) << pieces->size();
    }
}

TEST_F(GridModelTest, BatchedChangesSignalOnceWhenTheBatchEnds) {
    m_model.setMaxCols(4);
    m_model.setMaxRows(50);
    QSignalSpy data(&m_model, &QAbstractItemModel::dataChanged);
    QSignalSpy headers(&m_model, &QAbstractItemModel::headerDataChanged);
    m_model.setBatching(true);
    for (const auto& [col, row, text] : {std::tuple(2, 10, u"x"_s), std::tuple(3, 40, u"y"_s),
                                         std::tuple(1, 0, u"H1"_s), std::tuple(4, 0, u"H4"_s)})
        m_model.setText(col, row, text);
    m_model.setTicked(20, true);
    m_model.deleteRow(45); // structure still signals at once, and the block stays inside the grid
    EXPECT_EQ(data.count() + headers.count(), 0);
    m_model.setBatching(false);
    ASSERT_EQ(std::tuple(data.count(), headers.count()), std::tuple(1, 1));
    const auto topLeft = data[0][0].value<QModelIndex>(), bottomRight = data[0][1].value<QModelIndex>();
    EXPECT_TRUE(topLeft.row() <= 9 && bottomRight.row() >= 39 && topLeft.column() <= 1 &&
                bottomRight.column() >= 2);
    EXPECT_EQ(headers[0][2].toInt(), 3);
}

} // namespace
