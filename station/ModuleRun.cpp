#include "ModuleRun.h"

#include "AnswerShape.h"
#include "CellMap.h"
#include "CoefficientFile.h"
#include "ControlError.h"
#include "ControlSession.h"
#include "ControlTexts.h"
#include "QuotedInput.h"
#include "TK28950Dispids.h"

#include <QRegularExpression>

#include <algorithm>
#include <memory>

using component::InvokeKind;
using component::Variant;

namespace ModuleRun {
namespace {

// A step's own finding, as opposed to the line's failures.
struct StepFailure : std::runtime_error {
    explicit StepFailure(const QString& message) : std::runtime_error(message.toStdString()) {}
};

QString textOf(const Variant& value)
{
    QString text;
    return component::succeeded(value.toText(&text)) ? text : QString();
}

QString differences(const QVector<int>& expected, const QVector<int>& actual,
                    const std::function<bool(int)>& judged)
{
    QStringList found;
    for (int address = 0; address < ControlSession::kCells; ++address)
        if (judged(address) && expected[address] != actual[address])
            found << QStringLiteral("cell %1 should be %2, reads %3")
                         .arg(address)
                         .arg(expected[address])
                         .arg(actual[address]);
    return found.join(QStringLiteral("; "));
}

class Run {
public:
    Run(const Recipe& recipe, const ModuleTarget& target, ProvisionRecord& record)
        : m_recipe(recipe), m_target(target), m_record(record)
    {
        // The control reports a device that went away as an event; the
        // failure that follows is then named by it.
        QObject::connect(&m_session.client(), &ControlClient::errorComm,
                         [this](const QString& text) {
                             if (text == ControlTexts::kDeviceDisconnected)
                                 m_disconnected = true;
                         });
    }

    QString reasonFor(const QString& failure) const
    {
        if (!m_disconnected || failure == ControlTexts::kDeviceDisconnected)
            return m_disconnected ? QStringLiteral("device disconnected") : failure;
        return QStringLiteral("device disconnected (%1)").arg(failure);
    }

    void identify()
    {
        if (m_target.device.isEmpty())
            m_session.open(m_target.port);
        else
            m_session.open(m_target.device);
        const Answer version = m_session.request(tk28950::dispid::Version);
        if (version.event != AnswerEvent::DataReady || !AnswerShape::isVersion(version.text))
            throw StepFailure(QStringLiteral("the answer %1 is not a version")
                                  .arg(component::quotedInput(version.text)));
        m_record.version = version.text;
        const QRegularExpression glob(
            QRegularExpression::wildcardToRegularExpression(m_recipe.versionGlob));
        if (!glob.match(version.text).hasMatch())
            throw StepFailure(QStringLiteral("version %1 does not match %2")
                                  .arg(version.text, m_recipe.versionGlob));
        std::int16_t sn = 0;
        const Variant value = m_session.invoke(InvokeKind::PropertyGet, tk28950::dispid::SN);
        if (component::failed(value.toShort(&sn)))
            throw StepFailure(QStringLiteral("the serial number %1 is not a number")
                                  .arg(component::quotedInput(textOf(value))));
        m_record.sn = sn;
    }

    void before() { m_record.eepromBefore = m_session.dump(); }

    void readCellsAfterFailure()
    {
        if (m_disconnected)
            return;
        try {
            m_record.eepromAfter = m_session.dump();
        } catch (const std::exception&) {
            // The record then says the cells after were not read.
        }
    }

    void apply()
    {
        const QVector<CoefficientFile::Table> tables = coefficientTables();
        m_planned = m_record.eepromBefore;
        for (auto cell = m_recipe.image.begin(); cell != m_recipe.image.end(); ++cell)
            if (!m_recipe.keeps(cell.key())) {
                m_session.writeCell(cell.key(), cell.value());
                m_planned[cell.key()] = cell.value();
            }
        for (qsizetype table = 0; table < tables.size(); ++table)
            loadCoefficients(m_recipe.coefficients[table], tables[table]);
        // What the image and the tables left, before the settings change
        // their own cells.
        m_applied = m_session.dump();
        const QString wrong = differences(m_planned, m_applied, [](int) { return true; });
        if (!wrong.isEmpty())
            throw StepFailure(QStringLiteral("image and coefficients read back wrong: ") + wrong);
        for (const RecipeSetting& setting : m_recipe.settings)
            m_session.invoke(InvokeKind::PropertyPut, setting.dispid, {setting.value});
    }

    void verify()
    {
        m_record.eepromAfter = m_session.dump();
        for (const RecipeSetting& setting : m_recipe.settings) {
            const QString reads = textOf(m_session.invoke(InvokeKind::PropertyGet, setting.dispid));
            if (reads != textOf(setting.value))
                throw StepFailure(QStringLiteral("%1 was set to %2 but reads %3")
                                      .arg(setting.name, textOf(setting.value), reads));
        }
        // Without settings, nothing may have changed since apply read the cells.
        if (m_recipe.settings.isEmpty()) {
            const QString wrong =
                differences(m_applied, m_record.eepromAfter, [](int) { return true; });
            if (!wrong.isEmpty())
                throw StepFailure(wrong);
        }
    }

    void check()
    {
        QStringList failed;
        for (const RecipeCheck& check : m_recipe.checks) {
            CheckResult result = measure(check);
            if (!result.pass)
                failed << describe(result);
            m_record.checks.append(result);
        }
        if (!failed.isEmpty())
            throw StepFailure(failed.join(QStringLiteral("; ")));
    }

private:
    QVector<CoefficientFile::Table> coefficientTables() const
    {
        QVector<CoefficientFile::Table> tables;
        for (const RecipeCoefficients& coefficients : m_recipe.coefficients) {
            const QString path = coefficients.pathFor(*m_record.sn);
            CoefficientFile::Table table = CoefficientFile::Read(path);
            if (table.status != CoefficientFile::Table::Status::Read)
                throw StepFailure(QStringLiteral("coefficient file %1 of axis %2: %3")
                                      .arg(path, coefficients.axis,
                                           table.problem.isEmpty()
                                               ? QStringLiteral("cannot be read")
                                               : table.problem));
            tables.append(table);
        }
        return tables;
    }

    void loadCoefficients(const RecipeCoefficients& coefficients,
                          const CoefficientFile::Table& table)
    {
        const QString result =
            textOf(m_session.invoke(InvokeKind::Method, tk28950::dispid::LoadCoef,
                                    {coefficients.axis, coefficients.pathFor(*m_record.sn)}));
        if (result != ControlTexts::kOk)
            throw StepFailure(
                QStringLiteral("coefficients of axis %1: %2").arg(coefficients.axis, result));
        for (int index = 0; index < CoefficientFile::kValues; ++index)
            m_planned[CellMap::coefCell(coefficients.axis == QLatin1String("x"), index)] =
                table.values[size_t(index)];
    }

    CheckResult measure(const RecipeCheck& check)
    {
        QVector<double> samples;
        for (int sample = 0; sample < check.samples; ++sample)
            samples.append(reading(check));
        CheckResult result;
        result.name = check.name;
        result.read = check.read;
        result.samples = check.samples;
        result.min = check.min;
        result.max = check.max;
        result.maxSpread = check.maxSpread;
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        result.spread = *high - *low;
        double sum = 0;
        for (const double value : std::as_const(samples))
            sum += value;
        result.value = sum / double(samples.size());
        result.pass = result.value >= check.min && result.value <= check.max &&
                      (!check.maxSpread || result.spread <= *check.maxSpread);
        return result;
    }

    static QString describe(const CheckResult& result)
    {
        if (result.value < result.min || result.value > result.max)
            return QStringLiteral("%1 = %2, outside %3 to %4")
                .arg(result.name)
                .arg(result.value)
                .arg(result.min)
                .arg(result.max);
        return QStringLiteral("%1 spread %2, above %3")
            .arg(result.name)
            .arg(result.spread)
            .arg(result.maxSpread.value_or(0));
    }

    // One sample of what check reads, as the module answered it.
    double reading(const RecipeCheck& check)
    {
        if (check.property) {
            double value = 0;
            const Variant got = m_session.invoke(InvokeKind::PropertyGet, check.property);
            if (component::failed(got.toDouble(&value)))
                throw StepFailure(QStringLiteral("%1: %2 is not a number")
                                      .arg(check.name, component::quotedInput(textOf(got))));
            return value;
        }
        const bool temperature = check.read == QLatin1String("temperature");
        const bool x = check.read == QLatin1String("x");
        // The temperature is asked for as a raw command, so that the
        // module's own answer (tenths of a degree) is seen, not the
        // control's number made of any answer.
        const Answer answer =
            temperature
                ? m_session.request(tk28950::dispid::SendCMD, {QStringLiteral("e")})
                : m_session.request(x ? tk28950::dispid::ReadXChan : tk28950::dispid::ReadYChan,
                                    {Variant(std::uint8_t{0})});
        const AnswerEvent expected = temperature ? AnswerEvent::DataReady
                                     : x         ? AnswerEvent::XReady
                                                 : AnswerEvent::YReady;
        if (answer.event != expected || !AnswerShape::isSignedDecimal(answer.text))
            throw StepFailure(
                QStringLiteral("%1: the answer %2 is not a %3 reading")
                    .arg(check.name, component::quotedInput(answer.text), check.read));
        return temperature ? answer.text.toDouble() * 0.1 : answer.text.toDouble();
    }

    const Recipe& m_recipe;
    const ModuleTarget& m_target;
    ProvisionRecord& m_record;
    ControlSession m_session;
    bool m_disconnected = false;
    QVector<int> m_planned; // before, with the image and coefficient tables
    QVector<int> m_applied; // the cells as read after image and tables
};

} // namespace

void run(const Recipe& recipe, const ModuleTarget& target, ProvisionRecord* record,
         const StepStarted& stepStarted)
{
    record->device = target.display();
    QString step = kSteps[0];
    std::unique_ptr<Run> module;
    try {
        module = std::make_unique<Run>(recipe, target, *record);
        const std::pair<QString, void (Run::*)()> steps[] = {
            {kSteps[0], &Run::identify}, {kSteps[1], &Run::before}, {kSteps[2], &Run::apply},
            {kSteps[3], &Run::verify},   {kSteps[4], &Run::check},
        };
        for (const auto& [name, action] : steps) {
            step = name;
            if (stepStarted)
                stepStarted(step);
            try {
                (module.get()->*action)();
            } catch (const ControlError& error) {
                throw StepFailure(module->reasonFor(error.message()));
            } catch (const std::invalid_argument& error) {
                throw StepFailure(QString::fromStdString(error.what()));
            }
        }
        record->outcome = QStringLiteral("pass");
        return;
    } catch (const std::exception& error) {
        record->outcome = QStringLiteral("fail");
        record->failedStep = step;
        record->reason = QString::fromUtf8(error.what());
    }
    // A run that failed after it may have changed cells records what they
    // hold now, when the module still answers.
    if (module && !record->eepromBefore.isEmpty() && record->eepromAfter.isEmpty())
        module->readCellsAfterFailure();
}

} // namespace ModuleRun
