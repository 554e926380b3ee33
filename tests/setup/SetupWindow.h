#pragma once
// The setup window as a test drives it: created with both controls through
// the registry, shown on the offscreen platform, its message boxes captured,
// its buttons clicked and its boxes typed into.
#include "FrmTK28950.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Simulator;

using CapturedBox = MessageBoxes::Box;

class SetupWindow {
public:
    // Short intervals, so that a full transfer takes seconds, not minutes.
    static TransferTiming fastTiming();

    explicit SetupWindow(const TransferTiming& timing = fastTiming());
    ~SetupWindow();

    FrmTK28950& form() { return *m_form; }
    template <class T> T* find(const QString& name) const { return m_form->findChild<T*>(name); }

    void click(const QString& button);
    void type(const QString& box, const QString& text);
    QString text(const QString& box) const;
    void showTabOf(QWidget* widget);
    void selectPort(int port);       // in CmbPortNum
    void selectMemoryPort(int port); // in LstPortNum

    QVector<CapturedBox> boxes;
    QStringList boxTexts() const;
    // Runs the event loop until at least count boxes were shown.
    bool waitForBoxes(int count, int timeoutMs = 10000);

private:
    std::unique_ptr<FrmTK28950> m_form;
};

// Runs the event loop until condition holds or timeoutMs passes.
bool eventually(const std::function<bool()>& condition, int timeoutMs = 10000);

// Starts a simulator and maps it to a port of this process.
bool startSimulator(Simulator& simulator, int port, const QStringList& arguments = {},
                    const QByteArray& eeprom = {});

// Makes an empty file at path that nobody without the right to override
// file permissions may open, and maps port n to it.
bool mapLockedDevice(const QString& path, int port);

// The value texts of an EEPROM data file, line by line after its header.
QStringList valuesOf(const QByteArray& content);

// A 16-bit setting as stored in two cells, low byte first.
int cell16(const QByteArray& eeprom, int lowAddress);
int cell(const QByteArray& eeprom, int address);

// The module's command that reads one cell ("i005").
QByteArray readCommand(int address);
