// Two workstations on one database: with the host's conflict check on, a save
// or delete never overwrites what the other did since the list was loaded
// without asking, not even when both press Done at the same moment as two
// processes; with it off, the last save wins as it always did.
#include "WindowTest.h"

#include <core/RequestState.h>

#include <QDateTime>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>

#include <algorithm>
#include <iostream>
#include <string>

namespace {

class ConflictCheckTest : public test::WindowTest {};

const QString kList = u"RACE"_s;

// Saves when asked to, and keeps theirs when told another workstation changed the row.
class WorkstationDialogs final : public IDialogs {
public:
    qint32 MessageBox(const QString& text, qint32, const QString&) override {
        const bool conflict = text.contains(u"another workstation"_s);
        conflicts += conflict;
        return conflict ? MsgBox::AnswerNo : MsgBox::AnswerYes;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> OpenFile(const QString&, const QString&, qint32) override { return {}; }
    void Beep() override {}
    int conflicts = 0;
};

// One workstation, run by the test below in a process of its own: each round
// it loads the list, types into the first row, says "ready", waits for "save",
// presses Done and says whether it was asked about the other's change.
TEST(ConflictRaceWorker, PlaysOneWorkstation) {
    const QString url = qEnvironmentVariable("VV_RACE_URL");
    if (url.isEmpty())
        GTEST_SKIP() << "started by TwoWorkstationsPressingDoneAtOnce";
    QTemporaryDir data;
    auto dialogs = std::make_shared<WorkstationDialogs>();
    auto host = ReferenceHost::Open(url, dialogs, data.path());
    wkDatabases component;
    component.put_GIC(host);
    std::string line;
    for (int round = 1; std::getline(std::cin, line) && line == "load"; ++round) {
        PickerEnv::prepareRequest(kList);
        wkDatabases_Form form(RequestState::instance(), PickerEnv::request(), dialogs);
        form.Load();
        form.show();
        QTest::mouseClick(form.level(0).cmd_Edit, Qt::LeftButton);
        PickerEnv::typeIntoCell(*form.level(0).uddbs_SS, 2, 1,
                                qEnvironmentVariable("VV_RACE_NAME") + QString::number(round));
        std::cout << "@ready" << std::endl;
        if (!std::getline(std::cin, line) || line != "save")
            break;
        const int before = dialogs->conflicts;
        QTest::mouseClick(form.level(0).cmd_Edit, Qt::LeftButton);
        std::cout << (dialogs->conflicts > before ? "@asked" : "@saved") << std::endl;
        form.Unload();
    }
    component.put_GIC(nullptr);
}

// Named on its own: performance runs it alone with VV_RACE_ROUNDS.
class ConflictRaceTest : public test::WindowTest {};

TEST_P(ConflictRaceTest, TwoWorkstationsPressingDoneAtOnceNeverOverwriteEachOtherUnasked) {
    const int rounds =
        qEnvironmentVariableIsSet("VV_RACE_ROUNDS") ? qEnvironmentVariableIntValue("VV_RACE_ROUNDS") : 40;
    m_env->host().setOption(u"LIST_CONFLICT_CHECK"_s, u"-1"_s);
    qint32 key = m_env->addEntry(kList, u"R"_s, u"Start"_s);
    m_env->addEntry(kList, u"S"_s, u"Second"_s);

    QProcess workstations[2];
    for (int i = 0; i < 2; ++i) {
        workstations[i].setEnvironment(QProcess::systemEnvironment() << u"VV_RACE_URL="_s + m_env->db().url()
                                                                     << u"VV_RACE_NAME=%1 "_s.arg(i));
        workstations[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        workstations[i].start(QCoreApplication::applicationFilePath(),
                              {u"--gtest_filter=ConflictRaceWorker.*"_s});
        ASSERT_TRUE(workstations[i].waitForStarted());
    }
    const auto tell = [&](const char* line) {
        for (QProcess& p : workstations)
            p.write(QByteArray(line) + '\n');
        for (QProcess& p : workstations)
            p.waitForBytesWritten();
    };
    // The workstation's own lines start with "@"; the test runner's are passed over.
    const auto hear = [](QProcess& p) {
        for (;;) {
            while (!p.canReadLine())
                if (!p.waitForReadyRead(30000))
                    return QByteArray("(nothing)");
            const QByteArray line = p.readLine().trimmed();
            if (line.startsWith('@'))
                return line.mid(1);
        }
    };
    const auto stop = qScopeGuard([&] {
        for (QProcess& p : workstations) {
            p.closeWriteChannel();
            if (!p.waitForFinished(30000))
                p.kill();
        }
    });

    // Both load the row before either writes: whoever writes second must be
    // asked, so each round one saves and one is asked, never both saved.
    int wrongRounds = 0;
    for (int round = 1; round <= rounds; ++round) {
        ASSERT_TRUE(saveField(m_env->host(), key, u"usrdefDes"_s, u"Start"_s));
        tell("load");
        for (QProcess& p : workstations)
            ASSERT_EQ(hear(p), "ready") << "round " << round;
        tell("save");
        QByteArrayList outcome{hear(workstations[0]), hear(workstations[1])};
        std::sort(outcome.begin(), outcome.end());
        wrongRounds += outcome != QByteArrayList{"asked", "saved"};
    }
    EXPECT_EQ(wrongRounds, 0) << "of " << rounds << " rounds";
}

// Done and Delete in the window, against what another workstation did to the
// same row since this one loaded the list. With a host that keeps a history,
// the question says who changed the row and when.
TEST_P(ConflictCheckTest, TheOtherWorkstationsChangeIsKeptUnlessTheUserSaysOtherwise) {
    enum Act { Nothing, Edit, Move, Delete };
    const QStringList mine{u"Amex (mine)"_s, u"MasterCard"_s}, theirs{u"Amex (theirs)"_s, u"MasterCard"_s},
        gone{u"MasterCard"_s};
    const struct {
        Act theirs, mine;
        bool checkOn;
        std::optional<qint32> answer; // to the conflict question; none when none may come
        QStringList stored;           // the list's descriptions afterwards
        QString by{};                 // the other workstation's login, when it has one
    } cases[] = {
        {Nothing, Edit, true, {}, mine},
        {Edit, Edit, true, MsgBox::AnswerNo, theirs},
        {Edit, Edit, true, MsgBox::AnswerYes, mine},
        {Move, Edit, true, MsgBox::AnswerOk, gone}, // told, never added twice
        {Delete, Edit, true, MsgBox::AnswerYes, mine},
        {Delete, Edit, true, MsgBox::AnswerNo, gone},
        {Edit, Delete, true, MsgBox::AnswerNo, theirs},
        {Edit, Edit, false, {}, mine}, // check off: the last save wins
        {Edit, Edit, true, MsgBox::AnswerNo, theirs, u"DR_SMITH"_s},
    };
    auto other = openHost();
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(++n);
        QSqlQuery(m_env->host().GetConnection()).exec(u"DELETE FROM UsrDefTable"_s);
        const qint32 amex = m_env->addEntry(u"CRECARD"_s, u"AX"_s, u"American Express"_s);
        m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
        m_env->host().setOption(u"LIST_CONFLICT_CHECK"_s, c.checkOn ? u"-1"_s : u"0"_s);
        if (!c.by.isEmpty())
            other->setLoginName(c.by);
        auto form = open(u"CRECARD"_s);
        click(form->level(0).cmd_Edit);

        // The other workstation, between this one's load and its save.
        if (c.theirs == Edit || c.theirs == Move) {
            ASSERT_TRUE(saveField(*other, amex, c.theirs == Edit ? u"usrdefDes"_s : u"UsrDefCod"_s,
                                  c.theirs == Edit ? u"Amex (theirs)"_s : u"OTHER"_s));
        } else if (c.theirs == Delete) {
            ASSERT_TRUE(QSqlQuery(other->GetConnection())
                            .exec(u"DELETE FROM UsrDefTable WHERE UsrDefInd = %1"_s.arg(amex)));
        }
        const QString at = QDateTime::currentDateTime().toString(u"HH:mm"_s);

        if (c.mine == Edit) {
            PickerEnv::typeIntoCell(*form->level(0).uddbs_SS, 2, 1, u"Amex (mine)"_s);
            m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
            if (c.answer)
                m_env->dialogs().expectMessage(
                    *c.answer, c.theirs == Move ? u"was moved to another list"_s
                               : c.by.isEmpty()
                                   ? u"at another workstation"_s
                                   : u"\"American Express\" was changed by %1 at %2"_s.arg(c.by, at));
            click(form->level(0).cmd_Edit); // Done saves
        } else {
            PickerEnv::clickCell(*form->level(0).uddbs_SS, 2, 1);
            m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"delete this record"_s);
            if (c.answer)
                m_env->dialogs().expectMessage(*c.answer, u"Delete it all the same?"_s);
            click(form->level(0).cmd_Del);
        }
        EXPECT_EQ(std::tuple(m_env->storedDescriptions(u"CRECARD"_s),
                             m_env->storedDescriptions(u"OTHER"_s).size(), m_env->dialogs().pending()),
                  std::tuple(c.stored, c.theirs == Move ? 1 : 0, 0));
        form->Unload();
    }
}

// A refused Done keeps the edits for a later save; in the next edit the row is
// still measured against the state it was first edited from, and the question
// names every field the other workstation changed.
TEST_P(ConflictCheckTest, ARefusedDoneKeepsItsEditsAndTheLaterSaveComparesWithWhatWasLoaded) {
    qint32 amex = m_env->addEntry(u"CRECARD"_s, u"AX"_s, u"American Express"_s);
    m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
    m_env->host().setOption(u"LIST_CONFLICT_CHECK"_s, u"-1"_s);
    auto form = open(u"CRECARD"_s);
    PickerLevel& lvl = form->level(0);
    click(lvl.cmd_Edit);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 1, u"Amex (mine)"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo, u"save"_s);
    click(lvl.cmd_Edit);
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), (QStringList{u"American Express"_s, u"MasterCard"_s}));

    ASSERT_TRUE(openHost()->SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, amex,
                                       {u"usrdefSeqCod"_s, u"usrdefDes"_s}, {u"AM"_s, u"Amex (theirs)"_s},
                                       true));
    click(lvl.cmd_Edit);
    PickerEnv::typeIntoCell(*lvl.uddbs_SS, 2, 2, u"MasterCard Gold"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerNo,
                                   u"since you started editing it:\r\n    Gp: \"AX\", now \"AM\"\r\n"
                                   u"    Description: \"American Express\", now \"Amex (theirs)\"\r\n"_s);
    click(lvl.cmd_Edit);
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{u"Amex (theirs)"_s, u"MasterCard Gold"_s}));
}

// Another workstation's unfinished save of one row holds up no save of the
// list's other rows.
TEST_P(ConflictCheckTest, ASaveWaitsOnlyForTheRowsItWrites) {
    if (GetParam() != Engine::PostgreSQL)
        GTEST_SKIP() << "SQLite lets one workstation write at a time";
    const qint32 amex = m_env->addEntry(u"CRECARD"_s, u"AX"_s, u"American Express"_s);
    m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
    m_env->host().setOption(u"LIST_CONFLICT_CHECK"_s, u"-1"_s);
    // A wait ends in an error long before the other run ends.
    ASSERT_TRUE(QSqlQuery(m_env->host().GetConnection()).exec(u"SET lock_timeout = 1000"_s));
    auto form = open(u"CRECARD"_s);
    click(form->level(0).cmd_Edit);
    PickerEnv::typeIntoCell(*form->level(0).uddbs_SS, 2, 2, u"MasterCard (mine)"_s);

    auto other = openHost();
    ASSERT_TRUE(other->BeginSaveRecords());
    ASSERT_TRUE(saveField(*other, amex, u"usrdefDes"_s, u"Amex (theirs)"_s));
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    click(form->level(0).cmd_Edit); // Done saves
    const std::optional<AutomationError> error = form->takePendingError();
    other->EndSaveRecords(true);
    EXPECT_FALSE(error) << error->message().toStdString();
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{u"Amex (theirs)"_s, u"MasterCard (mine)"_s}));
}

VV_ENGINES(Engines, ConflictRaceTest, Engine::SQLite, Engine::PostgreSQL);
VV_ENGINES(Engines, ConflictCheckTest, Engine::SQLite, Engine::PostgreSQL);

} // namespace
