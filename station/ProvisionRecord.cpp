#include "ProvisionRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QSysInfo>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

namespace {

QString loginName()
{
    const passwd* entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER");
}

QJsonValue optionalNumber(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonArray cellsJson(const QVector<int>& cells)
{
    QJsonArray array;
    for (const int value : cells)
        array.append(value);
    return array;
}

QVector<int> cellsOf(const QJsonValue& value)
{
    QVector<int> cells;
    for (const QJsonValue& cell : value.toArray())
        cells.append(cell.toInt());
    return cells;
}

QJsonObject checkJson(const CheckResult& check)
{
    return {{"name", check.name},       {"read", check.read},
            {"value", check.value},     {"spread", check.spread},
            {"samples", check.samples}, {"min", check.min},
            {"max", check.max},         {"max_spread", optionalNumber(check.maxSpread)},
            {"pass", check.pass}};
}

CheckResult checkOf(const QJsonObject& json)
{
    CheckResult check;
    check.name = json["name"].toString();
    check.read = json["read"].toString();
    check.value = json["value"].toDouble();
    check.spread = json["spread"].toDouble();
    check.samples = json["samples"].toInt();
    check.min = json["min"].toDouble();
    check.max = json["max"].toDouble();
    if (json["max_spread"].isDouble())
        check.maxSpread = json["max_spread"].toDouble();
    check.pass = json["pass"].toBool();
    return check;
}

QJsonValue textOrNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

QString ProvisionRecord::now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

ProvisionRecord ProvisionRecord::begin(const QString& command)
{
    ProvisionRecord record;
    record.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    record.command = command;
    record.started = now();
    record.station = QSysInfo::machineHostName();
    record.operatorName = loginName();
    record.toolVersion = QCoreApplication::applicationVersion();
    return record;
}

QJsonObject ProvisionRecord::toJson() const
{
    QJsonArray checkList;
    for (const CheckResult& check : checks)
        checkList.append(checkJson(check));
    return {{"id", id},
            {"command", command},
            {"started", started},
            {"ended", ended},
            {"station", station},
            {"operator", operatorName},
            {"batch", textOrNull(batch)},
            {"recipe", textOrNull(recipe)},
            {"recipe_sha256", textOrNull(recipeSha256)},
            {"tool_version", toolVersion},
            {"device", textOrNull(device)},
            {"sn", sn ? QJsonValue(*sn) : QJsonValue()},
            {"version", textOrNull(version)},
            {"outcome", outcome},
            {"failed_step", textOrNull(failedStep)},
            {"reason", textOrNull(reason)},
            {"checks", checkList},
            {"eeprom_before", cellsJson(eepromBefore)},
            {"eeprom_after", cellsJson(eepromAfter)}};
}

ProvisionRecord ProvisionRecord::fromJson(const QJsonObject& json)
{
    ProvisionRecord record;
    record.id = json["id"].toString();
    record.command = json["command"].toString();
    record.started = json["started"].toString();
    record.ended = json["ended"].toString();
    record.station = json["station"].toString();
    record.operatorName = json["operator"].toString();
    record.batch = json["batch"].toString();
    record.recipe = json["recipe"].toString();
    record.recipeSha256 = json["recipe_sha256"].toString();
    record.toolVersion = json["tool_version"].toString();
    record.device = json["device"].toString();
    if (json["sn"].isDouble())
        record.sn = json["sn"].toInt();
    record.version = json["version"].toString();
    record.outcome = json["outcome"].toString();
    record.failedStep = json["failed_step"].toString();
    record.reason = json["reason"].toString();
    for (const QJsonValue& check : json["checks"].toArray())
        record.checks.append(checkOf(check.toObject()));
    record.eepromBefore = cellsOf(json["eeprom_before"]);
    record.eepromAfter = cellsOf(json["eeprom_after"]);
    return record;
}

QStringList ProvisionRecord::changedCells() const
{
    QStringList changes;
    if (eepromBefore.size() != eepromAfter.size())
        return changes;
    for (qsizetype address = 0; address < eepromBefore.size(); ++address)
        if (eepromBefore[address] != eepromAfter[address])
            changes << QStringLiteral("%1: %2 -> %3")
                           .arg(address)
                           .arg(eepromBefore[address])
                           .arg(eepromAfter[address]);
    return changes;
}
