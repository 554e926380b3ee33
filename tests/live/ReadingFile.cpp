#include "ReadingFile.h"

#include "TestFiles.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
const QString kReading = QStringLiteral("[+-]\\d{2}\\.\\d{3}");
}

RecordedFile readRecording(const QString& path)
{
    static const QRegularExpression row(
        QStringLiteral("^(\\d+),(%1),(%1)(?:,(-?\\d+\\.\\d{2}))?$").arg(kReading));
    RecordedFile file;
    QStringList lines = QString::fromUtf8(readFileBytes(path)).split('\n');
    EXPECT_EQ(lines.takeLast(), QString()) << "the last row ends with its line end";
    if (lines.isEmpty())
        return file;
    file.header = lines.takeFirst();
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = row.match(line);
        EXPECT_TRUE(match.hasMatch()) << qPrintable(line);
        if (match.hasMatch())
            file.rows.append({match.captured(1).toLongLong(), match.captured(2), match.captured(3),
                              match.captured(4)});
    }
    return file;
}

QStringList readingAnswers(const QByteArray& sent)
{
    static const QRegularExpression answer(QStringLiteral("^%1$").arg(kReading));
    QStringList readings;
    const QList<QByteArray> lines = sent.split('\n');
    for (const QByteArray& line : lines) {
        const QString text = QString::fromLatin1(line.trimmed());
        if (answer.match(text).hasMatch())
            readings << text;
    }
    return readings;
}
