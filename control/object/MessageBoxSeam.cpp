#include "MessageBoxSeam.h"

#include "OwnedText.h"
#include "resources/MessageTable.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

QString defaultCaption()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? LoadMessage(Msg::ModuleTitle) : name;
}

bool isWidgetApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

void showModalMessage(component::HostSite* site, const QString& text, const QString& caption,
                      MessageIcon icon)
{
    const QString title = caption.isEmpty() ? defaultCaption() : caption;
    if (site) {
        site->showMessage(ownedText(text), ownedText(title));
    } else if (isWidgetApplication()) {
        QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                        title, text, QMessageBox::Ok);
        box.exec();
    } else {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
    }
}
