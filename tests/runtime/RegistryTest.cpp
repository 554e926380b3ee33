#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace component;

namespace {

ClassEntry counterClass(const QString& library)
{
    ClassEntry entry;
    entry.clsid = QStringLiteral("{6A0C52E4-7C1B-4C57-9C2E-2B8F4E1D0A11}");
    entry.library = library;
    entry.progId = QStringLiteral("TK28950Test.Counter.1");
    entry.typeName = QStringLiteral("Test Counter");
    entry.threadingModel = QStringLiteral("Apartment");
    entry.miscStatus = 0x20191;
    entry.toolboxBitmap = library + QStringLiteral(",1");
    entry.typeLibId = QStringLiteral("{0F3B8F1E-3D0C-4A59-B8D7-6C2A9E5B7F20}");
    entry.typeLibVersion = QStringLiteral("1.0");
    entry.control = true;
    return entry;
}

void expectSameClass(const std::optional<ClassEntry>& found, const ClassEntry& expected)
{
    ASSERT_TRUE(found);
    EXPECT_EQ(found->clsid, expected.clsid);
    EXPECT_EQ(found->library, expected.library);
    EXPECT_EQ(found->progId, expected.progId);
    EXPECT_EQ(found->typeName, expected.typeName);
    EXPECT_EQ(found->threadingModel, expected.threadingModel);
    EXPECT_EQ(found->miscStatus, expected.miscStatus);
    EXPECT_EQ(found->toolboxBitmap, expected.toolboxBitmap);
    EXPECT_EQ(found->typeLibId, expected.typeLibId);
    EXPECT_EQ(found->typeLibVersion, expected.typeLibVersion);
    EXPECT_EQ(found->control, expected.control);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes a folder immutable for as long as it lives: not even root can
// create files in it. Not every file system offers the flag.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY))
    {
        m_set = m_fd >= 0 && setFlag(true);
    }
    ~ImmutableFolder()
    {
        if (m_set)
            setFlag(false);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on)
    {
        int flags = 0;
        if (ioctl(m_fd, FS_IOC_GETFLAGS, &flags) != 0)
            return false;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        return ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    int m_fd;
    bool m_set = false;
};

class RegistryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("config/tk28950/registry.ini"));
    Registry registry{path};
};

} // namespace

TEST_F(RegistryTest, ClassRoundTripsByIdAndProgIdIgnoringTheIdsCase)
{
    const ClassEntry entry = counterClass(QStringLiteral("/opt/lib/libcounter.so"));
    ASSERT_EQ(registry.registerClass(entry), kOk);
    expectSameClass(Registry(path).classById(entry.clsid), entry);
    expectSameClass(Registry(path).classById(entry.clsid.toLower()), entry);
    expectSameClass(Registry(path).classByProgId(entry.progId), entry);
    EXPECT_FALSE(registry.classByProgId(QStringLiteral("TK28950Test.Other.1")));
    EXPECT_FALSE(registry.classById(QStringLiteral("{00000000-0000-0000-0000-000000000000}")));
}

TEST_F(RegistryTest, ReRegisteringReplacesTheEntryAndItsOldProgId)
{
    ClassEntry entry = counterClass(QStringLiteral("/opt/lib/libcounter.so"));
    ASSERT_EQ(registry.registerClass(entry), kOk);
    entry.progId = QStringLiteral("TK28950Test.Counter.2");
    entry.typeLibId.clear();
    ASSERT_EQ(registry.registerClass(entry), kOk);
    EXPECT_FALSE(registry.classByProgId(QStringLiteral("TK28950Test.Counter.1")));
    expectSameClass(registry.classByProgId(entry.progId), entry);
}

TEST_F(RegistryTest, UnregisteringRemovesClassAndProgIdAndAbsentEntriesAreFine)
{
    const ClassEntry entry = counterClass(QStringLiteral("/opt/lib/libcounter.so"));
    ClassEntry other = counterClass(QStringLiteral("/opt/lib/libother.so"));
    other.clsid = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
    other.progId = QStringLiteral("TK28950Test.Other.1");
    ASSERT_EQ(registry.registerClass(entry), kOk);
    ASSERT_EQ(registry.registerClass(other), kOk);

    EXPECT_EQ(registry.unregisterClass(entry.clsid), kOk);
    EXPECT_FALSE(registry.classById(entry.clsid));
    EXPECT_FALSE(registry.classByProgId(entry.progId));
    expectSameClass(registry.classByProgId(other.progId), other);
    EXPECT_EQ(registry.unregisterClass(entry.clsid), kOk);
    EXPECT_EQ(registry.unregisterTypeLib(entry.typeLibId, QStringLiteral("1.0")), kOk);
}

TEST_F(RegistryTest, TypeLibVersionsAreSeparateEntries)
{
    const TypeLibEntry v1{QStringLiteral("{0F3B8F1E-3D0C-4A59-B8D7-6C2A9E5B7F20}"),
                          QStringLiteral("1.0"),
                          QStringLiteral("409"),
                          QStringLiteral("Counter library"),
                          QStringLiteral("/opt/lib/libcounter.so"),
                          QStringLiteral("/opt/lib")};
    TypeLibEntry v2 = v1;
    v2.version = QStringLiteral("2.0");
    ASSERT_EQ(registry.registerTypeLib(v1), kOk);
    ASSERT_EQ(registry.registerTypeLib(v2), kOk);
    ASSERT_EQ(registry.unregisterTypeLib(v1.libId, v1.version), kOk);

    EXPECT_FALSE(registry.typeLib(v1.libId, v1.version));
    const std::optional<TypeLibEntry> found = registry.typeLib(v2.libId.toLower(), v2.version);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->libId, v2.libId);
    EXPECT_EQ(found->version, v2.version);
    EXPECT_EQ(found->locale, v2.locale);
    EXPECT_EQ(found->name, v2.name);
    EXPECT_EQ(found->library, v2.library);
    EXPECT_EQ(found->helpDir, v2.helpDir);
}

TEST_F(RegistryTest, IdentifiersThatWouldSplitTheKeyAreRefused)
{
    ClassEntry entry = counterClass(QStringLiteral("/opt/lib/libcounter.so"));
    entry.progId = QStringLiteral("Bad/ProgId");
    EXPECT_EQ(registry.registerClass(entry), kInvalidArgument);
    entry.progId.clear();
    entry.clsid.clear();
    EXPECT_EQ(registry.registerClass(entry), kInvalidArgument);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(RegistryTest, UnwritablePathsFailAndRegisterNothing)
{
    const ClassEntry entry = counterClass(QStringLiteral("/opt/lib/libcounter.so"));
    // A folder where the file should be.
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(registry.registerClass(entry), kFail);
    EXPECT_FALSE(Registry(path).classByProgId(entry.progId));

    // A file where a folder should be created.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString below = dir.filePath(QStringLiteral("blocker/tk28950/registry.ini"));
    EXPECT_EQ(Registry(below).registerClass(entry), kFail);
    EXPECT_EQ(Registry(below).unregisterClass(entry.clsid), kFail);
    EXPECT_FALSE(Registry(below).classById(entry.clsid));
}

TEST_F(RegistryTest, AFailedWriteLeavesFileAndReadersAsTheyWere)
{
    const ClassEntry first = counterClass(QStringLiteral("/opt/lib/libcounter.so"));
    ASSERT_EQ(registry.registerClass(first), kOk);
    const QByteArray before = contentOf(path);
    ClassEntry second = first;
    second.clsid = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
    second.progId = QStringLiteral("TK28950Test.Other.1");

    ImmutableFolder frozen(QFileInfo(path).absolutePath());
    if (!frozen.isSet())
        GTEST_SKIP() << "the file system cannot make a folder immutable";
    EXPECT_EQ(registry.registerClass(second), kFail);
    EXPECT_EQ(registry.unregisterClass(first.clsid), kFail);

    EXPECT_EQ(contentOf(path), before);
    EXPECT_FALSE(Registry(path).classByProgId(second.progId));
    expectSameClass(Registry(path).classByProgId(first.progId), first);
}

TEST(RegistryPath, ExplicitFileThenConfigHomeThenHome)
{
    const QByteArray savedRegistry = qgetenv("TK28950_REGISTRY");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("TK28950_REGISTRY", "/srv/reg.ini");
    qputenv("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(Registry::defaultPath(), QStringLiteral("/srv/reg.ini"));
    qunsetenv("TK28950_REGISTRY");
    EXPECT_EQ(Registry::defaultPath(), QStringLiteral("/cfg/tk28950/registry.ini"));
    EXPECT_EQ(Registry().path(), QStringLiteral("/cfg/tk28950/registry.ini"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Registry::defaultPath(),
              QDir::homePath() + QStringLiteral("/.config/tk28950/registry.ini"));
    qputenv("TK28950_REGISTRY", savedRegistry);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    if (savedRegistry.isEmpty())
        qunsetenv("TK28950_REGISTRY");
    if (savedConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}

// The user's registry over the machine's: a class only the machine knows is
// found, the user's own entry wins, and writes never touch the machine's file.
TEST(SystemRegistry, UserEntriesWinAndWritesStayWithTheUser)
{
    QTemporaryDir dir;
    const QByteArray savedRegistry = qgetenv("TK28950_REGISTRY");
    const QByteArray savedSystem = qgetenv("TK28950_SYSCONFDIR");
    qputenv("TK28950_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("user.ini"))));
    qputenv("TK28950_SYSCONFDIR", QFile::encodeName(dir.filePath(QStringLiteral("etc"))));
    EXPECT_EQ(Registry::systemPath(), dir.filePath(QStringLiteral("etc/registry.ini")));

    const ClassEntry machine = counterClass(QStringLiteral("/usr/lib/libcounter.so.1"));
    Registry system(Registry::systemPath());
    ASSERT_EQ(system.registerClass(machine), kOk);
    TypeLibEntry typeLib;
    typeLib.libId = machine.typeLibId;
    typeLib.version = machine.typeLibVersion;
    typeLib.library = machine.library;
    ASSERT_EQ(system.registerTypeLib(typeLib), kOk);
    const QByteArray systemFile = contentOf(Registry::systemPath());

    Registry layered;
    expectSameClass(layered.classByProgId(machine.progId), machine);
    expectSameClass(layered.classById(machine.clsid), machine);
    EXPECT_TRUE(layered.typeLib(typeLib.libId, typeLib.version));

    const ClassEntry own = counterClass(QStringLiteral("/home/op/libcounter.so.1"));
    ASSERT_EQ(layered.registerClass(own), kOk);
    expectSameClass(layered.classByProgId(own.progId), own);
    ASSERT_EQ(layered.unregisterClass(own.clsid), kOk);
    expectSameClass(layered.classByProgId(machine.progId), machine);
    EXPECT_EQ(contentOf(Registry::systemPath()), systemFile);
    EXPECT_FALSE(Registry(dir.filePath(QStringLiteral("user.ini"))).classById(machine.clsid));

    qputenv("TK28950_REGISTRY", savedRegistry);
    qputenv("TK28950_SYSCONFDIR", savedSystem);
}
