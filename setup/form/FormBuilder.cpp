#include "FormBuilder.h"

#include "CaptionedFrame.h"
#include "TabControl.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace form {

namespace {

constexpr const char* kArial = "Arial";
constexpr const char* kTimes = "Times New Roman";
const QColor kDarkBlue(0, 0, 128);
const QColor kDarkerBlue(0, 0, 64);
const QColor kTeal(0, 128, 128);

QFont fontFor(const ControlSpec& spec)
{
    const bool button = spec.kind == Kind::Button;
    const char* family = spec.font.family ? spec.font.family : (button ? kArial : kTimes);
    const double size = spec.font.pointSize > 0 ? spec.font.pointSize : (button ? 12 : 11.25);
    return windowFont(family, size);
}

QColor inkColor(Ink ink)
{
    switch (ink) {
    case Ink::DarkBlue:
        return kDarkBlue;
    case Ink::DarkerBlue:
        return kDarkerBlue;
    case Ink::Default:
        break;
    }
    return QColor(Qt::black);
}

void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QWidget* createWidget(const ControlSpec& spec, QWidget* parent,
                      const ControlWidgetFactory& controls)
{
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
    case Kind::Frame: {
        if (text.isEmpty())
            return new QGroupBox(parent);
        auto* frame = new CaptionedFrame(text, parent);
        setColor(frame, QPalette::WindowText, kTeal);
        return frame;
    }
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        setColor(label, QPalette::WindowText, kDarkBlue);
        return label;
    }
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::TextBox:
        return new QLineEdit(text, parent);
    case Kind::Combo: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        if (spec.items)
            combo->addItems(QString::fromUtf8(spec.items).split(QLatin1Char('|')));
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
        return combo;
    }
    case Kind::List:
        return new QListWidget(parent);
    case Kind::Progress: {
        auto* progress = new QProgressBar(parent);
        progress->setRange(0, 100);
        progress->hide();
        return progress;
    }
    case Kind::Control:
        return controls(QString::fromUtf8(spec.name), parent);
    }
    return nullptr;
}

void applyLooks(QWidget* widget, const ControlSpec& spec)
{
    widget->setObjectName(QString::fromUtf8(spec.name));
    widget->setGeometry(spec.geometry);
    // A control instance draws itself with its own font.
    if (spec.kind != Kind::Control)
        widget->setFont(fontFor(spec));
    widget->setAccessibleName(
        QString::fromUtf8(spec.accessibleName ? spec.accessibleName : spec.text));
    if (spec.kind == Kind::TextBox || spec.kind == Kind::Combo || spec.kind == Kind::List)
        setColor(widget, QPalette::Text, inkColor(spec.ink));
}

} // namespace

QFont windowFont(const char* family, double pointSize)
{
    QFont font{QString::fromUtf8(family)};
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

void buildTab(const TabSpec& tab, TabControl* tabControl, const ControlWidgetFactory& controls)
{
    auto* frame = new QGroupBox;
    frame->setObjectName(QString::fromUtf8(tab.frameName));
    frame->setAccessibleName(QString::fromUtf8(tab.caption));
    QHash<QString, QWidget*> containers{{QString(), frame}};
    for (const ControlSpec& spec : tab.controls) {
        QWidget* parent = containers.value(QString::fromUtf8(spec.container));
        QWidget* widget = createWidget(spec, parent, controls);
        if (!widget)
            continue;
        applyLooks(widget, spec);
        if (spec.kind == Kind::Frame)
            containers.insert(widget->objectName(), widget);
    }
    tabControl->addFramePage(frame, tab.frameGeometry, QString::fromUtf8(tab.caption));
}

} // namespace form
