#pragma once

#include <refhost/RefhostSupport.h>

#include <viVavazuruv/ListHistory.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>

#include <algorithm>

namespace viVavazuruv::test {

// Whether a check found the history intact (and, when given, with that many changes); its reason when not.
inline ::testing::AssertionResult intact(const HistoryCheck& check, qint64 changes = -1) {
    if (check.intact && (changes < 0 || check.changes == changes))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << check.changes << " changes: " << check.reason.toStdString();
}

// Whether a check found the history broken, its reason naming each of found.
inline ::testing::AssertionResult broken(const HistoryCheck& check, const QStringList& found) {
    if (!check.intact &&
        std::all_of(found.begin(), found.end(), [&](const QString& f) { return check.reason.contains(f); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (check.intact ? "intact" : check.reason.toStdString());
}

// A reference host whose user is DR_SMITH, and its list history.
class HistoryTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (IsSkipped())
            return;
        host().setLoginName(u"DR_SMITH"_s);
    }
    ListHistory history() { return ListHistory(host()); }
    QList<ListChange> changesOf(qint32 key) { return history().changes({{}, key, {}, {}}); }
    // The component's own delete, as the picker runs it.
    void deleteAsThePickerDoes(qint32 key) {
        run(u"Delete * from UsrDefTable where UsrDefInd=%1"_s.arg(key));
    }
    // An entry of the kind that records a run, written by hand with text of the caller's (no quotes in it).
    void plant(const QString& entry) {
        m_db->exec(u"INSERT INTO UsrDefHistory (ChangedAt, Action, RowAfter) "
                   u"VALUES ('2026-12-07T10:00:00.000Z', 'pack', '%1')"_s.arg(entry));
    }
    // Runs statements ("; " between them) on the test's own connection, then
    // check, and puts the history back as it was.
    void tampered(const QString& statements, const std::function<void()>& check) {
        m_db->exec(u"CREATE TABLE Kept AS SELECT * FROM UsrDefHistory"_s);
        for (const QString& statement : statements.split(u"; "_s))
            m_db->exec(statement);
        check();
        for (const QString& statement :
             {u"DELETE FROM UsrDefHistory"_s, u"INSERT INTO UsrDefHistory SELECT * FROM Kept"_s,
              u"DROP TABLE Kept"_s})
            m_db->exec(statement);
    }
    // A column of a row as JSON text ("" for no row); an added column is
    // named as the engine's catalogue spells it.
    static QString field(const QString& json, const QString& name) {
        const QJsonObject row = QJsonDocument::fromJson(json.toUtf8()).object();
        for (auto it = row.begin(); it != row.end(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                return it.value().toVariant().toString();
        return {};
    }
};

} // namespace viVavazuruv::test
