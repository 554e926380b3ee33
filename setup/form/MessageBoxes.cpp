#include "MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>

namespace {
constexpr int kInformativeWidth = 440;
} // namespace

MessageBoxes::MessageBoxes(QWidget* owner) : m_owner(owner) {}

QString MessageBoxes::defaultTitle()
{
    return QStringLiteral("PrjTK28950");
}

void MessageBoxes::show(const QString& text, const QString& title, const QString& informative)
{
    const Box box{text, title.isEmpty() ? defaultTitle() : title, informative};
    if (m_presenter)
        m_presenter(box);
    else
        createBox(box, m_owner)->exec();
}

void MessageBoxes::setPresenter(Presenter presenter)
{
    m_presenter = std::move(presenter);
}

ShowMessage MessageBoxes::showFunction()
{
    return [this](const QString& text, const QString& title) { show(text, title); };
}

std::unique_ptr<QMessageBox> MessageBoxes::createBox(const Box& box, QWidget* owner)
{
    auto dialog = std::make_unique<QMessageBox>(QMessageBox::NoIcon, box.title, box.text,
                                                QMessageBox::Ok, owner);
    dialog->setInformativeText(box.informative);
    // Wide enough that a reason naming a device path reads as lines, not a column.
    auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
    if (grid && !box.informative.isEmpty())
        grid->addItem(
            new QSpacerItem(kInformativeWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
            grid->rowCount(), 0, 1, grid->columnCount());
    return dialog;
}

QColor MessageBoxes::ambientBackColor() const
{
    const QPalette palette = m_owner ? m_owner->palette() : QApplication::palette();
    return palette.color(QPalette::Window);
}

void MessageBoxes::showMessage(const QString& text, const QString& caption)
{
    show(text, caption);
}
