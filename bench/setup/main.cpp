// Times the setup program's two EEPROM file transfers, driven through the
// real window at the program's own pace, against a simulated module paced
// at 38400 baud: a write-back of a whole file, then a save of all cells.
// Prints each time beside the floor that the transfer's pauses and timer
// set (a write pauses 100 ms; a read waits one 500 ms tick and pauses
// 100 ms). It is not a test.
#include "ControlClient.h"
#include "FrmTK28950.h"
#include "MessageBoxes.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kCells = 256;
constexpr double kWriteFloorSeconds = 0.1;
constexpr double kReadFloorSeconds = 0.6;

// Created from the library beside this program, whatever is registered.
std::unique_ptr<ControlClient> createControl()
{
    auto control = std::make_unique<ControlClient>();
    const QString library = QDir(QCoreApplication::applicationDirPath()).filePath("libTK28950.so");
    if (!control->create(QString::fromLatin1(tk28950::kProgId),
                         QString::fromLatin1(tk28950::kControlClsid), library)) {
        std::fprintf(stderr, "setup_bench: %s\n", qUtf8Printable(control->createError()));
        std::exit(2);
    }
    return control;
}

// Clicks a transfer button; the seconds until its result box, and the box.
double timeTransfer(FrmTK28950& window, const char* button, QString* shown)
{
    shown->clear();
    window.messages().setPresenter([shown](const MessageBoxes::Box& box) { *shown = box.text; });
    QElapsedTimer clock;
    clock.start();
    window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    return clock.elapsed() / 1000.0;
}

void report(const char* what, double seconds, double floorSeconds, const QString& shown)
{
    std::printf("%-10s %7.1f s  %6.0f ms per cell  floor %5.1f s  ratio %.2f  \"%s\"\n", what,
                seconds, seconds * 1000 / kCells, floorSeconds, seconds / floorSeconds,
                qUtf8Printable(shown));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    // A registry of this run only: the control comes from the build.
    qputenv("TK28950_REGISTRY", dir.filePath("registry.ini").toLocal8Bit());

    Simulator module;
    if (!module.start({"--pace", "38400"})) {
        std::fprintf(stderr, "setup_bench: %s\n", qUtf8Printable(module.error()));
        return 2;
    }
    module.mapToPort(1);

    FrmTK28950 window(createControl(), createControl());
    const QString path = dir.filePath("EEPROMData.txt");
    QByteArray file = "Address\tValue\r\n";
    for (int n = 0; n < kCells; ++n)
        file += QByteArray::number(n) + '\t' + QByteArray::number((n * 7 + 3) % 256) + "\r\n";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        return 2;
    out.close();
    window.findChild<QLineEdit*>(QStringLiteral("TxtEEPROMFile"))->setText(path);

    std::printf("setup program transfers of %d cells, simulator paced at 38400 baud\n", kCells);
    QString shown;
    const double writeBack = timeTransfer(window, "CmdWriteEEPROM", &shown);
    report("write-back", writeBack, kCells * kWriteFloorSeconds, shown);
    bool written = true;
    const QByteArray cells = module.eeprom();
    for (int n = 0; n < kCells; ++n)
        written = written && quint8(cells.at(n)) == (n * 7 + 3) % 256;

    QFile::remove(path);
    const double save = timeTransfer(window, "CmdSaveEEPROM", &shown);
    report("save", save, kCells * kReadFloorSeconds, shown);
    QFile saved(path);
    const bool same = saved.open(QIODevice::ReadOnly) && saved.readAll() == file;
    std::printf("module holds the file: %s; saved file equals it: %s\n", written ? "yes" : "NO",
                same ? "yes" : "NO");
    return written && same ? 0 : 1;
}
