// Provisions 1, 4, 8 and 16 simulated modules at once, each paced at
// 38400 baud, with a recipe that restores all 256 cells and verifies them,
// and prints the wall time of each batch against one module's and the
// processor time (the tool and its workers) per module.
#include "Simulator.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

QString binary(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

double childrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString writeRecipe(const QTemporaryDir& dir)
{
    QByteArray image = "Address\tValue\r\n";
    for (int address = 0; address < 256; ++address)
        image +=
            QByteArray::number(address) + '\t' + QByteArray::number((address * 11) % 256) + "\r\n";
    writeFileBytes(dir.filePath(QStringLiteral("image.txt")), image);
    const QString recipe = dir.filePath(QStringLiteral("bench.toml"));
    writeFileBytes(recipe, "name = \"bench\"\n[module]\nversion = \"TK28950-*\"\n"
                           "[eeprom]\nimage = \"image.txt\"\n");
    return recipe;
}

struct Figures {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    bool passed = false;
};

Figures provision(int modules, const QString& recipe, const QTemporaryDir& dir)
{
    std::vector<std::unique_ptr<Simulator>> simulators;
    QStringList arguments{QStringLiteral("provision"), recipe, QStringLiteral("--records"),
                          QStringLiteral("sqlite:") +
                              dir.filePath(QStringLiteral("records.sqlite")),
                          QStringLiteral("--quiet")};
    for (int index = 0; index < modules; ++index) {
        simulators.push_back(std::make_unique<Simulator>());
        if (!simulators.back()->start({QStringLiteral("--pace"), QStringLiteral("38400")})) {
            std::fprintf(stderr, "simulator: %s\n", qPrintable(simulators.back()->error()));
            return {};
        }
        arguments << QStringLiteral("--device") << simulators.back()->device();
    }
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    tool.start(binary(QStringLiteral("tk28950")), arguments);
    tool.waitForFinished(-1);
    Figures figures;
    figures.wallSeconds = double(clock.nsecsElapsed()) / 1e9;
    figures.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    figures.passed = tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (!figures.passed)
        std::fprintf(stderr, "%s", tool.readAllStandardOutput().constData());
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("TK28950_REGISTRY", dir.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    if (QProcess::execute(binary(QStringLiteral("tk28950-regsvr")),
                          {binary(QStringLiteral("libTK28950.so.1"))}) != 0)
        return 1;
    const QString recipe = writeRecipe(dir);
    std::printf("provision: full image restore and verify, simulators paced at 38400 baud\n");
    std::printf("%8s %10s %10s %14s %8s\n", "modules", "wall (s)", "vs one", "CPU/module (s)",
                "result");
    double one = 0;
    for (const int modules : {1, 4, 8, 16}) {
        const Figures figures = provision(modules, recipe, dir);
        if (modules == 1)
            one = figures.wallSeconds;
        std::printf("%8d %10.2f %10.2f %14.3f %8s\n", modules, figures.wallSeconds,
                    one > 0 ? figures.wallSeconds / one : 0.0, figures.cpuSeconds / modules,
                    figures.passed ? "pass" : "FAIL");
        std::fflush(stdout);
    }
    return 0;
}
