#include "AboutBox.h"

#include "LibraryInfo.h"
#include "resources/MessageTable.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <cstdio>

namespace {

QStringList aboutLines()
{
    return {LoadMessage(Msg::ControlTypeName),
            QStringLiteral("Version %1").arg(QLatin1String(library::kFileVersion)),
            QLatin1String(library::kDescription)};
}

void runDialog(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("About %1").arg(LoadMessage(Msg::ModuleTitle)));
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(QPixmap(QLatin1String(library::kIconResource)));
    auto* texts = new QVBoxLayout;
    for (const QString& line : aboutLines())
        texts->addWidget(new QLabel(line, &dialog));
    auto* body = new QHBoxLayout;
    body->addWidget(icon, 0, Qt::AlignTop);
    body->addLayout(texts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(body);
    layout->addWidget(buttons);
    dialog.exec();
}

} // namespace

void showAboutBox(QWidget* parent)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        runDialog(parent);
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(aboutLines().join(QStringLiteral(", "))));
}
