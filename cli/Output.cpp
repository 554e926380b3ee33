#include "Output.h"

#include "ToolError.h"

#include <QDateTime>
#include <QJsonDocument>
#include <cstdio>

namespace {

void printLine(std::FILE* stream, const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

void Output::result(QJsonObject json, const QString& text) const
{
    json.insert(QStringLiteral("ok"), true);
    record(json, text);
}

// Every object says which device it is about, when, and in which layout.
QJsonObject Output::stamped(QJsonObject json) const
{
    json.insert(QStringLiteral("format"), kJsonFormat);
    json.insert(QStringLiteral("time"),
                QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (!m_device.isEmpty())
        json.insert(QStringLiteral("device"), m_device);
    return json;
}

void Output::record(const QJsonObject& json, const QString& text) const
{
    if (m_json)
        printLine(stdout, compact(stamped(json)));
    else if (!text.isEmpty())
        printLine(stdout, text.toUtf8());
}

QString Output::failureLine(const QString& command, const QString& message)
{
    const bool named = !command.isEmpty() && message.startsWith(command) &&
                       (message.size() == command.size() || message.at(command.size()) == ':' ||
                        message.at(command.size()) == ' ');
    const QString where = command.isEmpty() || named ? QString() : command + QStringLiteral(": ");
    return QStringLiteral("tk28950: ") + where + message;
}

void Output::note(const QString& command, const QString& text) const
{
    printLine(stderr, failureLine(command, text).toUtf8());
}

void Output::failure(const QString& command, const ToolError& error) const
{
    printLine(stderr, failureLine(command, error.message).toUtf8());
    if (!m_json)
        return;
    QJsonObject object{{QStringLiteral("ok"), false},
                       {QStringLiteral("error"), error.message},
                       {QStringLiteral("exit_code"), static_cast<int>(error.code)}};
    if (!command.isEmpty())
        object.insert(QStringLiteral("command"), command);
    for (auto detail = error.details.begin(); detail != error.details.end(); ++detail)
        object.insert(detail.key(), detail.value());
    printLine(stdout, compact(stamped(object)));
}
