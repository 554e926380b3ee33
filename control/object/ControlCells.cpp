// The properties that the control reads and writes itself, cell by cell
// (gains and global offsets), and the text form of the temperature offset.
#include "CTK28950Ctrl.h"
#include "module/TextNumbers.h"
#include "resources/MessageTable.h"

#include <QtGlobal>
#include <cmath>
#include <limits>

namespace {

// Fallbacks of a control that has no port yet.
const QString kNoGain = QStringLiteral("----");
constexpr qint16 kNoAmp = -1;
constexpr qint16 kNoOffset = 999;

qint16 cellNumber(const QStringList& replies, int index)
{
    return static_cast<qint16>(
        TextNumbers::LeadingInteger(replies.value(index), TextNumbers::kFifteenNines));
}

} // namespace

// The cell's answer as received (empty when the module did not answer).
QString CTK28950Ctrl::GainText(int cell)
{
    if (!IsInitialised())
        return kNoGain;
    if (m_bTimedOut)
        return LoadMessage(Msg::TimeOut);
    return m_module.ReadCellReplies({cell}).value(0);
}

qint16 CTK28950Ctrl::Amp(int cell)
{
    if (!IsInitialised())
        return kNoAmp;
    return cellNumber(m_module.ReadCellReplies({cell}), 0);
}

// Two cells, low byte first; an unanswered cell counts as 0.
qint16 CTK28950Ctrl::GlobalOffset(int lowCell)
{
    if (!IsInitialised())
        return kNoOffset;
    const QStringList replies = m_module.ReadCellReplies({lowCell, lowCell + 1});
    const int low = cellNumber(replies, 0);
    const int high = cellNumber(replies, 1) & 0xFF;
    return static_cast<qint16>(low | (high << 8));
}

void CTK28950Ctrl::SetGlobalOffset(int lowCell, qint16 value)
{
    if (!IsInitialised())
        return;
    m_module.WriteCellValues({{lowCell, value & 0xFF}, {lowCell + 1, (value >> 8) & 0xFF}});
    SetModified();
}

// The module keeps tenths of a degree; hosts see degrees with one decimal.
QString CTK28950Ctrl::TemperatureOffsetText()
{
    const qint16 tenths = m_module.GetTemperatureOffset();
    return QString::asprintf("%3.1f", static_cast<double>(tenths * 0.1f));
}

dispatch::Outcome CTK28950Ctrl::SetTemperatureOffsetText(const QString& text)
{
    const double tenths = std::trunc(TextNumbers::LeadingDecimal(text) * 10.0);
    if (!(tenths >= std::numeric_limits<qint16>::min() &&
          tenths <= std::numeric_limits<qint16>::max()))
        return dispatch::Outcome::failure(
            component::kOverflow,
            QStringLiteral("TemperatureOffset: %1 is out of range (-3276.8 to 3276.7)").arg(text));
    m_module.SetTemperatureOffset(static_cast<int>(tenths));
    SetModified();
    return {};
}
