// A host that knows the component only by its ProgID: this program does not
// link the component library, it finds and loads it the way a host would.
#include <viVavazuruv/ComponentLoader.h>

#include <gtest/gtest.h>

#include <QProcess>

using namespace viVavazuruv;

namespace {

ComponentLoader loader() {
    return ComponentLoader({QStringLiteral(VIVAVAZURUV_COMPONENT_DIR)});
}

TEST(ComponentLoadingTest, MetadataNamesProgIdVersionAndHelpString) {
    const QString path = loader().FindLibrary(QStringLiteral("viVavazuruv.wkDatabases"));
    ASSERT_FALSE(path.isEmpty());
    const QJsonObject meta = ComponentLoader::Metadata(path);
    EXPECT_EQ(meta.value(QStringLiteral("ProgID")).toString(), QStringLiteral("viVavazuruv.wkDatabases"));
    EXPECT_EQ(meta.value(QStringLiteral("Version")).toString(), QStringLiteral("30.1"));
    EXPECT_EQ(meta.value(QStringLiteral("HelpString")).toString(),
              QStringLiteral("TAVI User Defined Databases version 22"));
}

TEST(ComponentLoadingTest, TwoInstancesShareTheHostObject) {
    auto first = loader().CreateObject(QStringLiteral("viVavazuruv.wkDatabases"));
    auto second = loader().CreateObject(QStringLiteral("VIVAVAZURUV.WKDATABASES"));
    ASSERT_TRUE(first && second);
    ASSERT_NE(first.get(), second.get());
    EXPECT_EQ(second->QueryIGlobal()->get_GIC(), nullptr);

    // The component only keeps the reference: an object that is never called will do.
    int token = 0;
    const HostServicesRef host(std::make_shared<QObject>(), reinterpret_cast<IHostServices*>(&token));
    first->QueryIGlobal()->put_GIC(host);
    EXPECT_EQ(second->QueryIGlobal()->get_GIC(), host);
    first.reset();
    EXPECT_EQ(second->QueryIGlobal()->get_GIC(), host);
    EXPECT_EQ(second->get_LoginName(), QString());
}

TEST(ComponentLoadingTest, UnknownProgIdIsAClearError) {
    try {
        loader().CreateObject(QStringLiteral("viVavazuruv.NoSuchClass"));
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ComponentNotFound);
        EXPECT_TRUE(e.message().contains(QStringLiteral("viVavazuruv.NoSuchClass")));
    }
}

TEST(ComponentLoadingTest, AHostMayExitWhileTheComponentHoldsItsHostObject) {
    QProcess host;
    host.start(QStringLiteral(VIVAVAZURUV_EXIT_ORDER_HOST), {});
    ASSERT_TRUE(host.waitForFinished(60000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << host.readAllStandardError().toStdString();
    EXPECT_EQ(host.exitCode(), 0);
}

} // namespace
