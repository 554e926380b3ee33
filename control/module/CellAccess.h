#pragma once
// Reads and writes of the module's EEPROM cells inside waiting requests:
// single cells, the 16-bit settings built on them, read-modify-write
// updates of the settings kept in bits of shared cells, and the
// temperature coefficients.
#include <QString>
#include <QStringList>
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
    // the command timer has expired. The read gives the reply of each cell
    // answered (fewer after a time-out), nothing while another request
    // waits.
    QStringList ReadReplies(std::initializer_list<int> cells);
    void WriteValues(std::initializer_list<std::pair<int, int>> cellValues);

    // Steps inside a running request.
    QString WriteCell(int address, int value);
    QString WriteCellText(const QString& address, const QString& value);

    int ZoomCellCopy() const { return m_zoomCell; }

private:
    struct CellAnswer {
        bool answered = false;
        QString text;
    };
    CellAnswer ReadCell(int address);
    int ReadCellValue(int address);
    std::optional<int> ReadCellByte(int address);
    qint16 Read16(int lowCell);
    QString Write16(int lowCell, int value);
    QString UpdateCell(int address, const std::function<int(int)>& change, const QString& success);

    CModuleLink& m_link;
    CModule& m_module;
    unsigned char m_zoomCell = 0;
};
