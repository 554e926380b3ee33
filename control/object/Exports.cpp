// The library's four entry points: registration of its type library and
// classes, the class factories, and whether it may be unloaded.
#include "Exports.h"
#include "ClassFactories.h"
#include "OwnedText.h"
#include "Registry.h"
#include "ServerLock.h"
#include "resources/MessageTable.h"
#include "resources/TK28950Dispids.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <type_traits>

#define TK28950_EXPORT extern "C" __attribute__((visibility("default")))

using component::HResult;

namespace {

constexpr quint32 kControlMiscStatus = 0x20191;
// Everything written to the registry is owned text: the registry file's
// cache outlives this library when the host unloads it.
const QString kApartment = ownedText(QStringLiteral("Apartment"));
const QString kTypeLibLocale = ownedText(QStringLiteral("409"));
const QString kTypeLibHelpString = ownedText(QStringLiteral("TK28950 ActiveX Control module"));

// The absolute path of this library file, as the registry must hold it.
QString libraryPath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&libraryPath), &info) || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

component::TypeLibEntry typeLibEntry(const QString& library)
{
    component::TypeLibEntry entry;
    entry.libId = QString::fromLatin1(tk28950::kTypeLibId);
    entry.version = QString::fromLatin1(tk28950::kTypeLibVersion);
    entry.locale = kTypeLibLocale;
    entry.name = kTypeLibHelpString;
    entry.library = library;
    entry.helpDir = QFileInfo(library).absolutePath();
    return entry;
}

component::ClassEntry controlEntry(const QString& library)
{
    component::ClassEntry entry;
    entry.clsid = QString::fromLatin1(tk28950::kControlClsid);
    entry.library = library;
    entry.progId = QString::fromLatin1(tk28950::kProgId);
    entry.typeName = LoadMessage(Msg::ControlTypeName);
    entry.threadingModel = kApartment;
    entry.miscStatus = kControlMiscStatus;
    entry.toolboxBitmap = library + QStringLiteral(",1");
    entry.typeLibId = QString::fromLatin1(tk28950::kTypeLibId);
    entry.typeLibVersion = QString::fromLatin1(tk28950::kTypeLibVersion);
    entry.control = true;
    return entry;
}

component::ClassEntry propPageEntry(const QString& library)
{
    component::ClassEntry entry;
    entry.clsid = QString::fromLatin1(tk28950::kPropPageClsid);
    entry.library = library;
    entry.progId = QString::fromLatin1(tk28950::kPropPageProgId);
    entry.typeName = LoadMessage(Msg::PropPageName);
    return entry;
}

HResult unregisterClasses(component::Registry& registry)
{
    const bool done = component::succeeded(
                          registry.unregisterClass(QString::fromLatin1(tk28950::kControlClsid))) &&
                      component::succeeded(
                          registry.unregisterClass(QString::fromLatin1(tk28950::kPropPageClsid)));
    return done ? component::kOk : component::kClassRegistrationFailed;
}

} // namespace

TK28950_EXPORT HResult DllRegisterServer()
{
    const QString library = libraryPath();
    component::Registry registry;
    if (library.isEmpty() || component::failed(registry.registerTypeLib(typeLibEntry(library))))
        return component::kTypeLibRegistrationFailed;
    if (component::failed(registry.registerClass(controlEntry(library))) ||
        component::failed(registry.registerClass(propPageEntry(library)))) {
        unregisterClasses(registry); // leave no class half registered
        return component::kClassRegistrationFailed;
    }
    return component::kOk;
}

TK28950_EXPORT HResult DllUnregisterServer()
{
    component::Registry registry;
    if (component::failed(
            registry.unregisterTypeLib(QString::fromLatin1(tk28950::kTypeLibId),
                                       QString::fromLatin1(tk28950::kTypeLibVersion))))
        return component::kTypeLibRegistrationFailed;
    return unregisterClasses(registry);
}

TK28950_EXPORT HResult DllGetClassObject(const char* clsid, component::ClassFactory** factory)
{
    if (!clsid || !factory)
        return component::kPointer;
    *factory = server::factoryFor(QString::fromLatin1(clsid));
    return *factory ? component::kOk : component::kClassNotAvailable;
}

TK28950_EXPORT HResult DllCanUnloadNow()
{
    return server::canUnload() ? component::kOk : component::kFalse;
}

static_assert(std::is_same_v<decltype(&DllRegisterServer), DllRegisterServerFn>);
static_assert(std::is_same_v<decltype(&DllUnregisterServer), DllUnregisterServerFn>);
static_assert(std::is_same_v<decltype(&DllGetClassObject), DllGetClassObjectFn>);
static_assert(std::is_same_v<decltype(&DllCanUnloadNow), DllCanUnloadNowFn>);
