#include "SetupWindow.h"

#include "ControlClient.h"
#include "ControlStartup.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<FrmTK28950> createForm()
{
    StartupControls controls = createStartupControls(QString());
    EXPECT_TRUE(controls.error.isEmpty()) << controls.error.toStdString();
    return std::make_unique<FrmTK28950>(std::move(controls.tk28950A), std::move(controls.tk28950B));
}

} // namespace

TransferTiming SetupWindow::fastTiming()
{
    TransferTiming timing;
    timing.connectIntervalMs = 20;
    timing.readIntervalMs = 20;
    timing.pauseMs = 2;
    return timing;
}

SetupWindow::SetupWindow(const TransferTiming& timing) : m_form(createForm())
{
    m_form->messages().setPresenter([this](const MessageBoxes::Box& box) { boxes.append(box); });
    m_form->setTiming(timing);
    m_form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
}

SetupWindow::~SetupWindow() = default;

void SetupWindow::showTabOf(QWidget* widget)
{
    auto* tabs = find<QTabWidget>(QStringLiteral("SSTab1"));
    for (int index = 0; index < tabs->count(); ++index) {
        if (tabs->widget(index)->isAncestorOf(widget))
            tabs->setCurrentIndex(index);
    }
}

void SetupWindow::click(const QString& button)
{
    auto* target = find<QPushButton>(button);
    ASSERT_NE(target, nullptr) << button.toStdString();
    showTabOf(target);
    QTest::mouseClick(target, Qt::LeftButton);
}

void SetupWindow::type(const QString& box, const QString& text)
{
    auto* edit = find<QLineEdit>(box);
    if (!edit) {
        auto* combo = find<QComboBox>(box);
        ASSERT_NE(combo, nullptr) << box.toStdString();
        edit = combo->lineEdit();
    }
    showTabOf(edit);
    edit->clear();
    QTest::keyClicks(edit, text);
}

QString SetupWindow::text(const QString& box) const
{
    return PropertySteps::textOf(find<QWidget>(box));
}

void SetupWindow::selectPort(int port)
{
    find<QComboBox>(QStringLiteral("CmbPortNum"))->setCurrentIndex(port - 1);
}

void SetupWindow::selectMemoryPort(int port)
{
    find<QListWidget>(QStringLiteral("LstPortNum"))->setCurrentRow(port - 1);
}

QStringList SetupWindow::boxTexts() const
{
    QStringList texts;
    for (const CapturedBox& box : boxes)
        texts.append(box.text);
    return texts;
}

bool SetupWindow::waitForBoxes(int count, int timeoutMs)
{
    return eventually([&] { return boxes.size() >= count; }, timeoutMs);
}

bool eventually(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

bool startSimulator(Simulator& simulator, int port, const QStringList& arguments,
                    const QByteArray& eeprom)
{
    if (!simulator.start(arguments, eeprom)) {
        ADD_FAILURE() << simulator.error().toStdString();
        return false;
    }
    simulator.mapToPort(port);
    return true;
}

bool mapLockedDevice(const QString& path, int port)
{
    if (!writeFileBytes(path, "") || !QFile::setPermissions(path, QFile::Permissions()))
        return false;
    qputenv(QStringLiteral("TK28950_PORT_%1").arg(port).toLatin1().constData(), path.toLocal8Bit());
    return true;
}

QStringList valuesOf(const QByteArray& content)
{
    QStringList values;
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype n = 1; n + 1 < lines.size(); ++n)
        values.append(QString::fromLatin1(lines[n].chopped(1)).section('\t', 1));
    return values;
}

int cell(const QByteArray& eeprom, int address)
{
    return static_cast<quint8>(eeprom.at(address));
}

QByteArray readCommand(int address)
{
    return "i" + QByteArray::number(address).rightJustified(3, '0');
}

int cell16(const QByteArray& eeprom, int lowAddress)
{
    return static_cast<qint16>(cell(eeprom, lowAddress) | (cell(eeprom, lowAddress + 1) << 8));
}
