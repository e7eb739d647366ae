// A host that knows the component only by its ProgID: this program does not
// link the component library, it finds and loads it the way a host would.
#include <viVavazuruv/ComponentLoader.h>

#include <gtest/gtest.h>

using namespace viVavazuruv;

namespace {

ComponentLoader loader() {
    return ComponentLoader({QStringLiteral(VIVAVAZURUV_COMPONENT_DIR)});
}

TEST(ComponentLoadingTest, MetadataNamesTheInterfaceVersionAndAnUnknownProgIdIsAClearError) {
    const QString path = loader().FindLibrary(QStringLiteral("viVavazuruv.wkDatabases"));
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(ComponentLoader::Metadata(path).value(QStringLiteral("Version")).toString(),
              QStringLiteral("30.2"));
    try {
        loader().CreateObject(QStringLiteral("viVavazuruv.NoSuchClass"));
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ComponentNotFound);
        EXPECT_TRUE(e.message().contains(QStringLiteral("viVavazuruv.NoSuchClass")));
    }
}

// The component keeps no per-instance data: what one instance is given, every
// instance holds, also after the one given it is gone; Path and MultiUser keep nothing.
TEST(ComponentLoadingTest, InstancesShareTheHostObjectsAndOutliveEachOther) {
    auto first = loader().CreateObject(QStringLiteral("viVavazuruv.wkDatabases"));
    auto second = loader().CreateObject(QStringLiteral("VIVAVAZURUV.WKDATABASES"));
    ASSERT_TRUE(first && second && first.get() != second.get());

    // The component only keeps the reference: an object that is never called will do.
    int token = 0;
    const HostServicesRef host(std::make_shared<QObject>(), reinterpret_cast<IHostServices*>(&token));
    const HostObject gc = std::make_shared<QObject>(), pv = std::make_shared<QObject>();
    HostObject dac = std::make_shared<QObject>();
    const std::weak_ptr<QObject> watchDac = dac;
    IGlobal& global = *first->QueryIGlobal();
    global.put_GIC(host), global.put_GC(gc), global.put_PV(pv), global.put_DAC(std::exchange(dac, {}));
    first->put_Path(QStringLiteral("/srv/office")), first->put_MultiUser(QVariant(5));
    first.reset();
    const IGlobal& other = *second->QueryIGlobal();
    EXPECT_TRUE(other.get_GIC() == host && other.get_GC() == gc && other.get_PV() == pv &&
                other.get_DAC() != nullptr && other.get_DAC() == watchDac.lock());
    EXPECT_EQ(second->get_Path() + second->get_LoginName(), QString());
    EXPECT_FALSE(second->get_MultiUser().isValid());
}

} // namespace
