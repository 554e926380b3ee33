#include "ControlHost.h"

#include "Exports.h"
#include "Registry.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QTest>

using component::DispId;
using component::HResult;
using component::InvokeKind;
using component::Variant;

namespace library {

QString path()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libTK28950.so");
}

HResult callExport(const char* name)
{
    QString error;
    const auto lib = component::Library::load(path(), &error);
    if (!lib)
        return component::kFail;
    const auto entry = reinterpret_cast<DllRegisterServerFn>(lib->symbol(name));
    return entry ? entry() : component::kFail;
}

RegistryScope::RegistryScope(const QString& file) : m_previous(qgetenv("TK28950_REGISTRY"))
{
    qputenv("TK28950_REGISTRY", file.toLocal8Bit());
}

RegistryScope::~RegistryScope()
{
    qputenv("TK28950_REGISTRY", m_previous);
}

} // namespace library

QByteArray eepromImage(std::initializer_list<std::pair<int, int>> cells)
{
    QByteArray image(256, '\0');
    for (const auto& [cell, value] : cells)
        image[cell] = static_cast<char>(value);
    return image;
}

QString Call::text() const
{
    QString out;
    value.toText(&out);
    return out;
}

qint16 Call::number() const
{
    std::int16_t out = 0;
    value.toShort(&out);
    return out;
}

ControlHost::ControlHost(const QString& progId)
{
    component::createObject(component::Registry(), progId, &m_created, &m_createError);
    if (m_created.object) {
        m_created.object->advise(this);
        m_created.object->setSite(this);
    }
}

ControlHost::~ControlHost()
{
    if (m_created.object) {
        m_created.object->advise(nullptr);
        m_created.object->setSite(nullptr);
    }
}

Call ControlHost::call(DispId dispid, const QVector<Variant>& args)
{
    Call result;
    component::ErrorInfo info;
    result.hr = object()->invoke(dispid, InvokeKind::Method, args, &result.value, &info);
    result.error = info.description;
    return result;
}

Call ControlHost::get(DispId dispid)
{
    Call result;
    component::ErrorInfo info;
    result.hr = object()->invoke(dispid, InvokeKind::PropertyGet, {}, &result.value, &info);
    result.error = info.description;
    return result;
}

Call ControlHost::put(DispId dispid, const Variant& value)
{
    Call result;
    component::ErrorInfo info;
    result.hr = object()->invoke(dispid, InvokeKind::PropertyPut, {value}, &result.value, &info);
    result.error = info.description;
    return result;
}

QString ControlHost::open(const Simulator& sim, int port)
{
    sim.mapToPort(port);
    return call(2, {QString::number(port)}).text();
}

QStringList ControlHost::eventTexts(DispId id) const
{
    QStringList texts;
    for (const Event& event : events)
        if (event.id == id)
            texts << event.text;
    return texts;
}

bool ControlHost::waitForEvents(DispId id, int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return eventTexts(id).size() >= count; }, timeoutMs);
}

void ControlHost::onEvent(DispId event, const QString& text)
{
    events.append({event, text});
    if (onEventHook)
        onEventHook(events.constLast());
}

void ControlHost::showMessage(const QString& text, const QString&)
{
    messages << text;
    if (onMessageHook)
        onMessageHook(text);
}
