// Loads an axis's table of 56 calibration coefficients from a text file
// into the module, one cell write at a time. The whole table is read and
// checked before the first cell is written.
#include "CModule.h"

#include "CellMap.h"
#include "CoefficientFile.h"
#include "QuotedInput.h"
#include "link/ModuleOwner.h"
#include "resources/MessageTable.h"

QString CModule::LoadCoef(const QString& axis, const QString& file)
{
    if (!m_link.IsLinked())
        return LoadMessage(Msg::NotInitialized);
    const QString axisName = axis.trimmed().toLower();
    if (axisName != QLatin1String("x") && axisName != QLatin1String("y"))
        return QStringLiteral("Invalid axis %1 (X or Y)").arg(component::quotedInput(axis));
    const CoefficientFile::Table table = CoefficientFile::Read(file);
    switch (table.status) {
    case CoefficientFile::Table::Status::Unreadable:
        return LoadMessage(Msg::FileNotFound);
    case CoefficientFile::Table::Status::Refused:
    case CoefficientFile::Table::Status::Invalid:
        m_link.ShowMessage(QStringLiteral("Error reading coef file"), QString());
        return QStringLiteral("Error reading coef file: %1").arg(table.problem);
    case CoefficientFile::Table::Status::Read:
        break;
    }
    const bool axisX = axisName == QLatin1String("x");
    const QString result = m_link.TextRequest([&, this] {
        QString written = LoadMessage(Msg::Ok);
        for (int i = 0; i < CellMap::kCoefCount && written == LoadMessage(Msg::Ok); ++i)
            written = m_cells.WriteCell(CellMap::coefCell(axisX, i), table.values[size_t(i)]);
        return written;
    });
    if (result == LoadMessage(Msg::Ok)) {
        m_link.SetReply(result);
        m_link.Owner()->RaiseDataReady(result);
    }
    return result;
}
