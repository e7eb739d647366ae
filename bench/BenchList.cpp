#include "BenchList.h"

#include "BenchMain.h"

#include <core/RequestState.h>
#include <support/ScriptedDialogs.h>

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <map>

using namespace viVavazuruv;

namespace {
// Made once per list length; emptied before the application object goes.
std::map<int, std::unique_ptr<BenchDatabase>> g_databases;
constexpr int kGroupLetters = 16;
} // namespace

BenchDatabase& BenchDatabase::forRows(int rows) {
    auto& slot = g_databases[rows];
    if (!slot) {
        if (g_databases.size() == 1)
            atBenchExit([] {
                RequestState::instance().GIC.reset();
                g_databases.clear();
            });
        slot.reset(new BenchDatabase(rows));
    }
    return *slot;
}

BenchDatabase::BenchDatabase(int rows) {
    m_host =
        ReferenceHost::Open(QStringLiteral("sqlite:") + path(), std::make_shared<test::ScriptedDialogs>(),
                            m_dir.filePath(QStringLiteral("data")));
    QSqlDatabase db = m_host->GetConnection();
    QRandomGenerator random(4215);
    const QStringList words{
        QStringLiteral("composite"), QStringLiteral("amalgam"), QStringLiteral("crown"),
        QStringLiteral("bridge"),    QStringLiteral("implant"), QStringLiteral("sealant"),
        QStringLiteral("prophy"),    QStringLiteral("root"),    QStringLiteral("canal"),
        QStringLiteral("surface"),   QStringLiteral("molar"),   QStringLiteral("premolar")};
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral("INSERT INTO UsrDefTable (UsrDefCod, usrdefSeqCod, usrdefDes, usrdefCDSDRWFla, "
                       "usrdefADA, usrdefLetNam, OfficeID) VALUES (?, ?, ?, ?, ?, ?, 1)"));
    for (int i = 0; i < rows; ++i) {
        const QString group = QString(QChar(u'A' + random.bounded(kGroupLetters))) +
                              QChar(u'A' + random.bounded(kGroupLetters));
        QString description;
        for (int w = 0; w < 4; ++w)
            description += words.at(random.bounded(words.size())) + QLatin1Char(' ');
        description += QString::number(random.bounded(100000));
        insert.addBindValue(kBenchListCode);
        insert.addBindValue(group);
        insert.addBindValue(description);
        insert.addBindValue(QString());
        insert.addBindValue(QStringLiteral("D%1").arg(random.bounded(10000), 4, 10, QLatin1Char('0')));
        insert.addBindValue(QString());
        if (!insert.exec())
            qFatal("bench data: %s", qPrintable(insert.lastError().text()));
    }
    db.commit();
}

PickerRequest benchRequest(RequestState& state, const std::shared_ptr<ReferenceHost>& host,
                           const QString& listCode) {
    state.GIC = host;
    return PickerRequest::ForList(listCode,
                                  {false, QStringLiteral("Description"), QStringLiteral("Benchmark"),
                                   QStringLiteral("Benchmark"), QString(), QString()});
}
