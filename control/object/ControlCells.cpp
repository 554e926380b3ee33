// The properties that the control reads and writes itself, cell by cell
// (gains and global offsets), and the text form of the temperature offset.
#include "CTK28950Ctrl.h"
#include "module/TextNumbers.h"
#include "resources/MessageTable.h"

#include <QtGlobal>
#include <cmath>

namespace {

// Fallbacks of a control that has no port yet.
const QString kNoGain = QStringLiteral("----");
constexpr qint16 kNoAmp = -1;
constexpr qint16 kNoOffset = 999;

} // namespace

// The cell's value as the module sent it.
dispatch::Outcome CTK28950Ctrl::GainText(int cell)
{
    if (!IsInitialised())
        return kNoGain;
    const auto values = m_module.Cells().ReadValues({cell});
    return values ? dispatch::Outcome(QString::number(values->at(0)))
                  : dispatch::Outcome::requestFailure(m_module.LastFailure());
}

dispatch::Outcome CTK28950Ctrl::Amp(int cell)
{
    if (!IsInitialised())
        return component::Variant(kNoAmp);
    const auto values = m_module.Cells().ReadValues({cell});
    return values ? dispatch::Outcome(component::Variant(qint16(values->at(0))))
                  : dispatch::Outcome::requestFailure(m_module.LastFailure());
}

// Two cells, low byte first.
dispatch::Outcome CTK28950Ctrl::GlobalOffset(int lowCell)
{
    if (!IsInitialised())
        return component::Variant(kNoOffset);
    const auto values = m_module.Cells().ReadValues({lowCell, lowCell + 1});
    if (!values)
        return dispatch::Outcome::requestFailure(m_module.LastFailure());
    return component::Variant(static_cast<qint16>(values->at(0) | (values->at(1) << 8)));
}

dispatch::Outcome CTK28950Ctrl::SetGlobalOffset(int lowCell, qint16 value)
{
    if (!IsInitialised())
        return {};
    const QString written =
        m_module.Cells().WriteValues({{lowCell, value & 0xFF}, {lowCell + 1, (value >> 8) & 0xFF}});
    SetModified();
    return dispatch::Outcome::unlessFailed(written, LoadMessage(Msg::Ok));
}

// The module keeps tenths of a degree; hosts see degrees with one decimal.
dispatch::Outcome CTK28950Ctrl::TemperatureOffsetText(int lowCell)
{
    const qint16 tenths = m_module.Cells().Read16Request(lowCell);
    if (!m_module.LastFailure().isEmpty())
        return dispatch::Outcome::requestFailure(m_module.LastFailure());
    return QString::asprintf("%3.1f", static_cast<double>(tenths * 0.1f));
}

dispatch::Outcome CTK28950Ctrl::SetTemperatureOffsetText(int lowCell, const QString& text)
{
    const double degrees = TextNumbers::LeadingDecimal(text);
    if (!tk28950::tenthsFitSixteenBits(degrees))
        return dispatch::Outcome::failure(
            component::kOverflow,
            QStringLiteral("TemperatureOffset: %1 is out of range (-3276.8 to 3276.7)").arg(text));
    const QString written =
        m_module.Cells().Write16Request(lowCell, static_cast<int>(std::trunc(degrees * 10)));
    SetModified();
    return dispatch::Outcome::unlessFailed(written, LoadMessage(Msg::Ok));
}
