#include "ComponentHost.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace component;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun regsvr(const QStringList& arguments, const QString& workingFolder = QString())
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(testpaths::regsvr(), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

class RegsvrTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString registryPath = dir.filePath(QStringLiteral("reg/registry.ini"));
    QString library = testpaths::component();
};

} // namespace

TEST_F(RegsvrTest, RegistersAndUnregistersTheLibrary)
{
    const ToolRun registered = regsvr({QStringLiteral("--registry"), registryPath, library});
    ASSERT_EQ(registered.exitCode, 0) << registered.err.toStdString();
    EXPECT_EQ(registered.out, QStringLiteral("Registered %1\n").arg(library));

    const Registry registry(registryPath);
    const std::optional<ClassEntry> entry =
        registry.classByProgId(QLatin1String(testpaths::kCounterProgId));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->library, library);
    EXPECT_TRUE(registry.typeLib(QStringLiteral("{0F3B8F1E-3D0C-4A59-B8D7-6C2A9E5B7F20}"),
                                 QStringLiteral("1.0")));
    CreatedObject created;
    QString error;
    EXPECT_EQ(createObject(registry, entry->progId, &created, &error), kOk) << error.toStdString();
    created = {};

    const ToolRun unregistered =
        regsvr({QStringLiteral("-u"), QStringLiteral("--registry"), registryPath, library});
    ASSERT_EQ(unregistered.exitCode, 0) << unregistered.err.toStdString();
    EXPECT_EQ(unregistered.out, QStringLiteral("Unregistered %1\n").arg(library));
    EXPECT_FALSE(registry.classByProgId(QLatin1String(testpaths::kCounterProgId)));
}

TEST_F(RegsvrTest, ARelativeLibraryIsRegisteredByItsAbsolutePath)
{
    const QFileInfo file(library);
    const ToolRun run =
        regsvr({QStringLiteral("--registry"), registryPath, file.fileName()}, file.absolutePath());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const std::optional<ClassEntry> entry =
        Registry(registryPath).classByProgId(QLatin1String(testpaths::kCounterProgId));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->library, file.absoluteFilePath());
}

TEST_F(RegsvrTest, RegistryFromTheEnvironmentWithoutTheOption)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TK28950_REGISTRY"), registryPath);
    process.setProcessEnvironment(environment);
    process.start(testpaths::regsvr(), {library});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(Registry(registryPath).classByProgId(QLatin1String(testpaths::kCounterProgId)));
}

TEST_F(RegsvrTest, SystemRegistrationIsSeenByEveryUser)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TK28950_SYSCONFDIR"), dir.filePath(QStringLiteral("etc")));
    process.setProcessEnvironment(environment);
    process.start(testpaths::regsvr(), {QStringLiteral("--system"), library});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(Registry(dir.filePath(QStringLiteral("etc/registry.ini")))
                    .classByProgId(QLatin1String(testpaths::kCounterProgId)));
    EXPECT_EQ(
        regsvr({QStringLiteral("--system"), QStringLiteral("--registry"), registryPath, library})
            .exitCode,
        2);
}

TEST_F(RegsvrTest, UnregisteringForTheUserAloneSaysThatTheMachineStillRegistersIt)
{
    const QString etc = dir.filePath(QStringLiteral("etc"));
    const QByteArray savedSystem = qgetenv("TK28950_SYSCONFDIR");
    qputenv("TK28950_SYSCONFDIR", QFile::encodeName(etc));
    ASSERT_EQ(regsvr({QStringLiteral("--system"), library}).exitCode, 0);
    ASSERT_EQ(regsvr({QStringLiteral("--registry"), registryPath, library}).exitCode, 0);

    const ToolRun user =
        regsvr({QStringLiteral("-u"), QStringLiteral("--registry"), registryPath, library});
    EXPECT_EQ(user.exitCode, 0);
    EXPECT_EQ(user.out, QStringLiteral("Unregistered %1\n").arg(library));
    EXPECT_EQ(user.err,
              QStringLiteral("%1 stays registered in the machine's registry %2/registry.ini, "
                             "which every user's programs read: they still create it. To remove "
                             "it there: sudo tk28950-regsvr --system -u %1\n")
                  .arg(library, etc));

    const ToolRun system = regsvr({QStringLiteral("-u"), QStringLiteral("--system"), library});
    EXPECT_EQ(system.exitCode, 0);
    EXPECT_TRUE(system.err.isEmpty()) << system.err.toStdString();
    const ToolRun again =
        regsvr({QStringLiteral("-u"), QStringLiteral("--registry"), registryPath, library});
    EXPECT_TRUE(again.err.isEmpty()) << again.err.toStdString();
    qputenv("TK28950_SYSCONFDIR", savedSystem);
}

TEST_F(RegsvrTest, FailuresExitWithOneAndSayWhy)
{
    const ToolRun missing = regsvr(
        {QStringLiteral("--registry"), registryPath, dir.filePath(QStringLiteral("none.so"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("cannot load"))) << missing.err.toStdString();

    ASSERT_TRUE(QDir().mkpath(registryPath)); // a folder where the file should be
    const ToolRun unwritable = regsvr({QStringLiteral("--registry"), registryPath, library});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains(QStringLiteral("DllRegisterServer")));
    EXPECT_TRUE(
        unwritable.err.contains(QStringLiteral("0x80040200 (type library registration failed)")))
        << unwritable.err.toStdString();
    EXPECT_TRUE(unwritable.out.isEmpty());
}

TEST_F(RegsvrTest, BadUsageExitsWithTwo)
{
    EXPECT_EQ(regsvr({}).exitCode, 2);
    EXPECT_EQ(regsvr({library, library}).exitCode, 2);
    EXPECT_EQ(regsvr({QStringLiteral("--frobnicate"), library}).exitCode, 2);
    EXPECT_EQ(regsvr({library, QStringLiteral("--registry")}).exitCode, 2);
    const ToolRun help = regsvr({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("LIBRARY")));
}
