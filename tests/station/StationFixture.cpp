#include "StationFixture.h"

#include "CellMap.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

QString binary(const QString& name)
{
    return QFileInfo(ToolProcess::defaultProgram()).dir().filePath(name);
}

QByteArray dataFile(const QByteArray& cells)
{
    QByteArray content = "Address\tValue\r\n";
    for (int address = 0; address < cells.size(); ++address)
        content += QByteArray::number(address) + '\t' + QByteArray::number(quint8(cells[address])) +
                   "\r\n";
    return content;
}

} // namespace

StationFixture::StationFixture()
{
    const QString registry = path(QStringLiteral("registry.ini"));
    const int registered = QProcess::execute(
        binary(QStringLiteral("tk28950-regsvr")),
        {QStringLiteral("--registry"), registry, binary(QStringLiteral("libTK28950.so.1"))});
    EXPECT_EQ(registered, 0);
    m_tool.setVariable(QStringLiteral("TK28950_REGISTRY"), registry);
    m_tool.setVariable(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
}

QByteArray StationFixture::imageCells()
{
    QByteArray cells(256, 0);
    for (int address = 0; address < 256; ++address)
        cells[address] = char((address * 7 + 3) % 256);
    return cells;
}

QByteArray StationFixture::moduleCells(int serialNumber)
{
    QByteArray cells(256, 0);
    for (int address = 0; address < 256; ++address)
        cells[address] = char((address * 13 + serialNumber) % 256);
    cells[CellMap::kSerialNumber] = char(serialNumber & 0xff);
    cells[CellMap::kSerialNumber + 1] = char(serialNumber >> 8);
    return cells;
}

QByteArray StationFixture::coefficients(int serialNumber, char axis)
{
    QByteArray values;
    for (int index = 0; index < CellMap::kCoefCount; ++index)
        values.append(char((serialNumber + index * 3 + (axis == 'y' ? 100 : 0)) % 256));
    return values;
}

bool StationFixture::isSettingCell(int address)
{
    return address == CellMap::kZoom || address == CellMap::kGainY;
}

QByteArray StationFixture::intendedCells(int serialNumber)
{
    const QByteArray before = moduleCells(serialNumber);
    QByteArray cells = imageCells();
    // Kept: 13-124 and 189-190; in them the coefficient tables.
    for (int address = 13; address <= 124; ++address)
        cells[address] = before[address];
    for (int address : {189, 190})
        cells[address] = before[address];
    for (const char axis : {'x', 'y'}) {
        const QByteArray values = coefficients(serialNumber, axis);
        for (int index = 0; index < CellMap::kCoefCount; ++index) {
            const bool first = index < CellMap::kCoefRange;
            const int start = axis == 'x' ? (first ? CellMap::kCoefFirstX : CellMap::kCoefSecondX)
                                          : (first ? CellMap::kCoefFirstY : CellMap::kCoefSecondY);
            cells[start + index % CellMap::kCoefRange] = values[index];
        }
    }
    return cells;
}

QByteArray StationFixture::standardRecipe()
{
    return "name = \"test line\"\n"
           "[module]\n"
           "version = \"TK28950-V1.2.*\"\n"
           "[eeprom]\n"
           "image = \"golden.txt\"\n"
           "keep = [\"13-124\", \"189-190\"]\n"
           "[coefficients]\n"
           "x = \"coef/{sn}-x.coef\"\n"
           "y = \"coef/{sn}-y.coef\"\n"
           "[settings]\n"
           "ZoomX = 8\n"
           "GainY = 140\n"
           "[[check]]\n"
           "name = \"temperature\"\n"
           "read = \"temperature\"\n"
           "min = 10.0\n"
           "max = 40.0\n"
           "[[check]]\n"
           "name = \"level x\"\n"
           "read = \"x\"\n"
           "samples = 3\n"
           "min = 1.0\n"
           "max = 1.5\n"
           "max_spread = 0.05\n";
}

QString StationFixture::writeRecipe(const QByteArray& body, const QList<int>& serialNumbers)
{
    EXPECT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("coef")));
    EXPECT_TRUE(writeFileBytes(path(QStringLiteral("golden.txt")), dataFile(imageCells())));
    for (const int serialNumber : serialNumbers)
        for (const char axis : {'x', 'y'}) {
            QByteArray text;
            for (const char value : coefficients(serialNumber, axis))
                text += QByteArray::number(quint8(value)) + ' ';
            EXPECT_TRUE(writeFileBytes(
                path(QStringLiteral("coef/%1-%2.coef").arg(serialNumber).arg(QLatin1Char(axis))),
                text));
        }
    const QString recipe = path(QStringLiteral("recipe.toml"));
    EXPECT_TRUE(writeFileBytes(recipe, body));
    return recipe;
}

Simulator& StationFixture::startModule(int serialNumber, const QStringList& arguments)
{
    m_modules.push_back(std::make_unique<Simulator>());
    Simulator& module = *m_modules.back();
    EXPECT_TRUE(module.start(arguments, moduleCells(serialNumber))) << module.error().toStdString();
    return module;
}

QStringList StationFixture::deviceArguments() const
{
    QStringList arguments;
    for (const std::unique_ptr<Simulator>& module : m_modules)
        arguments << QStringLiteral("--device") << module->device();
    return arguments;
}
