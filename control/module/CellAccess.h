#pragma once
// Reads and writes of the module's EEPROM cells inside waiting requests:
// single cells, the 16-bit settings built on them, read-modify-write
// updates of the settings kept in bits of shared cells, and the
// temperature coefficients.
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

class CModule;
class CModuleLink;

class CCellAccess {
public:
    // Cells are read and written through module's EEPROM commands.
    CCellAccess(CModuleLink& link, CModule& module);

    // Whole waiting requests.
    qint16 Read16Request(int lowCell);
    QString Write16Request(int lowCell, int value);
    QString UpdateConfigBit(int bit, bool on);
    QString UpdateTemperatureCorrection(bool on);
    qint16 ReadZoom(int shift);
    QString WriteZoom(int shift, int factor);
    QString WriteTemperatureCoefs(const QString& axis, const std::array<QString, 4>& texts);
    // The control's own reads and writes, cell by cell in one request: each
    // cell is sent and waited for in turn, and nothing more is sent once
    // one has failed. The read gives every cell's value, or nothing (the
    // link's LastFailure() says why); the write gives "Ok" or what failed.
    std::optional<QList<int>> ReadValues(std::initializer_list<int> cells);
    QString WriteValues(std::initializer_list<std::pair<int, int>> cellValues);

    // Steps inside a running request: "Ok", or the failure, which is noted
    // with the request.
    QString WriteCell(int address, int value);
    QString WriteCellText(const QString& address, const QString& value);

    int ZoomCellCopy() const { return m_zoomCell; }

private:
    QString Exchange(const std::function<QString()>& send);
    QString Failed(const QString& failure);
    static QString CellFailure(const QString& address, const char* done, const QString& reason);
    std::optional<int> ReadCellByte(int address);
    std::optional<qint16> Read16(int lowCell);
    QString Write16(int lowCell, int value);
    QString UpdateCell(int address, const std::function<int(int)>& change, const QString& success);

    CModuleLink& m_link;
    CModule& m_module;
    unsigned char m_zoomCell = 0;
};
