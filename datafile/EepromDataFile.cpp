#include "EepromDataFile.h"

#include "BoundedFile.h"
#include "QuotedInput.h"

#include <QSaveFile>

#include <array>

namespace EepromDataFile {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// Removes blanks (not tabs) at both ends, as the file's readers always did.
QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// A cell number or value: decimal digits only, from 0 to 255.
bool parseByte(const QString& text, int* out)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value > 255)
        return false;
    *out = value;
    return true;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char(' ');
}

} // namespace

QString headerLine()
{
    return QStringLiteral("Address\tValue");
}

QStringList SplitLines(const QByteArray& text)
{
    const QByteArray content = component::withoutByteOrderMark(text);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = content.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QString::fromLatin1(content.mid(start, i - start)));
        if (c == '\r' && i + 1 < size && content.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString::fromLatin1(content.mid(start)));
    return lines;
}

bool ReadLines(const QString& path, QStringList* lines, QString* error)
{
    return LinesOf(component::readBoundedFile(path, kMaxBytes), lines, error);
}

bool LinesOf(const component::BoundedFile& file, QStringList* lines, QString* error)
{
    if (!file.ok()) {
        *error = file.error;
        return false;
    }
    QStringList read = SplitLines(file.content);
    if (read.size() > kMaxLines) {
        *error = QStringLiteral("the file has more than %1 lines").arg(kMaxLines);
        return false;
    }
    *lines = std::move(read);
    return true;
}

bool IsCellValue(const QString& text)
{
    int value = 0;
    return parseByte(text, &value);
}

QByteArray Format(const QStringList& values)
{
    QByteArray content = headerLine().toLatin1() + kLineEnd;
    for (qsizetype n = 0; n < values.size(); ++n)
        content += QByteArray::number(n) + '\t' + values.at(n).toLatin1() + kLineEnd;
    return content;
}

bool OpenForWriting(QSaveFile* file, QString* error)
{
    if (file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return true;
    *error = file->errorString();
    return false;
}

bool WriteAndCommit(QSaveFile* file, const QByteArray& content, QString* error)
{
    const qint64 written = file->write(content);
    if (written != content.size()) {
        *error = written < 0 ? file->errorString()
                             : QStringLiteral("only %1 of %2 bytes could be written")
                                   .arg(written)
                                   .arg(content.size());
        file->cancelWriting();
        return false;
    }
    if (!file->commit()) {
        *error = file->errorString();
        return false;
    }
    return true;
}

bool Write(const QString& path, const QStringList& values, QString* error)
{
    QSaveFile file(path);
    return OpenForWriting(&file, error) && WriteAndCommit(&file, Format(values), error);
}

LineKind ParseLine(const QString& line, Cell* cell)
{
    const QString text = trimBlanks(line);
    if (text.isEmpty() || text.startsWith(QLatin1String("address"), Qt::CaseInsensitive))
        return LineKind::Skip;
    qsizetype separator = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isSeparator(text.at(i)))
            continue;
        if (separator >= 0)
            return LineKind::Invalid;
        separator = i;
    }
    if (separator < 0)
        return LineKind::Invalid;
    int address = 0;
    int value = 0;
    if (!parseByte(text.left(separator), &address) || !parseByte(text.mid(separator + 1), &value))
        return LineKind::Invalid;
    cell->address = address;
    cell->value = value;
    return LineKind::Cell;
}

bool ParseCells(const QStringList& lines, QVector<Cell>* cells, QString* error)
{
    QVector<Cell> parsed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Cell cell{0, 0, static_cast<int>(i + 1)};
        switch (ParseLine(lines.at(i), &cell)) {
        case LineKind::Skip:
            break;
        case LineKind::Cell:
            parsed.append(cell);
            break;
        case LineKind::Invalid:
            *error = QStringLiteral("line %1: %2 is not an address and a value from 0 to 255")
                         .arg(i + 1)
                         .arg(component::quotedInput(lines.at(i)));
            return false;
        }
    }
    if (!RemoveRepeats(&parsed, error))
        return false;
    *cells = std::move(parsed);
    return true;
}

bool RemoveRepeats(QVector<Cell>* cells, QString* error)
{
    std::array<const Cell*, kCells> first{};
    QVector<Cell> once;
    for (const Cell& cell : std::as_const(*cells)) {
        const Cell*& earlier = first.at(size_t(cell.address));
        if (!earlier) {
            earlier = &cell;
            once.append(cell);
        } else if (earlier->value != cell.value) {
            *error = QStringLiteral("lines %1 and %2 both name cell %3, with the values %4 and %5")
                         .arg(earlier->line)
                         .arg(cell.line)
                         .arg(cell.address)
                         .arg(earlier->value)
                         .arg(cell.value);
            return false;
        }
    }
    *cells = std::move(once);
    return true;
}

bool FindRepeats(const QStringList& lines, QSet<int>* repeatLines, QString* error)
{
    QVector<Cell> cells;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Cell cell{0, 0, static_cast<int>(i + 1)};
        if (ParseLine(lines.at(i), &cell) == LineKind::Cell)
            cells.append(cell);
    }
    QVector<Cell> once = cells;
    if (!RemoveRepeats(&once, error))
        return false;
    QSet<int> repeats;
    for (const Cell& cell : std::as_const(cells))
        repeats.insert(cell.line);
    for (const Cell& cell : std::as_const(once))
        repeats.remove(cell.line);
    *repeatLines = std::move(repeats);
    return true;
}

} // namespace EepromDataFile
