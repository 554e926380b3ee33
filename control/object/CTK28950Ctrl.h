#pragma once
// The control object: the one thing a host sees of the library. It owns the
// module object and the serial port, turns received bytes and the command
// timer into events for the host, draws itself and answers dispatch calls
// through the member table.
#include "DispatchTable.h"
#include "link/CMSComm.h"
#include "link/ModuleOwner.h"
#include "module/CModule.h"

#include "Dispatch.h"

#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class CTK28950View;

class CTK28950Ctrl : public QObject, public IModuleOwner, public component::DispatchObject {
    Q_OBJECT
public:
    // Version stamp written by the property exchange: major 1, minor 0.
    static constexpr quint32 kStateVersion = 0x00010000;

    CTK28950Ctrl();
    ~CTK28950Ctrl() override;
    CTK28950Ctrl(const CTK28950Ctrl&) = delete;
    CTK28950Ctrl& operator=(const CTK28950Ctrl&) = delete;

    // Dispatch interface.
    component::HResult idOfName(const QString& name, component::DispId* dispid) const override;
    component::HResult invoke(component::DispId dispid, component::InvokeKind kind,
                              const QVector<component::Variant>& args, component::Variant* result,
                              component::ErrorInfo* error) override;
    void advise(component::EventSink* sink) override;
    void setSite(component::HostSite* site) override;
    QWidget* widget(QWidget* parent) override;
    void release() override;
    QByteArray saveState() override;
    component::HResult loadState(const QByteArray& state) override;
    bool isModified() const override { return m_bModified; }
    QStringList propertyPages() const override;

    // What the module object needs of its owner.
    bool StartCommandTimer(int ms) override;
    void StopCommandTimer() override;
    bool CommandTimerActive() const override;
    bool EventsEnabled() const override { return m_bEventsEnabled; }
    void SetEventsEnabled(bool enabled) override { m_bEventsEnabled = enabled; }
    bool TimedOut() const override { return m_bTimedOut; }
    void ShowMessage(const QString& text, const QString& caption) override;
    void HandleReplyCode(int code, const QString& reply) override;
    void RaiseDataReady(const QString& text) override;

    // Entries of the public interface that do more than forward to the
    // module object (the member table forwards the others itself).
    dispatch::Outcome InitModule(const QString& portNumber);
    void AboutBox();
    QString ModuleName() const { return m_strModuleName; }
    void SetModuleName(const QString& name);
    QString PortError() const { return m_strPortError; }
    // The control's own reads and writes: the value, or the failure the
    // request met.
    dispatch::Outcome GainText(int cell);
    dispatch::Outcome Amp(int cell);
    dispatch::Outcome GlobalOffset(int lowCell);
    dispatch::Outcome SetGlobalOffset(int lowCell, qint16 value);
    dispatch::Outcome TemperatureOffsetText(int lowCell);
    dispatch::Outcome SetTemperatureOffsetText(int lowCell, const QString& text);

    CModule& Module() { return m_module; }
    bool IsInitialised() const { return m_module.IsInitialised(); }
    void SetModified() { m_bModified = true; }

    // What the view draws with.
    QColor BackgroundColor(const QColor& fallback) const;

private slots:
    void OnComm();
    void OnTimer();
    void OnDeviceLost();

private:
    QString ConfigurePort(const QString& portNumber);
    void UndoPortCreation();
    void KeepPortError(const QString& reason);
    void Redraw();
    void RaiseEvent(component::DispId event, const QString& text);

    CModule m_module;
    QString m_strModuleName;
    CMSComm m_comm;
    bool m_bEventsEnabled = true;
    bool m_bTimedOut = false;
    bool m_bModified = false;
    QString m_strPortError;
    QTimer m_commandTimer;
    component::EventSink* m_sink = nullptr;
    component::HostSite* m_site = nullptr;
    QPointer<CTK28950View> m_view;
};
