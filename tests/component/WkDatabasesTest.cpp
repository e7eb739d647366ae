#include <support/FailingHost.h>

#include <component/RequestState.h>
#include <viVavazuruv/wkDatabases.h>

#include <gtest/gtest.h>

using namespace viVavazuruv;

namespace {

class WkDatabasesTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& state = RequestState::instance();
        state.GIC.reset();
        state.GC.reset();
        state.PV.reset();
        state.DAC.reset();
    }
};

TEST_F(WkDatabasesTest, ContextPropertiesAreAcceptedAndDropped) {
    wkDatabases component;
    component.put_LoginName(QStringLiteral("abc"));
    EXPECT_EQ(component.get_LoginName(), QString());
    component.put_Path(QStringLiteral("/srv/office"));
    EXPECT_EQ(component.get_Path(), QString());
    component.put_MultiUser(QVariant(5));
    EXPECT_FALSE(component.get_MultiUser().isValid());
    EXPECT_FALSE(wkDatabases().get_MultiUser().isValid());
    component.put_LocationID(12);
    EXPECT_EQ(RequestState::instance().GIC, nullptr);
}

TEST_F(WkDatabasesTest, HostObjectsAreSharedByAllInstancesAndOutliveThem) {
    auto first = std::make_unique<wkDatabases>();
    EXPECT_EQ(first->get_GIC(), nullptr);
    EXPECT_EQ(first->get_DAC(), nullptr);

    auto hostA = std::make_shared<test::FailingHost>();
    auto hostB = std::make_shared<test::FailingHost>();
    first->put_GIC(hostA);
    wkDatabases second;
    EXPECT_EQ(second.get_GIC(), hostA);
    second.put_GIC(hostB);
    EXPECT_EQ(first->get_GIC(), hostB);

    auto gc = std::make_shared<QObject>();
    auto pv = std::make_shared<QObject>();
    auto dac = std::make_shared<QObject>();
    std::weak_ptr<QObject> watchDac = dac;
    first->put_GC(gc);
    first->put_PV(pv);
    first->put_DAC(dac);
    dac.reset();
    // Releasing an instance releases nothing it was given.
    first.reset();
    EXPECT_FALSE(watchDac.expired());
    EXPECT_EQ(second.get_GC(), gc);
    EXPECT_EQ(second.get_PV(), pv);
    EXPECT_EQ(second.get_DAC(), watchDac.lock());
    EXPECT_EQ(second.get_GIC(), hostB);
    EXPECT_EQ(second.QueryIGlobal(), static_cast<IGlobal*>(&second));
}

} // namespace
