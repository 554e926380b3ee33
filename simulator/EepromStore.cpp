#include "EepromStore.h"

#include "BoundedFile.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>

namespace {
void put16(EepromStore::Cells& cells, int lowAddress, qint16 value)
{
    const auto raw = static_cast<quint16>(value);
    cells[lowAddress] = static_cast<quint8>(raw & 0xFF);
    cells[lowAddress + 1] = static_cast<quint8>(raw >> 8);
}

// The two coefficient tables are split in two runs of 28 cells each; the X
// table counts up from 0, the Y table from 128, so a dump shows at a glance
// which cell belongs to which table and position.
void putCoefficientTables(EepromStore::Cells& cells)
{
    constexpr int RunLength = 28;
    constexpr int xRuns[] = {13, 69};
    constexpr int yRuns[] = {41, 97};
    for (int run = 0; run < 2; ++run) {
        for (int i = 0; i < RunLength; ++i) {
            const int index = run * RunLength + i;
            cells[xRuns[run] + i] = static_cast<quint8>(index);
            cells[yRuns[run] + i] = static_cast<quint8>(128 + index);
        }
    }
}

// Four 16-bit temperature coefficients per axis: slope at -10 degrees (x4096),
// offset at -10, slope at 50 (x4096), offset at 50.
void putTemperatureCoefficients(EepromStore::Cells& cells, int firstAddress, qint16 offset)
{
    put16(cells, firstAddress, 2048);
    put16(cells, firstAddress + 2, offset);
    put16(cells, firstAddress + 4, 2048);
    put16(cells, firstAddress + 6, static_cast<qint16>(-offset));
}
} // namespace

EepromStore::Cells EepromStore::factoryDefaults()
{
    Cells cells = filledWith(0xFF); // unused cells read as erased EEPROM
    put16(cells, 1, 12);            // X global offset
    put16(cells, 3, -8);            // Y global offset
    put16(cells, 7, 1000);          // X scale factor
    cells[9] = 0x80; // DAC from the ADC; reset, start-up correction and angle enabled
    putCoefficientTables(cells);
    putTemperatureCoefficients(cells, 125, 12);
    putTemperatureCoefficients(cells, 133, -6);
    cells[182] = 0x02;       // temperature correction on
    cells[187] = 128;        // X gain
    cells[188] = 128;        // Y gain
    put16(cells, 189, 1234); // serial number
    put16(cells, 191, 500);  // threshold 1
    put16(cells, 193, 1000); // threshold 2
    put16(cells, 195, 50);   // threshold window 1
    put16(cells, 197, 100);  // threshold window 2
    put16(cells, 199, 1000); // Y scale factor
    cells[201] = 0x12;       // zoom: X code 2 (factor 4), Y code 1 (factor 2)
    put16(cells, 202, -15);  // temperature offset, tenths of a degree
    return cells;
}

EepromStore::Cells EepromStore::filledWith(quint8 value)
{
    Cells cells;
    cells.fill(value);
    return cells;
}

EepromStore::EepromStore(const Cells& initial) : m_cells(initial) {}

bool EepromStore::attachFile(const QString& path, QString& error)
{
    m_path = path;
    if (!QFile::exists(path)) {
        if (save())
            return true;
        error = QStringLiteral("cannot create EEPROM file %1").arg(path);
        return false;
    }
    // Read within the size of the table: a larger file is refused unread, a
    // FIFO or a device without being opened.
    using component::BoundedFile;
    const BoundedFile file = component::readBoundedFile(path, CellCount);
    if (file.status == BoundedFile::Status::TooLarge) {
        error = QStringLiteral("EEPROM file %1 holds more than %2 bytes, expected exactly %2")
                    .arg(path)
                    .arg(CellCount);
        return false;
    }
    if (!file.ok()) {
        error = QStringLiteral("cannot read EEPROM file %1: %2").arg(path, file.error);
        return false;
    }
    if (file.content.size() != CellCount) {
        error = QStringLiteral("EEPROM file %1 holds %2 bytes, expected exactly %3")
                    .arg(path)
                    .arg(file.content.size())
                    .arg(CellCount);
        return false;
    }
    std::copy(file.content.cbegin(), file.content.cend(), m_cells.begin());
    return true;
}

void EepromStore::write(int address, quint8 value)
{
    Cells cells = m_cells;
    cells.at(address) = value;
    replaceCells(cells);
}

void EepromStore::restoreDefaults()
{
    replaceCells(factoryDefaults());
}

void EepromStore::replaceCells(const Cells& cells)
{
    if (cells == m_cells)
        return;
    m_cells = cells;
    save();
}

bool EepromStore::save() const
{
    if (m_path.isEmpty())
        return true;
    QSaveFile file(m_path);
    const bool saved =
        file.open(QIODevice::WriteOnly) &&
        file.write(reinterpret_cast<const char*>(m_cells.data()), CellCount) == CellCount &&
        file.commit();
    if (!saved)
        qWarning().noquote() << "tk28950-sim: cannot save EEPROM file" << m_path << ":"
                             << file.errorString();
    return saved;
}
