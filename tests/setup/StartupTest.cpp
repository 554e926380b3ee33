// Starting without a usable control: the operator learns how to register it.
#include "ControlClient.h"
#include "ControlStartup.h"
#include "Registry.h"
#include "TK28950Dispids.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Points the registry at another file while it lives.
class RegistryOverride {
public:
    explicit RegistryOverride(const QString& path) : m_saved(qgetenv("TK28950_REGISTRY"))
    {
        qputenv("TK28950_REGISTRY", path.toLocal8Bit());
    }
    ~RegistryOverride() { qputenv("TK28950_REGISTRY", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

TEST(Startup, UnregisteredControlNamesTheRegistrationCommand)
{
    QTemporaryDir dir;
    RegistryOverride registry(dir.filePath("empty.ini"));
    const StartupControls controls = createStartupControls("/opt/tk28950/lib/libTK28950.so.1");
    EXPECT_EQ(controls.tk28950A, nullptr);
    EXPECT_EQ(controls.tk28950B, nullptr);
    EXPECT_TRUE(controls.error.contains("not registered")) << controls.error.toStdString();
    EXPECT_TRUE(controls.error.endsWith("tk28950-regsvr /opt/tk28950/lib/libTK28950.so.1"))
        << controls.error.toStdString();
}

TEST(Startup, RegisteredLibraryThatCannotBeLoaded)
{
    QTemporaryDir dir;
    RegistryOverride override(dir.filePath("registry.ini"));
    component::ClassEntry entry;
    entry.clsid = QString::fromLatin1(tk28950::kControlClsid);
    entry.progId = QString::fromLatin1(tk28950::kProgId);
    entry.library = dir.filePath("gone/libTK28950.so");
    entry.control = true;
    ASSERT_EQ(component::Registry().registerClass(entry), component::kOk);

    const StartupControls controls = createStartupControls(dir.filePath("libTK28950.so.1"));
    EXPECT_EQ(controls.tk28950A, nullptr);
    EXPECT_TRUE(controls.error.contains("tk28950-regsvr " + dir.filePath("libTK28950.so.1")));
}

TEST(Startup, RegisteredControlGivesTwoInstances)
{
    const StartupControls controls = createStartupControls("/unused");
    EXPECT_TRUE(controls.error.isEmpty()) << controls.error.toStdString();
    ASSERT_NE(controls.tk28950A, nullptr);
    ASSERT_NE(controls.tk28950B, nullptr);
    EXPECT_NE(controls.tk28950A->object(), controls.tk28950B->object());
}
