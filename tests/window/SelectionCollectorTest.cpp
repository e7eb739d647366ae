// The select action without a window: rows of a grid that is never shown
// become selection records, with the reference host and scripted dialogs.
#include "WindowTest.h"

#include <window/SelectionCollector.h>

namespace {

class SelectionCollectorTest : public test::PickerTest {
protected:
    // A list of NOTES in the grid, the cursor on row active.
    void show(const QStringList& descriptions, qint32 active, bool multiSelect = false) {
        PickerEnv::prepareRequest(u"NOTES"_s, false, {}, u"Gp"_s, u"Description"_s, multiSelect);
        m_grid.setMaxCols(7);
        m_grid.setMaxRows(qint32(descriptions.size()));
        for (qint32 r = 1; r <= m_grid.MaxRows(); ++r) {
            m_grid.SetText(1, r, u"G%1"_s.arg(r));
            m_grid.SetText(2, r, descriptions.at(r - 1));
            m_grid.SetText(6, r, QString::number(100 + r));
        }
        m_grid.setOperationMode(multiSelect ? GridMode::MultiSelect : GridMode::SingleSelect);
        m_grid.setRow(active), m_grid.setCol(2), m_grid.setAction(GridAction::ActivateCell);
    }
    bool collect() {
        const auto open = [this](const QString& code) {
            m_opened << code;
        };
        const auto unsupported = [] {
            ADD_FAILURE() << "pipe signs are supported here";
        };
        return SelectionCollector(m_grid, 0, PickerEnv::request(), m_env->host(), m_env->dialogs(),
                                  m_selection, {[] { return false; }, open, unsupported})
            .collect();
    }
    QStringList listsAndLevels() const {
        QStringList result;
        for (const SelectionRecord& r : m_selection)
            result << r.listCode + u'@' + QString::number(r.level);
        return result;
    }

    grid::GridControl m_grid;
    Selection m_selection;
    QStringList m_opened;
};

TEST_P(SelectionCollectorTest, ARowGivesItsRecordAndEachVariableOneAfterIt) {
    show({u"Exam"_s, u"Crown |?? on |T#"_s}, 2);
    m_env->dialogs().expectInput(u"upper left"_s, u"Crown |?? on |T#"_s);
    EXPECT_TRUE(collect());
    EXPECT_EQ(listsAndLevels(), (QStringList{u"NOTES@0"_s, u"|??@1"_s, u"|T#@1"_s}));
    EXPECT_EQ(m_selection.at(0).columns.mid(0, 2), (QStringList{u"G2"_s, u"Crown |?? on |T#"_s}));
    EXPECT_EQ(std::tuple(m_selection.at(0).field(6), m_selection.at(1).description(), m_opened.size()),
              std::tuple(u"102"_s, u"upper left"_s, 0));
}

TEST_P(SelectionCollectorTest, TickedRowsComeInOrderAndATitleLineIsRefused) {
    show({u"$-Notes"_s, u"Exam"_s, u"Recall"_s}, 1, true);
    // Nothing ticked: the cursor's row stands in, and a title line there is refused without a word.
    EXPECT_FALSE(collect());
    EXPECT_TRUE(m_selection.empty());

    for (const qint32 row : {3, 2})
        m_grid.setRow(row), m_grid.setRowSelected(true);
    EXPECT_TRUE(collect());
    EXPECT_EQ(QStringList({m_selection.at(0).description(), m_selection.at(1).description()}),
              (QStringList{u"Exam"_s, u"Recall"_s}));

    // Chosen as the one row, a title line is refused with a message.
    m_selection.clear();
    show({u"$-Notes"_s, u"Exam"_s}, 1);
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"is a title line"_s);
    EXPECT_FALSE(collect());
    EXPECT_TRUE(m_selection.empty());
}

VV_ENGINES(SQLite, SelectionCollectorTest, Engine::SQLite);

} // namespace
