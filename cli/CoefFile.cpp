#include "CoefFile.h"

#include "ToolError.h"

#include <QFile>
#include <QRegularExpression>

namespace CoefFile {
namespace {
constexpr int kMaxTokenLength = 15;
} // namespace

void check(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    static const QRegularExpression separators(QStringLiteral("[ \\t\\r\\n]+"));
    const QStringList tokens =
        QString::fromLatin1(file.readAll()).split(separators, Qt::SkipEmptyParts);
    if (tokens.size() < kValues)
        throw usageError(QStringLiteral("%1 holds %2 values, a coefficient table needs %3")
                             .arg(path)
                             .arg(tokens.size())
                             .arg(kValues));
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+$"));
    for (int index = 0; index < kValues; ++index) {
        const QString& token = tokens.at(index);
        if (token.size() > kMaxTokenLength || !decimal.match(token).hasMatch() ||
            token.toInt() > 255)
            throw usageError(QStringLiteral("%1: token %2 \"%3\" is not a number from 0 to 255")
                                 .arg(path)
                                 .arg(index + 1)
                                 .arg(token));
    }
}

} // namespace CoefFile
