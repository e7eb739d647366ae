// The window's parts without a window, over a grid that is never shown, a
// real database and the reference host: editing a list on both engines, and
// the select action making selection records of rows.
#include "WindowTest.h"

#include <store/ListStore.h>
#include <window/ListEditSession.h>
#include <window/SelectionCollector.h>

namespace {

class ListEditSessionTest : public test::WindowTest {
protected:
    // The cards as the window loads them, every row marked stored; the conflict check on.
    void load() {
        m_amex = m_env->addEntry(u"CRECARD"_s, u"AX"_s, u"American Express"_s);
        m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
        PickerEnv::prepareRequest(u"CRECARD"_s);
        m_list.FrameTag = u"CRECARD"_s;
        m_list.ColumnCount = qint16(PickerEnv::request().ColumnWidths.UBound());
        m_list.StatusColumn = qint16(m_list.ColumnCount + 1);
        m_grid.setMaxCols(m_list.StatusColumn);
        const qint32 rows =
            ListStore(m_env->host())
                .LoadList(m_list.FrameTag, PickerEnv::request().FieldNames, m_list.ColumnCount, m_grid,
                          [&](qint32 row) { m_grid.SetText(m_list.StatusColumn, row, RowStatus::Stored); });
        m_grid.setMaxRows(rows);
        m_session.emplace(m_list, m_grid, m_env->host(), m_env->dialogs(), PickerEnv::request(), true);
        m_session->begin();
    }
    qint32 rowOf(const QString& description) const {
        for (qint32 r = 1; r <= m_grid.MaxRows(); ++r)
            if (m_grid.GetText(2, r) == description)
                return r;
        ADD_FAILURE() << description.toStdString();
        return 0;
    }
    void type(qint32 row, const QString& description) {
        m_grid.SetText(2, row, description);
        m_session->cellChanged(row);
    }
    QString status(qint32 row) const { return m_grid.GetText(m_list.StatusColumn, row); }

    grid::GridControl m_grid;
    LevelList m_list;
    std::optional<ListEditSession> m_session;
    qint32 m_amex = 0;
};

// A refused save keeps the marks for the next one; with the conflict check on,
// a row finally saved is still measured against the state editing began from,
// and the question names every field the other workstation changed.
TEST_P(ListEditSessionTest, ARefusedSaveKeepsItsMarksAndIsStillComparedWithWhatWasLoaded) {
    load();
    const qint32 amex = rowOf(u"American Express"_s);
    type(amex, u"Amex (mine)"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, u"save"_s);
    EXPECT_EQ(std::pair(m_session->save(), status(amex)), std::pair(false, RowStatus::Edited));
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), (QStringList{u"American Express"_s, u"MasterCard"_s}));

    ASSERT_TRUE(openHost()->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, m_amex,
                                       {u"usrdefSeqCod"_s, u"usrdefDes"_s}, {u"AM"_s, u"Amex (theirs)"_s},
                                       true));
    type(rowOf(u"MasterCard"_s), u"MasterCard Gold"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo,
                                   u"since you started editing it:\r\n    Gp: \"AX\", now \"AM\"\r\n"
                                   u"    Description: \"American Express\", now \"Amex (theirs)\"\r\n"_s);
    m_session->save();
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{u"Amex (theirs)"_s, u"MasterCard Gold"_s}));
}

VV_ENGINES(Engines, ListEditSessionTest, Engine::SQLite, Engine::PostgreSQL);

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
        }
        m_grid.setOperationMode(multiSelect ? GridMode::MultiSelect : GridMode::SingleSelect);
        m_grid.setRow(active), m_grid.setCol(2), m_grid.setAction(GridAction::ActivateCell);
    }
    // The cursor's or the ticked rows' records; a nested list to open is noted.
    bool collect() {
        return SelectionCollector(
                   m_grid, 0, PickerEnv::request(), m_env->host(), m_env->dialogs(), m_selection,
                   {[] { return false; }, [this](const QString& code) { m_opened << code; }, &unsupported})
            .collect();
    }
    static void unsupported() { ADD_FAILURE() << "pipe signs are supported here"; }
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

// A row gives its record and each variable one after it; ticked rows come in
// order, and a title line is refused.
TEST_P(SelectionCollectorTest, RowsGiveTheirRecordsAndVariablesInOrderAndTitleLinesAreRefused) {
    show({u"Exam"_s, u"Crown |?? on |T#"_s}, 2);
    m_env->dialogs().expectInput(u"upper left"_s, u"Crown |?? on |T#"_s);
    EXPECT_TRUE(collect());
    // The row's own record is the host-view transcripts' (a record's fields as the entry point reads them).
    EXPECT_EQ(listsAndLevels(), (QStringList{u"NOTES@0"_s, u"|??@1"_s, u"|T#@1"_s}));
    EXPECT_EQ(std::pair(m_selection.at(1).description(), m_opened.size()),
              std::pair(u"upper left"_s, qsizetype(0)));
    m_selection.clear();

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
