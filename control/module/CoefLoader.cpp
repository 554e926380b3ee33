// Loads an axis's table of 56 calibration coefficients from a text file
// into the module, one cell write at a time. The whole file is read and
// checked before the first cell is written.
#include "CModule.h"

#include "CellMap.h"
#include "link/ModuleOwner.h"
#include "resources/MessageTable.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>

namespace {

constexpr int kMaxTokenLength = 15;

using Coefficients = std::array<int, CellMap::kCoefCount>;

enum class CoefFile { Read, NotFound, Invalid };

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Why a token is no coefficient (the empty text when it is one).
QString TokenProblem(int number, const QByteArray& token)
{
    const QString shown = QString::fromLatin1(token.left(kMaxTokenLength));
    if (token.size() > kMaxTokenLength)
        return QStringLiteral("token %1 \"%2...\" is longer than %3 characters")
            .arg(number)
            .arg(shown)
            .arg(kMaxTokenLength);
    const bool digits =
        std::all_of(token.cbegin(), token.cend(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || token.toInt() > CellMap::kMaxByte)
        return QStringLiteral("token %1 \"%2\" is not a number from 0 to %3")
            .arg(number)
            .arg(shown)
            .arg(CellMap::kMaxByte);
    return {};
}

// Reads the next token; false at the end of the file. A token is cut
// short after one character too many, which is enough to refuse it.
bool NextToken(QFile& file, QByteArray* token)
{
    token->clear();
    char c = 0;
    while (file.getChar(&c)) {
        if (!IsSeparator(c)) {
            token->append(c);
            if (token->size() > kMaxTokenLength)
                return true;
        } else if (!token->isEmpty()) {
            return true;
        }
    }
    return !token->isEmpty();
}

CoefFile ReadCoefficients(const QString& path, Coefficients* values, QString* problem)
{
    QFile file(path);
    if (path.isEmpty() || QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return CoefFile::NotFound;
    QByteArray token;
    for (int i = 0; i < CellMap::kCoefCount; ++i) {
        if (!NextToken(file, &token)) {
            *problem = QStringLiteral("only %1 of %2 values").arg(i).arg(CellMap::kCoefCount);
            return CoefFile::Invalid;
        }
        *problem = TokenProblem(i + 1, token);
        if (!problem->isEmpty())
            return CoefFile::Invalid;
        (*values)[size_t(i)] = token.toInt();
    }
    return CoefFile::Read;
}

// The cell of the index-th coefficient (from 0) of an axis.
int CoefCell(bool axisX, int index)
{
    const bool firstRange = index < CellMap::kCoefRange;
    const int start = axisX ? (firstRange ? CellMap::kCoefFirstX : CellMap::kCoefSecondX)
                            : (firstRange ? CellMap::kCoefFirstY : CellMap::kCoefSecondY);
    return start + index % CellMap::kCoefRange;
}

} // namespace

QString CModule::LoadCoef(const QString& axis, const QString& file)
{
    if (!m_link.IsLinked())
        return LoadMessage(Msg::NotInitialized);
    const QString axisName = axis.trimmed().toLower();
    if (axisName != QLatin1String("x") && axisName != QLatin1String("y"))
        return QStringLiteral("Invalid axis \"%1\" (X or Y)").arg(axis);
    Coefficients values{};
    QString problem;
    switch (ReadCoefficients(file, &values, &problem)) {
    case CoefFile::NotFound:
        return LoadMessage(Msg::FileNotFound);
    case CoefFile::Invalid:
        m_link.ShowMessage(QStringLiteral("Error reading coef file"), QString());
        return QStringLiteral("Error reading coef file: %1").arg(problem);
    case CoefFile::Read:
        break;
    }
    const bool axisX = axisName == QLatin1String("x");
    const QString result = m_link.TextRequest([&, this] {
        QString written = LoadMessage(Msg::Ok);
        for (int i = 0; i < CellMap::kCoefCount && written == LoadMessage(Msg::Ok); ++i)
            written = m_cells.WriteCell(CoefCell(axisX, i), values[size_t(i)]);
        return written;
    });
    if (result == LoadMessage(Msg::Ok)) {
        m_link.SetReply(result);
        m_link.Owner()->RaiseDataReady(result);
    }
    return result;
}
