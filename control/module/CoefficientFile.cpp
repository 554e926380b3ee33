#include "CoefficientFile.h"

#include "BoundedFile.h"
#include "QuotedInput.h"

#include <algorithm>

namespace CoefficientFile {

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A byte value written with decimal digits only. The digits are judged, not
// a converted number, which could have overflowed.
bool IsByteValue(const QByteArray& token)
{
    if (token.isEmpty() || !std::all_of(token.cbegin(), token.cend(), IsDigit))
        return false;
    qsizetype first = 0;
    while (first + 1 < token.size() && token.at(first) == '0')
        ++first;
    const QByteArray digits = token.mid(first);
    return digits.size() <= 3 && digits.toInt() <= CellMap::kMaxByte;
}

Table Invalid(const QString& problem)
{
    Table table;
    table.status = Table::Status::Invalid;
    table.problem = problem;
    return table;
}

} // namespace

QString TokenProblem(int number, const QByteArray& token)
{
    if (token.size() > kMaxTokenLength)
        return QStringLiteral("value %1 %2 is longer than %3 characters")
            .arg(number)
            .arg(component::quotedInput(token))
            .arg(kMaxTokenLength);
    if (!IsByteValue(token))
        return QStringLiteral("value %1 %2 is not a number from 0 to %3")
            .arg(number)
            .arg(component::quotedInput(token))
            .arg(CellMap::kMaxByte);
    return {};
}

Table Parse(const QByteArray& text)
{
    const QByteArray content = component::withoutByteOrderMark(text);
    Table table;
    const char* at = content.cbegin();
    const char* const end = content.cend();
    for (int i = 0; i < kValues; ++i) {
        at = std::find_if_not(at, end, IsSeparator);
        const char* const tokenEnd = std::find_if(at, end, IsSeparator);
        if (at == tokenEnd)
            return Invalid(QStringLiteral("only %1 of %2 values").arg(i).arg(kValues));
        const QByteArray token(at, tokenEnd - at);
        if (const QString problem = TokenProblem(i + 1, token); !problem.isEmpty())
            return Invalid(problem);
        table.values[size_t(i)] = token.toInt();
        at = tokenEnd;
    }
    table.status = Table::Status::Read;
    return table;
}

Table Read(const QString& path)
{
    using component::BoundedFile;
    const BoundedFile file = component::readBoundedFile(path, kMaxBytes);
    if (file.ok())
        return Parse(file.content);
    Table table;
    const bool unreadable = file.status == BoundedFile::Status::CannotOpen ||
                            file.status == BoundedFile::Status::Folder;
    table.status = unreadable ? Table::Status::Unreadable : Table::Status::Refused;
    table.problem = file.error;
    return table;
}

} // namespace CoefficientFile
