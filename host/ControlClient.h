#pragma once
// The host's side of a control: creates it through the registry, calls it by
// dispid, and turns its events into Qt signals. Hosts (the setup program, the
// command-line tool, tests) use this instead of the library's classes.
#include "ComponentHost.h"
#include "Dispatch.h"
#include "Variant.h"

#include <QObject>
#include <QString>
#include <QVector>

// The outcome of one call: the result code, the value, and on failure the
// description the control gave (or the runtime's words for the code).
struct CallResult {
    component::HResult code = component::kOk;
    component::Variant value;
    QString error;

    bool ok() const { return component::succeeded(code); }
    QString text() const; // value as text; empty when it does not convert
};

class ControlClient : public QObject, private component::EventSink {
    Q_OBJECT
public:
    explicit ControlClient(QObject* parent = nullptr);
    ~ControlClient() override;

    // Creates the control named by progId through the registry. When the
    // class is not registered and fallbackLibrary is not empty, creates it
    // straight from that library file instead (usedFallback() tells).
    bool create(const QString& progId, const QString& clsid, const QString& fallbackLibrary = {});
    bool isCreated() const { return m_created.object != nullptr; }
    QString createError() const { return m_createError; }
    bool usedFallback() const { return m_usedFallback; }
    QString libraryPath() const;

    CallResult call(component::DispId dispid, const QVector<component::Variant>& args = {});
    CallResult get(component::DispId dispid);
    CallResult put(component::DispId dispid, const component::Variant& value);
    // InitModule on the numbered port. The empty text when the port is open,
    // else why not: the port's own reason when the control knows it.
    QString openPort(int port);
    // Looks a member up by its name (as the control's dispatch table knows it).
    bool idOfName(const QString& name, component::DispId* dispid) const;

    void setSite(component::HostSite* site);
    QWidget* widget(QWidget* parent);
    component::DispatchObject* object() const { return m_created.object.get(); }

Q_SIGNALS:
    void dataReady(const QString& text);
    void errorComm(const QString& text);
    void xReady(const QString& text);
    void yReady(const QString& text);

private:
    CallResult invoke(component::DispId dispid, component::InvokeKind kind,
                      const QVector<component::Variant>& args);
    void onEvent(component::DispId event, const QString& text) override;

    component::CreatedObject m_created;
    QString m_createError;
    bool m_usedFallback = false;
};
