#include "PropertySteps.h"

#include "ControlClient.h"
#include "IntegerText.h"
#include "MessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>

PropertySteps::PropertySteps(ControlClient* control, QWidget* form, MessageBoxes* messages,
                             std::function<bool()> deviceGone)
    : m_control(control), m_form(form), m_messages(messages), m_deviceGone(std::move(deviceGone))
{
}

bool PropertySteps::run(const QVector<PropertyStep>& steps) const
{
    for (const PropertyStep& step : steps) {
        if (!runStep(step) || m_deviceGone())
            return false;
    }
    return true;
}

bool PropertySteps::runStep(const PropertyStep& step) const
{
    QWidget* target = box(step.box);
    switch (step.kind) {
    case PropertyStep::Kind::PutInteger:
    case PropertyStep::Kind::PutNumericText:
        return putConverted(step, target);
    case PropertyStep::Kind::PutText:
        return succeeded(m_control->put(step.dispid, textOf(target)), target);
    case PropertyStep::Kind::GetInteger:
    case PropertyStep::Kind::GetText:
        return get(step, target);
    }
    return false;
}

bool PropertySteps::putConverted(const PropertyStep& step, QWidget* target) const
{
    const QString text = textOf(target);
    const std::optional<std::int16_t> value = integerFromText(text);
    if (!value) {
        m_messages->show(notAnIntegerMessage(target->accessibleName(), text));
        return false;
    }
    // Values passed as text are converted by the control itself; the check
    // above only makes sure that it can, and tells the operator when not.
    const CallResult result = step.kind == PropertyStep::Kind::PutInteger
                                  ? m_control->put(step.dispid, *value)
                                  : m_control->put(step.dispid, text);
    return succeeded(result, target);
}

// A value the module did not give is never shown: the box keeps its text.
bool PropertySteps::get(const PropertyStep& step, QWidget* target) const
{
    const CallResult result = m_control->get(step.dispid);
    if (!succeeded(result, target))
        return false;
    if (step.kind == PropertyStep::Kind::GetText) {
        setTextOf(target, result.text());
        return true;
    }
    std::int16_t value = 0;
    if (component::succeeded(result.value.toShort(&value)))
        setTextOf(target, integerToText(value));
    return true;
}

// False when the device went away during the call (what the control then
// returns is not the module's), or when the call failed: the operator is
// told what failed.
bool PropertySteps::succeeded(const CallResult& result, const QWidget* target) const
{
    if (m_deviceGone())
        return false;
    if (result.ok())
        return true;
    m_messages->show(QStringLiteral("%1: %2").arg(target->accessibleName(), result.error));
    return false;
}

QWidget* PropertySteps::box(const char* name) const
{
    return m_form->findChild<QWidget*>(QString::fromUtf8(name));
}

QString PropertySteps::textOf(const QWidget* box)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(box))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(box))
        return combo->currentText();
    return QString();
}

void PropertySteps::setTextOf(QWidget* box, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(box))
        combo->setEditText(text);
}
