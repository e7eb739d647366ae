// When the database is in the way: what a person reads after a failed save,
// and how long a list waits for a lock another workstation holds.
#include "WindowTest.h"

#include <core/Logging.h>
#include <window/SaveFailure.h>

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// A lock timeout (LockedListTest) and a full disk (PickerEntryPointsTest) are told through the window.
TEST(SaveFailedMessageTest, TheDatabasesTroubleIsToldInTheOfficesWordsAndAHostsRefusalNamesItself) {
    // The error, whether nothing was saved, and what the person is told.
    const std::tuple<std::int32_t, QString, bool, QString> cases[] = {
        {ErrorCode::DatabaseError, u"database is locked Unable to fetch row"_s, false,
         u"Another workstation is changing this list; the changes not yet saved are still in the list. Try "
         u"again in a moment."_s},
        {ErrorCode::DatabaseError, u"ERROR:  cannot execute INSERT in a read-only transaction (25006)"_s,
         true,
         u"The practice's database accepts no changes at the moment; nothing was saved. Ask whoever looks "
         u"after the practice's database."_s},
        {ErrorCode::ConnectionError, u"server closed the connection unexpectedly"_s, true,
         u"The connection to the practice's database was lost; nothing was saved. Try again; if it happens "
         u"again, ask whoever looks after the practice's database."_s},
        {ErrorCode::DatabaseError, u"ERROR:  canceling statement due to statement timeout"_s, true,
         u"The practice's database did not answer in time; nothing was saved. Try again in a moment."_s},
        {ErrorCode::DatabaseError, u"ERROR:  null value in column \"x\" violates not-null constraint"_s, true,
         u"The practice's database refused the change; nothing was saved. Try again; if it happens "
         u"again, ask whoever looks after the practice's database."_s},
        // Not the database's: the user can mend what the host names.
        {ErrorCode::HostError, u"the description of row 3 is longer than 255 characters"_s, true,
         u"Your changes to the list were not saved: the description of row 3 is longer than 255 "
         u"characters"_s},
    };
    for (const auto& [code, message, nothingSaved, told] : cases)
        EXPECT_EQ(SaveFailedMessage(AutomationError(code, message), nothingSaved), told)
            << message.toStdString();
}

class LockedListTest : public test::WindowTest {
protected:
    // Another workstation's transaction, open until the test ends.
    QSqlDatabase otherWorkstation(const QString& statement) {
        QSqlDatabase other = m_env->db().openAnother(u"locker%1"_s.arg(++m_lockers));
        EXPECT_TRUE(other.transaction());
        QSqlQuery q(other);
        EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
        return other;
    }
    int m_lockers = 0;
};

TEST_P(LockedListTest, AListWaitsForAnotherWorkstationsLockOnceAndASaveItBlocksIsToldPlainly) {
    m_env->addEntry(u"CRECARD"_s, u"V"_s, u"Visa"_s);
    constexpr int kLockMs = 1500;
    // The reference host again, waiting at most that long for any lock.
    m_env->component().put_GIC(openHost(u"&lock_timeout=%1"_s.arg(kLockMs)));
    {
        QSqlDatabase other = otherWorkstation(u"LOCK TABLE UsrDefTable IN ACCESS EXCLUSIVE MODE"_s);
        PickerEnv::prepareRequest(u"CRECARD"_s);
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(test::errorOf([&] { m_env->loadForm(); }), ErrorCode::DatabaseError);
        // One wait for the lock, not one more for a second try of the same statement.
        EXPECT_LT(waited.elapsed(), 2 * kLockMs - 100);
        other.rollback();
    }

    // The row locked by another workstation's save: Done waits, gives up, and says so in plain words.
    auto form = show();
    click(form->level(0).cmd_Edit);
    PickerEnv::typeIntoCell(PickerEnv::grid(), 2, 1, u"Visa Gold"_s);
    QSqlDatabase other = otherWorkstation(u"SELECT * FROM UsrDefTable FOR UPDATE"_s);
    static QStringList logged;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QLatin1String(context.category) == QLatin1String("viVavazuruv.sql"))
                logged << text;
        });
    const bool sqlWarnings = lcSql().isWarningEnabled();
    const_cast<QLoggingCategory&>(lcSql()).setEnabled(QtWarningMsg, true);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    m_env->dialogs().expectMessage(
        MsgBox::AnswerOk,
        u"Another workstation is changing this list; nothing was saved. Try again in a moment."_s);
    click(form->level(0).cmd_Edit);
    qInstallMessageHandler(previous);
    const_cast<QLoggingCategory&>(lcSql()).setEnabled(QtWarningMsg, sqlWarnings);
    other.rollback();
    EXPECT_TRUE(logged.join(u'\n').contains(u"lock"_s)) << logged.join(u'\n').toStdString();
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), QStringList{u"Visa"_s});
}

VV_ENGINES(Engines, LockedListTest, Engine::PostgreSQL);

} // namespace
