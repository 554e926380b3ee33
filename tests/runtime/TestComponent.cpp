// A tiny component library for the runtime's tests: one class, a counter,
// with a property "Value" (dispid 1) and a method "Add" (dispid 2) that adds
// its argument, returns the new value and raises event 1 with it as text.
#include "Dispatch.h"
#include "Exports.h"
#include "ModulePath.h"
#include "Registry.h"
#include "TypeLib.h"

#include <QFileInfo>

#include <atomic>

#define TEST_COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))

using namespace component;

namespace {

constexpr const char* kClsid = "{6A0C52E4-7C1B-4C57-9C2E-2B8F4E1D0A11}";
constexpr const char* kProgId = "TK28950Test.Counter.1";
constexpr DispId kValue = 1;
constexpr DispId kAdd = 2;
constexpr DispId kValueChanged = 1;

std::atomic<int> g_objects{0};
std::atomic<int> g_locks{0};

class Counter final : public DispatchObject {
public:
    Counter() { ++g_objects; }

    HResult idOfName(const QString& name, DispId* dispid) const override
    {
        if (name.compare(u"Value", Qt::CaseInsensitive) == 0)
            *dispid = kValue;
        else if (name.compare(u"Add", Qt::CaseInsensitive) == 0)
            *dispid = kAdd;
        else
            return kUnknownName;
        return kOk;
    }

    HResult invoke(DispId dispid, InvokeKind kind, const QVector<Variant>& args, Variant* result,
                   ErrorInfo*) override
    {
        if (dispid == kValue && kind == InvokeKind::PropertyGet)
            return getValue(args, result);
        if (dispid == kValue && kind == InvokeKind::PropertyPut)
            return args.size() == 1 ? args[0].toLong(&m_value) : kBadParamCount;
        if (dispid == kAdd && kind == InvokeKind::Method)
            return add(args, result);
        return kMemberNotFound;
    }

    void advise(EventSink* sink) override { m_sink = sink; }
    void setSite(HostSite*) override {}
    QWidget* widget(QWidget*) override { return nullptr; }
    void release() override { delete this; }

private:
    ~Counter() override { --g_objects; }

    HResult getValue(const QVector<Variant>& args, Variant* result) const
    {
        if (!args.isEmpty())
            return kBadParamCount;
        *result = m_value;
        return kOk;
    }

    HResult add(const QVector<Variant>& args, Variant* result)
    {
        if (args.size() != 1)
            return kBadParamCount;
        std::int32_t amount = 0;
        const HResult hr = args[0].toLong(&amount);
        if (failed(hr))
            return hr;
        m_value += amount;
        *result = m_value;
        if (m_sink)
            m_sink->onEvent(kValueChanged, QString::number(m_value));
        return kOk;
    }

    std::int32_t m_value = 0;
    EventSink* m_sink = nullptr;
};

class CounterFactory final : public ClassFactory {
public:
    HResult createInstance(DispatchObject** object) override
    {
        *object = new Counter;
        return kOk;
    }
    HResult lockServer(bool lock) override
    {
        g_locks += lock ? 1 : -1;
        return kOk;
    }
};

CounterFactory g_factory;

const void* self()
{
    return reinterpret_cast<const void*>(&self);
}

std::optional<TypeLibrary> ownTypeLib()
{
    return TypeLibrary::fromResource(self(), nullptr);
}

} // namespace

TEST_COMPONENT_EXPORT HResult DllRegisterServer()
{
    const std::optional<TypeLibrary> typeLib = ownTypeLib();
    if (!typeLib)
        return kTypeLibRegistrationFailed;
    const QString library = modulePath(self());
    Registry registry;
    TypeLibEntry libEntry{typeLib->libId,      typeLib->version, typeLib->locale,
                          typeLib->helpString, library,          QFileInfo(library).absolutePath()};
    if (failed(registry.registerTypeLib(libEntry)))
        return kTypeLibRegistrationFailed;
    ClassEntry classEntry;
    classEntry.clsid = QString::fromLatin1(kClsid);
    classEntry.library = library;
    classEntry.progId = QString::fromLatin1(kProgId);
    classEntry.typeName = QStringLiteral("Test Counter");
    classEntry.typeLibId = typeLib->libId;
    classEntry.typeLibVersion = typeLib->version;
    return failed(registry.registerClass(classEntry)) ? kClassRegistrationFailed : kOk;
}

TEST_COMPONENT_EXPORT HResult DllUnregisterServer()
{
    const std::optional<TypeLibrary> typeLib = ownTypeLib();
    Registry registry;
    if (!typeLib || failed(registry.unregisterTypeLib(typeLib->libId, typeLib->version)))
        return kTypeLibRegistrationFailed;
    return failed(registry.unregisterClass(QString::fromLatin1(kClsid))) ? kClassRegistrationFailed
                                                                         : kOk;
}

TEST_COMPONENT_EXPORT HResult DllGetClassObject(const char* clsid, ClassFactory** factory)
{
    if (QString::fromLatin1(clsid).compare(QLatin1String(kClsid), Qt::CaseInsensitive) != 0)
        return kClassNotAvailable;
    *factory = &g_factory;
    return kOk;
}

TEST_COMPONENT_EXPORT HResult DllCanUnloadNow()
{
    return g_objects == 0 && g_locks == 0 ? kOk : kFalse;
}
