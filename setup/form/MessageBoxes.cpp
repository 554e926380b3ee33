#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

MessageBoxes::MessageBoxes(QWidget* owner) : m_owner(owner) {}

QString MessageBoxes::defaultTitle()
{
    return QStringLiteral("PrjTK28950");
}

void MessageBoxes::show(const QString& text, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? defaultTitle() : title;
    if (m_presenter)
        m_presenter(text, shownTitle);
    else
        showModal(text, shownTitle);
}

void MessageBoxes::setPresenter(Presenter presenter)
{
    m_presenter = std::move(presenter);
}

ShowMessage MessageBoxes::showFunction()
{
    return [this](const QString& text, const QString& title) { show(text, title); };
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

void MessageBoxes::showModal(const QString& text, const QString& title) const
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}
