#pragma once
// The record of one run on one module: who, where, with what recipe, what
// the module is, how each step went, what it measured, and its 256 cells
// before and after. Provisioning makes one per module; the tool's own
// commands that change a module make one where a store is configured.
#include <QJsonObject>
#include <QString>
#include <QVector>
#include <optional>

struct CheckResult {
    QString name;
    QString read;
    double value = 0;  // the mean of the samples
    double spread = 0; // largest minus smallest sample
    int samples = 0;
    double min = 0;
    double max = 0;
    std::optional<double> maxSpread;
    bool pass = false;
};

struct ProvisionRecord {
    QString id;      // a UUID
    QString command; // "provision", "eeprom restore", "coef load", "set"
    QString started; // UTC, ISO 8601 with milliseconds
    QString ended;
    QString station;
    QString operatorName;
    QString batch;
    QString recipe;
    QString recipeSha256;
    QString toolVersion;
    QString device;
    std::optional<int> sn;
    QString version;
    QString outcome; // "pass" or "fail"
    QString failedStep;
    QString reason;
    QVector<CheckResult> checks;
    QVector<int> eepromBefore; // empty when not read
    QVector<int> eepromAfter;

    // A new record with its id, the start time, the station's and the
    // operator's defaults and the tool's version.
    static ProvisionRecord begin(const QString& command);
    static QString now();

    QJsonObject toJson() const;
    static ProvisionRecord fromJson(const QJsonObject& json);

    // The cells that differ between before and after, as "address: a -> b".
    QStringList changedCells() const;
};
