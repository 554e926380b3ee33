#include "CTK28950PropPage.h"

#include "resources/MessageTable.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int kPointSize = 8;
const QString kHelpFile = QStringLiteral("tk28950.chm");

} // namespace

CTK28950PropPage::CTK28950PropPage(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(LoadMessage(Msg::ModuleTitle));
    QFont pageFont = font();
    pageFont.setPointSize(kPointSize);
    setFont(pageFont);
    setFixedSize(fromDialogUnits({0, 0, 250, 62}).size());

    auto* note = new QLabel(QStringLiteral("TODO: Working on it."), this);
    note->setGeometry(fromDialogUnits({7, 25, 77, 16}));

    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("Help"));
    help->setProperty("controlId", kHelpButtonId);
    help->setGeometry(fromDialogUnits({193, 39, 43, 16}));
    connect(help, &QPushButton::clicked, this, &CTK28950PropPage::OnHelp);
}

QRect CTK28950PropPage::fromDialogUnits(const QRect& units)
{
    const auto horizontal = [](int x) { return x * 6 / 4; };
    const auto vertical = [](int y) { return y * 13 / 8; };
    return {horizontal(units.x()), vertical(units.y()), horizontal(units.width()),
            vertical(units.height())};
}

// The help file is looked for in the current folder, as its bare name has
// always been; whether a viewer opens it is the desktop's business.
void CTK28950PropPage::OnHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(kHelpFile)));
}
