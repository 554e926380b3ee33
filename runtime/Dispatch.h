#pragma once
// The dispatch interface through which hosts call a component: members are
// looked up by name, invoked by dispatch identifier (dispid), and report
// failures as result codes, never as undefined behaviour.
#include "HResult.h"
#include "Variant.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

namespace component {

using DispId = std::int32_t;

enum class InvokeKind { Method = 1, PropertyGet = 2, PropertyPut = 4 };

// What went wrong in a failed invoke, for the host to show.
struct ErrorInfo {
    QString source;
    QString description;
};

// Receives a component's events, synchronously, on the host's thread.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void onEvent(DispId event, const QString& text) = 0;
};

// What the host offers a component it embeds: ambient properties and the
// one place where the component's modal message boxes are shown.
class HostSite {
public:
    virtual ~HostSite() = default;
    virtual QColor ambientBackColor() const = 0;
    virtual void showMessage(const QString& text, const QString& caption) = 0;
};

class DispatchObject {
public:
    virtual HResult idOfName(const QString& name, DispId* dispid) const = 0;

    // Arguments are positional, first parameter first. A property put passes
    // the new value as its only argument. On failure *error (if given) says why.
    virtual HResult invoke(DispId dispid, InvokeKind kind, const QVector<Variant>& args,
                           Variant* result, ErrorInfo* error = nullptr) = 0;

    // One sink at a time; nullptr detaches.
    virtual void advise(EventSink* sink) = 0;
    // nullptr returns to the defaults (palette background, boxes on screen
    // in a widget application, standard error otherwise).
    virtual void setSite(HostSite* site) = 0;

    // The component's visible face, created on first use as a child of
    // parent; needs a widget application.
    virtual QWidget* widget(QWidget* parent) = 0;

    // Persistent state, for hosts that keep the object in a document.
    // Saving clears the modified mark; isModified() tells whether the state
    // changed since. The defaults keep nothing.
    virtual QByteArray saveState() { return {}; }
    virtual HResult loadState(const QByteArray&) { return kOk; }
    virtual bool isModified() const { return false; }
    // Class identifiers of the object's property pages.
    virtual QStringList propertyPages() const { return {}; }

    // Ends the object. The pointer must not be used afterwards.
    virtual void release() = 0;

protected:
    virtual ~DispatchObject() = default;
};

class ClassFactory {
public:
    virtual HResult createInstance(DispatchObject** object) = 0;
    virtual HResult lockServer(bool lock) = 0;

protected:
    virtual ~ClassFactory() = default;
};

} // namespace component
