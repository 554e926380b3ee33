#pragma once
// A host of the control for the tests: it knows the library only through the
// registry, the exports and dispatch identifiers, records the events and
// message boxes it receives, and can run code of the test inside them.
#include "ComponentHost.h"
#include "Dispatch.h"
#include "Variant.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <initializer_list>
#include <utility>

class Simulator;

// The library under test, as the build left it beside the test program.
namespace library {
QString path();
// Calls one of the library's argument-less exports (registration,
// unregistration, unload check) with the registry named by TK28950_REGISTRY.
component::HResult callExport(const char* name);
// Points TK28950_REGISTRY at file for the lifetime of the object.
class RegistryScope {
public:
    explicit RegistryScope(const QString& file);
    ~RegistryScope();

private:
    QByteArray m_previous;
};
} // namespace library

// 256 EEPROM cells, all 0 but the given ones.
QByteArray eepromImage(std::initializer_list<std::pair<int, int>> cells);

struct Call {
    component::HResult hr = component::kOk;
    component::Variant value;
    QString error;

    QString text() const;
    qint16 number() const;
};

struct Event {
    component::DispId id;
    QString text;
};

class ControlHost : public component::EventSink, public component::HostSite {
public:
    explicit ControlHost(const QString& progId = QStringLiteral("TK28950.TK28950Ctrl.1"));
    ~ControlHost() override;

    bool created() const { return m_created.object != nullptr; }
    QString createError() const { return m_createError; }
    component::DispatchObject* object() const { return m_created.object.get(); }

    Call call(component::DispId dispid, const QVector<component::Variant>& args = {});
    Call get(component::DispId dispid);
    Call put(component::DispId dispid, const component::Variant& value);

    // Maps port to the simulator's device and initialises the control on it.
    QString open(const Simulator& sim, int port);

    QStringList eventTexts(component::DispId id) const;
    // Runs the event loop until the control has raised count events of id.
    bool waitForEvents(component::DispId id, int count, int timeoutMs = 5000) const;

    QVector<Event> events;
    QStringList messages;
    QColor ambient; // invalid: the host has no ambient colour
    std::function<void(const Event&)> onEventHook;
    std::function<void(const QString&)> onMessageHook;

    void onEvent(component::DispId event, const QString& text) override;
    QColor ambientBackColor() const override { return ambient; }
    void showMessage(const QString& text, const QString& caption) override;

private:
    component::CreatedObject m_created;
    QString m_createError;
};
