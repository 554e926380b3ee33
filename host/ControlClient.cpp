#include "ControlClient.h"

#include "ControlTexts.h"
#include "TK28950Dispids.h"

using component::DispId;
using component::InvokeKind;
using component::Variant;

QString CallResult::text() const
{
    QString out;
    return component::succeeded(value.toText(&out)) ? out : QString();
}

ControlClient::ControlClient(QObject* parent) : QObject(parent) {}

ControlClient::~ControlClient()
{
    if (m_created.object)
        m_created.object->advise(nullptr);
}

bool ControlClient::create(const QString& progId, const QString& clsid,
                           const QString& fallbackLibrary)
{
    component::Registry registry;
    component::HResult hr = component::createObject(registry, progId, &m_created, &m_createError);
    if (hr == component::kClassNotRegistered && !fallbackLibrary.isEmpty()) {
        QString fallbackError;
        hr = component::createObjectFromLibrary(fallbackLibrary, clsid, &m_created, &fallbackError);
        m_usedFallback = component::succeeded(hr);
        if (!m_usedFallback)
            m_createError += QStringLiteral("; ") + fallbackError;
    }
    if (component::failed(hr) || !m_created.object)
        return false;
    m_created.object->advise(this);
    return true;
}

QString ControlClient::libraryPath() const
{
    return m_created.library ? m_created.library->path() : QString();
}

CallResult ControlClient::call(DispId dispid, const QVector<Variant>& args)
{
    return invoke(dispid, InvokeKind::Method, args);
}

CallResult ControlClient::get(DispId dispid)
{
    return invoke(dispid, InvokeKind::PropertyGet, {});
}

CallResult ControlClient::put(DispId dispid, const Variant& value)
{
    return invoke(dispid, InvokeKind::PropertyPut, {value});
}

QString ControlClient::openPort(int port)
{
    const CallResult result = call(tk28950::dispid::InitModule, {QString::number(port)});
    if (!result.ok())
        return result.error;
    if (result.text() == ControlTexts::kReady)
        return {};
    const CallResult reason = get(tk28950::dispid::PortError);
    return reason.ok() && !reason.text().isEmpty() ? reason.text() : result.text();
}

bool ControlClient::idOfName(const QString& name, DispId* dispid) const
{
    return m_created.object && component::succeeded(m_created.object->idOfName(name, dispid));
}

void ControlClient::setSite(component::HostSite* site)
{
    if (m_created.object)
        m_created.object->setSite(site);
}

QWidget* ControlClient::widget(QWidget* parent)
{
    return m_created.object ? m_created.object->widget(parent) : nullptr;
}

CallResult ControlClient::invoke(DispId dispid, InvokeKind kind, const QVector<Variant>& args)
{
    CallResult result;
    if (!m_created.object) {
        result.code = component::kPointer;
        result.error = QStringLiteral("the control has not been created");
        return result;
    }
    component::ErrorInfo info;
    result.code = m_created.object->invoke(dispid, kind, args, &result.value, &info);
    if (component::failed(result.code))
        result.error = info.description.isEmpty()
                           ? QString::fromLatin1(component::describe(result.code))
                           : info.description;
    return result;
}

void ControlClient::onEvent(DispId event, const QString& text)
{
    switch (event) {
    case tk28950::event::DataReady:
        emit dataReady(text);
        break;
    case tk28950::event::ErrorComm:
        emit errorComm(text);
        break;
    case tk28950::event::XReady:
        emit xReady(text);
        break;
    case tk28950::event::YReady:
        emit yReady(text);
        break;
    default:
        break;
    }
}
