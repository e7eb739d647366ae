// A caller's group code answered from the list without the window gets what
// the loaded window's grid answers, on both engines.
#include "WindowTest.h"

#include <support/FailingHost.h>

#include <core/RequestState.h>
#include <window/ListAnswer.h>
#include <window/LoadedList.h>

namespace {

class ListAnswerTest : public test::WindowTest {
protected:
    // The loaded window's grid searched for the first row of the group, "" when none.
    QString windowAnswer(const QString& value) {
        auto form = m_env->loadForm();
        const IGridControl& grid = form->level(0).grid();
        for (qint32 r = 1; r <= grid.MaxRows(); ++r) {
            if (grid.GetText(1, r).trimmed().toUpper() == value.trimmed().toUpper())
                return grid.GetText(2, r);
        }
        return {};
    }
    // Each value answered both ways for the prepared request ("" where the window opens).
    QStringList answers(const QStringList& values) {
        QStringList fast, window;
        for (const QString& value : values) {
            const PickerRequest& request = PickerEnv::request();
            fast << ListAnswer(LoadList(RequestState::instance(), request), request, value)
                        .value_or(QString());
            window << windowAnswer(value);
        }
        EXPECT_EQ(fast, window);
        return fast;
    }
};

TEST_P(ListAnswerTest, TheListAnswersAsTheLoadedWindowsGridDoes) {
    // Duplicates ordered by the sort, not as stored; blanks and case; an empty
    // description sorted first, so the window opens; a title line; another list.
    addEntries(u"CRECARD"_s, {{u"A"_s, u"Zeta"_s},
                              {u"a"_s, u"alpha"_s},
                              {u" c "_s, u"  Gamma "_s},
                              {u"D"_s, u"Delta"_s},
                              {u"D"_s, {}},
                              {u"T"_s, u"$-Title"_s}});
    m_env->addEntry(u"ALERT"_s, u"B"_s, u"Not this list"_s);
    PickerEnv::prepareRequest(u"CRECARD"_s);
    EXPECT_EQ(answers({u" a "_s, u"C"_s, u"d"_s, u"t"_s, u"b"_s, {}}),
              (QStringList{u"alpha"_s, u"Gamma"_s, {}, u"$-Title"_s, {}, {}}));

    // A list showing its variables, with a current patient: "(?)" sorts before a letter.
    qint32 patient = 0;
    ASSERT_TRUE(
        m_env->host().SaveRecord(1, u"paTable"_s, u"pID"_s, patient, {u"pLASNAM"_s}, {u"Doe"_s}, true));
    m_env->host().SetCurrentPatientID(patient);
    addEntries(u"PROC"_s,
               {{u"*M"_s, u"$-Restorative"_s}, {u"P"_s, u"Crown on |T#"_s}, {u"P"_s, u"|ZZ first"_s}});
    PickerEnv::prepareRequest(u"PROC"_s);
    EXPECT_EQ(answers({u"p"_s}), QStringList{u"(?) first"_s});

    // Office mode 7: another office's row of the group is not in the list.
    m_env->host().setOfficeMode(7);
    m_env->host().setOfficeID(2);
    m_env->addEntry(u"CRECARD"_s, u"O"_s, u"Other office"_s);
    PickerEnv::prepareRequest(u"CRECARD"_s);
    EXPECT_EQ(answers({u"o"_s}), QStringList{u"Other office"_s});
    m_env->host().setOfficeID(1);
    m_env->addEntry(u"CRECARD"_s, u"O"_s, u"Own office"_s);
    EXPECT_EQ(answers({u"o"_s}), QStringList{u"Own office"_s});

    // Answered or not, the host is asked what loading the window asks, so a
    // host that cannot give the frame's caption fails both requests alike.
    auto host = openHost<test::FailingHost>();
    host->setOfficeMode(7);
    m_env->component().put_GIC(host);
    QString tmp = u" O "_s;
    float top = 0, left = 0;
    EXPECT_EQ(m_env->component().UDDBS_Credit_Card(tmp, top, left), u"Own office"_s);
    host->failService(test::FailingHost::Service::CaptionText, test::FailingHost::Failure::Automation);
    for (const QString& value : {u" O "_s, u"X"_s}) {
        tmp = value;
        EXPECT_EQ(test::errorOf([&] { m_env->component().UDDBS_Credit_Card(tmp, top, left); }),
                  ErrorCode::HostError)
            << value.toStdString();
    }
}

VV_ENGINES(Engines, ListAnswerTest, Engine::SQLite, Engine::PostgreSQL);

} // namespace
