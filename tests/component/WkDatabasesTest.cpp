#include <core/RequestState.h>
#include <viVavazuruv/wkDatabases.h>

#include <gtest/gtest.h>
#include <support/QtPrinting.h>

using namespace viVavazuruv;

namespace {

TEST(WkDatabasesTest, HostObjectsAreSharedByAllInstancesAndOutliveThemWhileContextIsDropped) {
    auto first = std::make_unique<wkDatabases>();
    first->put_GIC(nullptr);
    first->put_Path(QStringLiteral("/srv/office"));
    first->put_MultiUser(QVariant(5));
    EXPECT_EQ(first->get_Path(), QString());
    EXPECT_FALSE(first->get_MultiUser().isValid());
    // The component only keeps the reference: an object that is never called will do.
    int token = 0;
    const HostServicesRef hostA(std::make_shared<QObject>(), reinterpret_cast<IHostServices*>(&token));
    first->put_GIC(hostA);
    wkDatabases second;
    EXPECT_EQ(second.get_GIC(), hostA);
    auto gc = std::make_shared<QObject>(), pv = std::make_shared<QObject>(),
         dac = std::make_shared<QObject>();
    std::weak_ptr<QObject> watchDac = dac;
    first->put_GC(gc);
    first->put_PV(pv);
    first->put_DAC(std::exchange(dac, {}));
    // Releasing an instance releases nothing it was given.
    first.reset();
    EXPECT_EQ(second.get_GC(), gc);
    EXPECT_EQ(second.get_PV(), pv);
    EXPECT_EQ(second.get_DAC(), watchDac.lock());
    EXPECT_NE(second.get_DAC(), nullptr);
    EXPECT_EQ(second.get_GIC(), hostA);
}

} // namespace
