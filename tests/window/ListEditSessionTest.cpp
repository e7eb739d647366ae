// Editing a list without a window: the edit session over a grid that is
// never shown, a real database and the reference host, on both engines.
#include "WindowTest.h"

#include <store/ListStore.h>
#include <window/ListEditSession.h>

namespace {

class ListEditSessionTest : public test::PickerTest {
protected:
    // The cards as the window loads them: every row marked stored.
    void load(bool conflictCheck = false) {
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
        m_session.emplace(m_list, m_grid, m_env->host(), m_env->dialogs(), PickerEnv::request(),
                          conflictCheck);
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

TEST_P(ListEditSessionTest, SaveWritesEditedAndNewRowsAndMarksThemStored) {
    load();
    const qint32 amex = rowOf(u"American Express"_s);
    type(amex, u"Amex"_s);
    EXPECT_EQ(status(amex), RowStatus::Edited);
    bool grown = false;
    m_session->addRow([&] { grown = true; });
    const qint32 added = m_grid.MaxRows();
    type(added, u"Visa"_s);
    EXPECT_EQ(std::pair(grown, status(added)),
              std::pair(true, RowStatus::New)); // new stays new when typed into

    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    EXPECT_TRUE(m_session->save());
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), (QStringList{u"Amex"_s, u"MasterCard"_s, u"Visa"_s}));
    EXPECT_EQ(status(amex) + status(added), RowStatus::Stored + RowStatus::Stored);
    // The new row's key, no more the list code.
    EXPECT_TRUE(m_grid.GetText(m_list.ColumnCount, added).toInt() > 0 && !m_list.ListChanged);
    EXPECT_FALSE(m_session->save()); // nothing changed since: nothing asked
}

// A refused save keeps the marks for the next one; with the conflict check on,
// a row finally saved is still measured against the state editing began from,
// and the question names every field the other workstation changed.
TEST_P(ListEditSessionTest, ARefusedSaveKeepsItsMarksAndIsStillComparedWithWhatWasLoaded) {
    load(true);
    const qint32 amex = rowOf(u"American Express"_s);
    type(amex, u"Amex (mine)"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, u"save"_s);
    EXPECT_EQ(std::pair(m_session->save(), status(amex)), std::pair(false, RowStatus::Edited));
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), (QStringList{u"American Express"_s, u"MasterCard"_s}));

    auto other = ReferenceHost::Open(m_env->db().url(), m_env->dialogsRef(), m_env->dataFolder());
    ASSERT_TRUE(other->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, m_amex,
                                  {u"usrdefSeqCod"_s, u"usrdefDes"_s}, {u"AM"_s, u"Amex (theirs)"_s}, true));
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

} // namespace
