// Coefficient files loaded into the simulator: the whole file is checked
// before the first cell is written.
#include "SimulatorFixture.h"
#include "resources/MessageTable.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

class CoefLoad : public OnSimulator {
protected:
    QString WriteFile(const QByteArray& content)
    {
        const QString path = dir.filePath(QStringLiteral("coef%1.txt").arg(++files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    // count values 7, 8, 9, ... one per line with CR LF ends.
    static QByteArray Values(int count, const char* separator = "\r\n")
    {
        QByteArray content;
        for (int i = 0; i < count; ++i)
            content += QByteArray::number(7 + i) + separator;
        return content;
    }
    QByteArray CellRange(int first, int count) const { return sim.eeprom().mid(first, count); }
    static QByteArray Expected(int firstValue, int count)
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes += char(firstValue + i);
        return bytes;
    }

    QTemporaryDir dir;
    int files = 0;
};

} // namespace

TEST_F(CoefLoad, FiftySixValuesFillBothRangesOfTheAxisAndRaiseOneEvent)
{
    Start({}, QByteArray(256, '\0'));
    EXPECT_EQ(m().LoadCoef(" X ", WriteFile(Values(56))), QStringLiteral("Ok"));
    EXPECT_EQ(CellRange(13, 28), Expected(7, 28));
    EXPECT_EQ(CellRange(69, 28), Expected(35, 28));
    EXPECT_EQ(CellRange(41, 28), QByteArray(28, '\0'));
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"DataReady", "Ok"}}));
    EXPECT_EQ(m().Reply(), QStringLiteral("Ok"));
    EXPECT_TRUE(owner.EventsEnabled());
    EXPECT_TRUE(sim.received().startsWith("h013007h014008"));
    EXPECT_TRUE(owner.messages.isEmpty());
}

TEST_F(CoefLoad, ValuesBeyondTheFiftySixthAreIgnoredAndAnyLayoutReads)
{
    Start({}, QByteArray(256, '\0'));
    EXPECT_EQ(m().LoadCoef("y", WriteFile(Values(60, " \t "))), QStringLiteral("Ok"));
    EXPECT_EQ(CellRange(41, 28), Expected(7, 28));
    EXPECT_EQ(CellRange(97, 28), Expected(35, 28));
    EXPECT_EQ(Cell(125), 0);
    EXPECT_EQ(Occurrences(sim.received(), "h"), 56);
}

TEST_F(CoefLoad, AFileSavedWithAByteOrderMarkReads)
{
    Start({}, QByteArray(256, '\0'));
    EXPECT_EQ(m().LoadCoef("X", WriteFile("\xEF\xBB\xBF" + Values(56))), QStringLiteral("Ok"));
    EXPECT_EQ(CellRange(13, 28), Expected(7, 28));
    EXPECT_EQ(CellRange(69, 28), Expected(35, 28));
}

TEST_F(CoefLoad, ShortOrBadFilesWriteNothing)
{
    Start();
    const QByteArray before = sim.eeprom();
    QByteArray badToken = Values(56);
    badToken.replace("37\r\n", "3x\r\n");
    const struct {
        QByteArray content;
        QString result;
    } cases[] = {
        {Values(30), "Error reading coef file: only 30 of 56 values"},
        {badToken, "Error reading coef file: value 31 \"3x\" is not a number from 0 to 255"},
        {Values(55) + "256",
         "Error reading coef file: value 56 \"256\" is not a number from 0 to 255"},
        {"1234567890123456 " + Values(55),
         "Error reading coef file: value 1 \"1234567890123456\" is longer than 15 characters"},
        // Too big for an int: a converted value would wrap to something small.
        {Values(9) + "4294967296 " + Values(46),
         "Error reading coef file: value 10 \"4294967296\" is not a number from 0 to 255"},
        {"112222222269 " + Values(55),
         "Error reading coef file: value 1 \"112222222269\" is not a number from 0 to 255"},
        {"", "Error reading coef file: only 0 of 56 values"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m().LoadCoef("x", WriteFile(c.content)), c.result);
    EXPECT_EQ(owner.messages, QStringList(std::size(cases), "Error reading coef file"));
    EXPECT_EQ(m().LoadCoef("x", dir.path()), LoadMessage(Msg::FileNotFound));
    EXPECT_EQ(m().LoadCoef("x", dir.filePath("missing")), LoadMessage(Msg::FileNotFound));
    EXPECT_EQ(m().LoadCoef("x", ""), LoadMessage(Msg::FileNotFound));
    EXPECT_EQ(m().LoadCoef("z", WriteFile(Values(56))),
              QStringLiteral("Invalid axis \"z\" (X or Y)"));
    EXPECT_EQ(m().LoadCoef("xy", WriteFile(Values(56))).left(12), QStringLiteral("Invalid axis"));
    EXPECT_EQ(WireUpToNow(), QByteArray());
    EXPECT_EQ(sim.eeprom(), before);
    EXPECT_TRUE(owner.events.isEmpty());
}

TEST_F(CoefLoad, LeadingZerosDoNotMakeAValueTooBig)
{
    Start({}, QByteArray(256, '\0'));
    EXPECT_EQ(m().LoadCoef("x", WriteFile("000000000000255 0000000000001 " + Values(54))),
              QStringLiteral("Ok"));
    EXPECT_EQ(CellRange(13, 3), QByteArray("\xff\x01\x07"));
}

TEST_F(CoefLoad, FilesThatAreNoCoefficientFileAreRefusedAtOnce)
{
    Start();
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = WriteFile(Values(56));
    ASSERT_TRUE(QFile::resize(huge, 100 << 20));
    for (const QString& path : {QStringLiteral("/dev/zero"), fifo, huge})
        EXPECT_TRUE(
            m().LoadCoef("x", path).startsWith(QLatin1String("Error reading coef file: it is")))
            << path.toStdString();
    EXPECT_EQ(WireUpToNow(), QByteArray());
}

TEST_F(CoefLoad, TimeOutStopsTheLoad)
{
    Start({"--silent"});
    EXPECT_EQ(m().LoadCoef("x", WriteFile(Values(56))), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(sim.received(), QByteArray("h013007"));
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"DataReady", "TK28950 Time out"}}));
}
