#include "CoefFile.h"

#include "ToolError.h"

namespace CoefFile {

void check(const QString& path)
{
    const CoefficientFile::Table table = CoefficientFile::Read(path);
    switch (table.status) {
    case CoefficientFile::Table::Status::Read:
        return;
    case CoefficientFile::Table::Status::Unreadable:
    case CoefficientFile::Table::Status::Refused:
        throw fileError(QStringLiteral("cannot read %1: %2").arg(path, table.problem));
    case CoefficientFile::Table::Status::Invalid:
        break;
    }
    throw usageError(QStringLiteral("%1: %2").arg(path, table.problem));
}

} // namespace CoefFile
