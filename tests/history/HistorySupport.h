#pragma once

#include <refhost/RefhostSupport.h>

#include <viVavazuruv/ListHistory.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace viVavazuruv::test {

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
    QList<ListChange> changesOf(qint32 key) {
        ChangeFilter filter;
        filter.key = key;
        return history().changes(filter);
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
