// The demo desk's list history: newest first, and Restore only after asking.
#include <refhost/RefhostSupport.h>

#include "ListHistoryWindow.h"

#include <QPushButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

VV_HOST_SUITE(ListHistoryWindowTest);

TEST_P(ListHistoryWindowTest, ShowsTheListsChangesNewestFirstAndRestoresOnlyWhenTheUserSaysYes) {
    auto desk = ReferenceHost::Open(m_db->url(), m_dialogs, m_folder.path());
    desk->setLoginName(u"DR_SMITH"_s);
    const qint32 key = addEntry(u"ALERT"_s, u"Latex"_s, desk.get());
    addEntry(u"OTHER"_s, u"Not this list"_s, desk.get());
    run(u"Delete * from UsrDefTable where UsrDefInd=%1"_s.arg(key));

    vvdemo::ListHistoryWindow window(desk, u"alert"_s);
    auto* changes = window.findChild<QTableWidget*>(u"historyChanges"_s);
    ASSERT_EQ(changes->rowCount(), 2);
    EXPECT_EQ(
        std::tuple(changes->item(0, 4)->text(), changes->item(0, 6)->text(), changes->item(1, 2)->text()),
        std::tuple(u"delete"_s, u"Latex"_s, u"DR_SMITH"_s));

    changes->selectRow(0);
    m_dialogs->expectMessage(MsgBox::AnswerNo, u"Restore change"_s);
    EXPECT_FALSE(window.restoreSelected());
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE UsrDefCod = 'ALERT'"_s), 0);
    changes->selectRow(0);
    m_dialogs->expectMessage(MsgBox::AnswerYes, u"comes back"_s);
    window.findChild<QPushButton*>(u"historyRestore"_s)->click();
    EXPECT_EQ(value(u"SELECT usrdefDes FROM UsrDefTable WHERE usrdefInd = %1"_s.arg(key)).toString(),
              u"Latex"_s);
    EXPECT_EQ(std::pair(changes->rowCount(), m_dialogs->pending()), std::pair(3, qsizetype(0)));
}

} // namespace
