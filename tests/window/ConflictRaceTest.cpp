// Two workstations press Done on the same row at the same moment, as two
// processes on one database: with the conflict check on, one of them writes
// and the other is always asked; never do both write unasked.
#include "WindowTest.h"

#include <core/RequestState.h>

#include <QProcess>
#include <QScopeGuard>

#include <algorithm>
#include <iostream>
#include <string>

namespace {

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

class ConflictRaceTest : public test::PickerTest {};

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
        ASSERT_TRUE(m_env->host().SaveRecord(1, u"UsrDefTable"_s, u"UsrDefInd"_s, key, {u"usrdefDes"_s},
                                             {u"Start"_s}, true));
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

VV_ENGINES(Engines, ConflictRaceTest, Engine::SQLite, Engine::PostgreSQL);

} // namespace
