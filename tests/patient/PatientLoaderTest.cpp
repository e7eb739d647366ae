#include <refhost/RefhostSupport.h>
#include <support/FailingHost.h>

#include <patient/PatientLoader.h>

#include <type_traits>

namespace {

using namespace viVavazuruv;
using namespace Qt::StringLiterals;
using test::Engine;
using test::FailingHost;

// The members that are not empty, as name=value, so a failure shows what differs.
QStringList shown(const PatientRecord& record) {
    QStringList members;
    for (const PatientField& field : patientFields())
        std::visit(
            [&](auto m) {
                if (record.*m != std::remove_cvref_t<decltype(record.*m)>{})
                    members << field.column + u'=' + QVariant::fromValue(record.*m).toString();
            },
            field.member);
    if (const int reserved = record.Reserved1 + record.Reserved2 + record.Reserved3 + record.Reserved4)
        members << u"reserved=%1"_s.arg(reserved);
    return members;
}

// Office 1, whose default provider is 5; provider 5 works with dental fee type 3.
class PatientLoaderTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_host = std::make_unique<test::FailingHost>(m_db->url(), nullptr, m_data.path());
        m_host->setOption(u"DefaultProvider"_s, u"5"_s);
        add(u"pID, pDOCFeeTyp, OfficeID"_s, u"5, 3, 1"_s);
    }
    void add(const QString& columns, const QString& values) {
        m_db->exec(u"INSERT INTO paTable (%1) VALUES (%2)"_s.arg(columns, values));
    }
    PatientRecord load(qint32 id, PatientRecord record = {}) {
        Load_Patient_Record(*m_host, id, record);
        return record;
    }

    std::unique_ptr<test::TestDatabase> m_db;
    QTemporaryDir m_data;
    std::unique_ptr<test::FailingHost> m_host;
};

TEST_P(PatientLoaderTest, FillsTheNamedMembersFromTheRowOrEmptiesThem) {
    PatientRecord filled; // nothing empty, so a member not read or not cleared shows
    for (const PatientField& field : patientFields())
        std::visit(
            [&](auto m) { filled.*m = QVariant(7).value<std::remove_reference_t<decltype(filled.*m)>>(); },
            field.member);
    filled.Reserved1 = filled.Reserved2 = filled.Reserved3 = filled.Reserved4 = 9;
    const QString reserved = u"reserved=36"_s;
    add(u"pID, pLASNAM, pPROIND, OfficeID"_s, u"11, 'Far', 0, 2"_s); // another office's patient
    add(u"pID, pTypPat, pCLITYP1, pLASNAM, pFIRNAM, pPROIND, pGPDenFeeTyp, pGPDenFeeTypPerm, pIntAppDat, "
        u"pIntAppAmt, pInsPct, pChaNum"_s,
        u"20, 'Y', 2, NULL, 'Ann', 5, 3, 3, '2024-03-04 09:30:00', 125.5, 80.5, 'C-20'"_s);
    // Out of range as currency; before day 0; text in a number column, which only SQLite keeps.
    add(u"pID, pPROIND, pGPDenFeeTypPerm, pIntAppAmt, pIntAppDat, pREFIND"_s,
        u"21, 5, 3, 999999999999999.9999, '1899-12-29 06:00:00', "_s +
            (GetParam() == Engine::PostgreSQL ? u"NULL"_s : u"'12abc'"_s));
    // Day 45355.3958... is 4 March 2024, 09:30.
    const QStringList ann =
        u"pID=20 pTypPat=Y pCLITYP1=2 pFIRNAM=Ann pPROIND=5 pGPDenFeeTyp=3 pGPDenFeeTypPerm=3 "
        u"pIntAppDat=45355.395833333336 pIntAppAmt=1255000 pInsPct=80.5 pChaNum=C-20"_s.split(u' ')
        << reserved;
    const QStringList early = u"pID=21 pPROIND=5 pGPDenFeeTypPerm=3 pIntAppDat=-1.25"_s.split(u' ')
                              << reserved;
    const struct {
        qint32 id, officeMode;
        QStringList members;
    } cases[] = {
        {0, 0, shown(filled)}, // no patient: the database is not asked at all
        {10, 0, {reserved}},   {11, 7, {reserved}}, {20, 0, ann}, {21, 0, early},
    };
    for (const auto& c : cases) {
        m_host->setOfficeMode(c.officeMode);
        m_host->failService(FailingHost::Service::GetConnection,
                            c.id == 0 ? FailingHost::Failure::Automation : FailingHost::Failure::None);
        EXPECT_EQ(shown(load(c.id, filled)), c.members) << c.id;
    }
    m_db->exec(u"DROP TABLE paTable"_s);
    EXPECT_EQ(test::errorOf([&] { load(12); }), ErrorCode::DatabaseError);
}

TEST_P(PatientLoaderTest, GivesTheDefaultProviderAndTheProvidersFeeTypeAndWritesWhatChanged) {
    const struct {
        qint32 provider, current, officeMode;
        QList<qint16> accepted;       // none: every fee type above 0
        QList<qint32> record, stored; // pPROIND, pGPDenFeeTypPerm, pGPDenFeeTyp
    } cases[] = {
        {5, 2, 0, {2, 3}, {5, 3, 2}, {5, 0, 2}}, {5, 2, 0, {2}, {5, 1, 2}, {5, 1, 2}},
        {5, 2, 0, {3}, {5, 3, 3}, {5, 3, 3}},    {99, 2, 0, {2}, {99, 1, 2}, {99, 1, 2}},
        {0, 2, 0, {}, {5, 3, 2}, {5, 0, 2}},     {0, 0, 7, {3}, {5, 3, 3}, {5, 3, 3}},
    };
    for (const auto& c : cases) {
        m_db->exec(u"DELETE FROM FeeTypes"_s), m_db->exec(u"DELETE FROM paTable WHERE pID = 10"_s);
        add(u"pID, pPROIND, pGPDenFeeTyp, OfficeID"_s, u"10, %1, %2, 1"_s.arg(c.provider).arg(c.current));
        for (qint16 accepted : c.accepted)
            m_host->setFeeType(accepted, u"accepted"_s);
        m_host->setOfficeMode(c.officeMode);
        const PatientRecord record = load(10);
        EXPECT_EQ((QList<qint32>{record.pPROIND, record.pGPDenFeeTypPerm, record.pGPDenFeeTyp}), c.record);
        QSqlQuery q(m_db->db());
        ASSERT_TRUE(q.exec(u"SELECT pPROIND, pGPDenFeeTypPerm, pGPDenFeeTyp FROM paTable WHERE pID = 10"_s) &&
                    q.next());
        EXPECT_EQ((QList<qint32>{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()}), c.stored);
    }
}

VV_ON_BOTH_ENGINES(PatientLoaderTest);

} // namespace
