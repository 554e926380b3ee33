#include "FrmTK28950.h"

#include "CoefficientFile.h"
#include "ControlClient.h"
#include "ControlTexts.h"
#include "FormBuilder.h"
#include "IntegerText.h"
#include "MemoryTransferLink.h"
#include "PortTips.h"
#include "TK28950Dispids.h"
#include "TabControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <utility>

namespace dispid = tk28950::dispid;
using Step = PropertyStep::Kind;

namespace {

constexpr int kPortCount = 15;
constexpr int kMemoryTab = 3;

struct Picture {
    const char* name;
    const char* resource;
    const char* accessibleName;
    QRect geometry;
};

const Picture kPictures[] = {
    {"ImgSymbol_0", ":/setup/symbol0.png", "TK28950 symbol", {0, 0, 72, 36}},
    {"ImgSymbol_1", ":/setup/symbol1.png", "TK28950 inclinometer interface", {72, 0, 288, 36}},
};

// The window is exposed to assistive technology as a frame, as a top-level
// window is, rather than as a plain pane.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String("FrmTK28950") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

QString FrmTK28950::portReasonOf(ControlClient* control, int port)
{
    const CallResult reason = control->get(dispid::PortError);
    if (!reason.ok() || reason.text().isEmpty())
        return QString();
    return QStringLiteral("Port %1 could not be opened: %2").arg(port).arg(reason.text());
}

FrmTK28950::FrmTK28950(std::unique_ptr<ControlClient> tk28950A,
                       std::unique_ptr<ControlClient> tk28950B, QWidget* parent)
    : QWidget(parent), m_messages(this), m_tk28950A(std::move(tk28950A)),
      m_tk28950B(std::move(tk28950B)),
      m_steps(m_tk28950A.get(), this, &m_messages, [this] { return m_deviceLost; })
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleWindow);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    m_link = new MemoryTransferLink(m_tk28950B.get(), m_messages.showFunction(), this);
    m_tk28950A->setSite(&m_messages);
    m_tk28950B->setSite(&m_messages);
    buildWindow();
    m_transfer = std::make_unique<EepromTransfer>(
        m_link, findChild<QProgressBar*>(QStringLiteral("PrgbarEEPROM")),
        m_messages.showFunction());
    wireEvents();
    wireButtons();
    Form_Load();
}

FrmTK28950::~FrmTK28950() = default;

void FrmTK28950::setTiming(const TransferTiming& timing)
{
    m_link->setTiming(timing);
}

QString FrmTK28950::defaultEepromFilePath()
{
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/Temp/EEPROMData.txt"));
}

QString FrmTK28950::defaultCoefficientFilePath()
{
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/Temp/output_1onx.coef"));
}

void FrmTK28950::buildWindow()
{
    setObjectName(QStringLiteral("FrmTK28950"));
    setWindowTitle(QStringLiteral("TK28950 Interface"));
    setWindowIcon(QIcon(QStringLiteral(":/setup/icon.png")));
    resize(738, 614);
    for (const Picture& picture : kPictures) {
        auto* image = new QLabel(this);
        image->setObjectName(QString::fromUtf8(picture.name));
        image->setAccessibleName(QString::fromUtf8(picture.accessibleName));
        image->setPixmap(QPixmap(QString::fromUtf8(picture.resource)));
        image->setGeometry(picture.geometry);
    }
    if (QWidget* face = m_tk28950A->widget(this)) {
        face->setObjectName(QStringLiteral("TK28950A"));
        face->setAccessibleName(QStringLiteral("Module"));
        face->setGeometry(648, 1, 89, 40);
    }

    const auto& tabs = form::tabs();
    auto* tabControl = new TabControl(static_cast<int>(tabs.size()), this);
    tabControl->setObjectName(QStringLiteral("SSTab1"));
    tabControl->setAccessibleName(QStringLiteral("Tabs"));
    tabControl->setGeometry(7, 40, 731, 572);
    tabControl->tabBar()->setFont(form::windowFont("Arial", 14.25));
    const form::ControlWidgetFactory controls = [this](const QString&, QWidget* parent) {
        return m_tk28950B->widget(parent);
    };
    for (const form::TabSpec& tab : tabs)
        form::buildTab(tab, tabControl, controls);
    tabControl->setCurrentIndex(kMemoryTab);

    findChild<QLineEdit*>(QStringLiteral("TxtFilePath"))->setText(defaultCoefficientFilePath());
    findChild<QLineEdit*>(QStringLiteral("TxtEEPROMFile"))->setText(defaultEepromFilePath());
}

void FrmTK28950::wireEvents()
{
    auto* x = findChild<QLineEdit*>(QStringLiteral("X"));
    auto* y = findChild<QLineEdit*>(QStringLiteral("Y"));
    const auto show = [this](const QString& text) {
        if (text == ControlTexts::kDeviceDisconnected)
            m_deviceLost = true;
        if (m_buttonCalls > 0)
            m_shownDuringCall.append(text);
        showControlText(text);
    };
    connect(m_tk28950A.get(), &ControlClient::dataReady, this, show);
    connect(m_tk28950A.get(), &ControlClient::errorComm, this, show);
    connect(m_tk28950A.get(), &ControlClient::xReady, x, &QLineEdit::setText);
    connect(m_tk28950A.get(), &ControlClient::yReady, y, &QLineEdit::setText);
}

QString FrmTK28950::textOf(const char* box) const
{
    return PropertySteps::textOf(findChild<QWidget*>(QString::fromUtf8(box)));
}

// Start-up: both port lists hold the ports 1 to 15, the first one chosen.
void FrmTK28950::Form_Load()
{
    QStringList ports;
    for (int port = 1; port <= kPortCount; ++port)
        ports.append(QString::number(port));
    auto* cmbPortNum = findChild<QComboBox*>(QStringLiteral("CmbPortNum"));
    cmbPortNum->clear();
    cmbPortNum->addItems(ports);
    cmbPortNum->setCurrentIndex(0);
    auto* lstPortNum = findChild<QListWidget*>(QStringLiteral("LstPortNum"));
    lstPortNum->clear();
    lstPortNum->addItems(ports);
    // One entry fills the list's one line; the list scrolls entry by entry.
    const int lineHeight = lstPortNum->contentsRect().height();
    for (int row = 0; row < lstPortNum->count(); ++row)
        lstPortNum->item(row)->setSizeHint(QSize(0, lineHeight));
    lstPortNum->setCurrentRow(0);
    new PortTips(cmbPortNum, lstPortNum, this);
}

void FrmTK28950::CmdInitialize_Click()
{
    const std::optional<std::int16_t> port = integerFromText(textOf("CmbPortNum"));
    if (!port) {
        m_messages.show(QStringLiteral("Please select port number first, then try again."));
        return;
    }
    m_portOpening = *port;
    const CallResult result = m_tk28950A->call(dispid::InitModule, {QString::number(*port)});
    if (result.ok() && result.text() == ControlTexts::kReady)
        m_deviceLost = false;
    showControlText(result.ok() ? result.text() : result.error);
    m_portOpening.reset();
    m_steps.run({{Step::GetInteger, "txtSN", dispid::SN},
                 {Step::GetInteger, "txtSFX", dispid::ScaleFactorX},
                 {Step::GetInteger, "txtSFY", dispid::ScaleFactorY},
                 {Step::GetText, "txtTempOff", dispid::TemperatureOffset}});
}

void FrmTK28950::showControlText(const QString& text)
{
    // The control tells of a port it could not open twice (an event, then
    // the result); the reason goes under the first of the two boxes.
    QString reason;
    if (text == ControlTexts::kPortAlreadyOpen && m_portOpening)
        reason = portReasonOf(m_tk28950A.get(), *std::exchange(m_portOpening, std::nullopt));
    m_messages.show(text, QString(), reason);
}

void FrmTK28950::callForButton(component::DispId id, const QVector<component::Variant>& args)
{
    if (m_buttonCalls++ == 0)
        m_shownDuringCall.clear();
    const CallResult result = m_tk28950A->call(id, args);
    --m_buttonCalls;
    const QString text = result.ok() ? result.text() : result.error;
    // A device that went away during the call was shown already; what the
    // call returned after that is only the control's not-initialised answer.
    const bool silent =
        text.isEmpty() || text.compare(ControlTexts::kOk, Qt::CaseInsensitive) == 0 || m_deviceLost;
    if (!silent && !m_shownDuringCall.contains(text))
        m_messages.show(text);
}

void FrmTK28950::runUnlessDeviceLost(const std::function<void()>& handler)
{
    if (!m_deviceLost)
        return handler();
    m_messages.show(QString(ControlTexts::kDeviceDisconnected), QString(),
                    QStringLiteral("Connect the module again and press \"Init\"."));
}

void FrmTK28950::cmdSN_Click()
{
    if (!m_steps.run({{Step::PutInteger, "txtSN", dispid::SN}}))
        return;
    m_messages.show(QStringLiteral("Serial number ") + textOf("txtSN") +
                    QStringLiteral(" being set."));
    m_steps.run({{Step::GetInteger, "txtSN", dispid::SN}});
}

void FrmTK28950::loadCoefficients(const QString& axis, const QString& emptyPathMessage)
{
    const QString path = textOf("TxtFilePath");
    if (path.isEmpty()) {
        m_messages.show(emptyPathMessage);
        return;
    }
    // The control reads the file by the same rules and writes nothing from
    // a file it refuses, but tells of it in two boxes; one box says it here,
    // with the file's name.
    const CoefficientFile::Table table = CoefficientFile::Read(path);
    if (table.status == CoefficientFile::Table::Status::Invalid ||
        table.status == CoefficientFile::Table::Status::Refused) {
        m_messages.show(QStringLiteral("Error reading coef file"), QString(),
                        QStringLiteral("%1: %2. Nothing was written into the module.")
                            .arg(path, table.problem));
        return;
    }
    callForButton(dispid::LoadCoef, {axis, path});
}

void FrmTK28950::closeEvent(QCloseEvent* event)
{
    // A transfer still running stops at its next step and shows nothing more.
    m_link->cancel();
    event->accept();
}
