#pragma once

#include "ModuleLimits.h"

#include <QString>

#include <array>

// The module's 256 one-byte EEPROM cells, optionally kept in a file of
// exactly 256 bytes. The file is replaced as a whole after every change
// (written aside, then renamed), so a crash never leaves half a file.
class EepromStore {
public:
    static constexpr int CellCount = tk28950::kCells;
    using Cells = std::array<quint8, CellCount>;

    // The table a module leaves the factory with, and restores on an EEPROM reset.
    static Cells factoryDefaults();
    static Cells filledWith(quint8 value);

    explicit EepromStore(const Cells& initial);

    // Keeps the cells in path from now on: loads them when the file exists,
    // otherwise writes the current cells there. False, with a message, when
    // the file cannot be read or does not hold exactly 256 bytes.
    bool attachFile(const QString& path, QString& error);

    quint8 cell(int address) const { return m_cells.at(address); }
    void write(int address, quint8 value);
    void restoreDefaults();
    bool save() const;

private:
    void replaceCells(const Cells& cells);

    Cells m_cells;
    QString m_path;
};
