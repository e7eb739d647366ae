#pragma once

#include <support/TestDatabase.h>

#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>

#include <QList>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace viVavazuruv::test {

inline void PrintTo(Engine engine, std::ostream* os) {
    *os << engineName(engine);
}

// Answers message boxes from a queue (OK when it runs dry) and keeps what was asked.
class ScriptedDialogs final : public IDialogs {
public:
    struct Asked {
        QString text;
        qint32 flags;
        QString title;
    };
    QList<qint32> answers;
    QList<Asked> asked;

    qint32 MessageBox(const QString& text, qint32 flags, const QString& title) override {
        asked.append({text, flags, title});
        return answers.isEmpty() ? MsgBox::AnswerOk : answers.takeFirst();
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> OpenFile(const QString&, const QString&, qint32) override { return std::nullopt; }
    void Beep() override {}
};

// A reference host on a database of the test's own, on the engine of the parameter.
class HostTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        ASSERT_TRUE(m_folder.isValid());
        m_dialogs = std::make_shared<ScriptedDialogs>();
        m_host = std::make_unique<ReferenceHost>(m_db->url(), m_dialogs, m_folder.path());
    }
    void TearDown() override { m_host.reset(); }

    ReferenceHost& host() { return *m_host; }

    // A second host object on the same database, as another workstation would open it.
    std::unique_ptr<ReferenceHost> anotherHost() const {
        return std::make_unique<ReferenceHost>(m_db->url(), nullptr, m_folder.path());
    }

    qint64 scalar(const QString& sql) const {
        QSqlQuery q(m_host->GetConnection());
        if (!q.exec(sql) || !q.next()) {
            ADD_FAILURE() << sql.toStdString();
            return -1;
        }
        return q.value(0).toLongLong();
    }

    // Inserts one UsrDefTable row through the host and returns its key.
    qint32 addEntry(const QString& code, const QString& description, ReferenceHost* through = nullptr) {
        qint32 key = 0;
        EXPECT_TRUE((through ? through : m_host.get())
                        ->SaveRecord(1, QStringLiteral("UsrDefTable"), QStringLiteral("usrdefInd"), key,
                                     {QStringLiteral("UsrDefCod"), QStringLiteral("usrdefDes")},
                                     {code, description}, true));
        return key;
    }

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_folder;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ReferenceHost> m_host;
};

inline auto engineParamName = [](const auto& info) {
    return engineName(info.param);
};

} // namespace viVavazuruv::test

#define VV_ON_BOTH_ENGINES(suite)                                                                            \
    INSTANTIATE_TEST_SUITE_P(                                                                                \
        Engines, suite,                                                                                      \
        ::testing::Values(::viVavazuruv::test::Engine::SQLite, ::viVavazuruv::test::Engine::PostgreSQL),     \
        ::viVavazuruv::test::engineParamName)
