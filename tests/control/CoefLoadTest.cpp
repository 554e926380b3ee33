// Coefficient files loaded through the control into a simulated module.
#include "ControlHost.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace id = tk28950::dispid;
namespace ev = tk28950::event;

namespace {

class CoefLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
        ASSERT_EQ(host.open(sim, 1), "TK28950 Ready");
        before = sim.eeprom();
        sim.clearTrace();
    }

    // A file of count tokens 100, 101, ... with lines of `perLine` tokens.
    QString writeFile(int count, int perLine, const char* lineEnd)
    {
        QByteArray content;
        for (int i = 0; i < count; ++i) {
            content += QByteArray::number(100 + i);
            content += (i + 1) % perLine == 0 ? QByteArray(lineEnd) : QByteArray(" ");
        }
        const QString path = dir.filePath(QStringLiteral("coef%1.txt").arg(count));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    // Cells of the two ranges hold the tokens in order; all others unchanged.
    void expectLoaded(int firstLow, int firstHigh)
    {
        const QByteArray after = sim.eeprom();
        for (int k = 0; k < 28; ++k) {
            EXPECT_EQ(quint8(after.at(firstLow + k)), 100 + k) << "cell " << firstLow + k;
            EXPECT_EQ(quint8(after.at(firstHigh + k)), 128 + k) << "cell " << firstHigh + k;
        }
        for (int address = 0; address < 256; ++address) {
            const bool loaded = (address >= firstLow && address < firstLow + 28) ||
                                (address >= firstHigh && address < firstHigh + 28);
            if (!loaded) {
                EXPECT_EQ(after.at(address), before.at(address)) << "cell " << address;
            }
        }
    }

    QTemporaryDir dir;
    Simulator sim;
    ControlHost host;
    QByteArray before;
};

} // namespace

TEST_F(CoefLoad, FiftySixTokensOverCrLfLinesFillTheXTable)
{
    EXPECT_EQ(host.call(id::LoadCoef, {"X", writeFile(56, 4, "\r\n")}).text(), "Ok");
    expectLoaded(13, 69);
    EXPECT_EQ(host.eventTexts(ev::DataReady), QStringList{"Ok"});
    EXPECT_EQ(host.events.size(), 1);
    EXPECT_TRUE(sim.received().startsWith("h013100h014101"));
}

TEST_F(CoefLoad, TokensAfterTheFiftySixthAreIgnored)
{
    EXPECT_EQ(host.call(id::LoadCoef, {" y ", writeFile(60, 60, "\n")}).text(), "Ok");
    expectLoaded(41, 97);
    EXPECT_EQ(sim.received().count('h'), 56);
}

TEST_F(CoefLoad, ShortOrBrokenFileWritesNothing)
{
    const Call shortFile = host.call(id::LoadCoef, {"x", writeFile(30, 1, "\r\n")});
    EXPECT_NE(shortFile.text(), "Ok");
    EXPECT_TRUE(shortFile.text().startsWith("Error reading coef file"))
        << qPrintable(shortFile.text());
    EXPECT_EQ(host.messages, QStringList{"Error reading coef file"});

    QFile broken(dir.filePath("broken.txt"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("1 2 3 300 ") + QByteArray("7 ").repeated(60));
    broken.close();
    EXPECT_NE(host.call(id::LoadCoef, {"x", broken.fileName()}).text(), "Ok");

    EXPECT_EQ(host.call(id::LoadCoef, {"x", dir.path()}).text(), "File not found");
    EXPECT_EQ(host.call(id::LoadCoef, {"x", ""}).text(), "File not found");
    EXPECT_NE(host.call(id::LoadCoef, {"z", writeFile(56, 8, "\n")}).text(), "Ok");

    QTest::qWait(50);
    EXPECT_EQ(sim.received(), "");
    EXPECT_EQ(sim.eeprom(), before);
    EXPECT_TRUE(host.eventTexts(ev::DataReady).isEmpty());
}
