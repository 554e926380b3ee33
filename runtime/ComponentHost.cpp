#include "ComponentHost.h"

#include "Exports.h"
#include "ModulePath.h"
#include "ResultText.h"

#include <QFile>

#include <algorithm>
#include <dlfcn.h>
#include <link.h>
#include <mutex>
#include <vector>

namespace component {

namespace {

// Handles of libraries whose objects outlived their Library. Never
// destroyed, so that a Library that goes during program exit still finds it.
struct KeptLibraries {
    std::mutex mutex;
    std::vector<void*> handles;
};

KeptLibraries& keptLibraries()
{
    static auto* kept = new KeptLibraries;
    return *kept;
}

bool mayUnload(void* handle)
{
    const auto canUnloadNow =
        reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, exports::kCanUnloadNow));
    return canUnloadNow && canUnloadNow() == kOk;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

std::shared_ptr<Library> Library::load(const QString& path, QString* error)
{
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        setError(error, QString::fromLocal8Bit(dlerror()));
        return nullptr;
    }
    return std::shared_ptr<Library>(new Library(path, handle));
}

Library::~Library()
{
    if (mayUnload(m_handle)) {
        dlclose(m_handle);
        return;
    }
    KeptLibraries& kept = keptLibraries();
    const std::lock_guard lock(kept.mutex);
    kept.handles.push_back(m_handle);
}

void freeUnusedLibraries()
{
    KeptLibraries& kept = keptLibraries();
    std::vector<void*> unused;
    {
        const std::lock_guard lock(kept.mutex);
        const auto firstUnused = std::stable_partition(kept.handles.begin(), kept.handles.end(),
                                                       [](void* h) { return !mayUnload(h); });
        unused.assign(firstUnused, kept.handles.end());
        kept.handles.erase(firstUnused, kept.handles.end());
    }
    // Unloading runs the library's destructors: not while holding the lock.
    for (void* handle : unused)
        dlclose(handle);
}

void* Library::symbol(const char* name) const
{
    return dlsym(m_handle, name);
}

bool Library::contains(const void* address) const
{
    link_map* map = nullptr;
    if (dlinfo(m_handle, RTLD_DI_LINKMAP, &map) != 0)
        return false;
    return map && moduleOf(address) == map;
}

HResult Library::createObject(const QString& clsid, ObjectPtr* object) const
{
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(symbol(exports::kGetClassObject));
    if (!getClassObject)
        return kFail;
    ClassFactory* factory = nullptr;
    HResult hr = getClassObject(clsid.toUtf8().constData(), &factory);
    if (failed(hr))
        return hr;
    if (!factory)
        return kPointer;
    DispatchObject* created = nullptr;
    hr = factory->createInstance(&created);
    if (failed(hr))
        return hr;
    if (!created)
        return kPointer;
    object->reset(created);
    return hr;
}

HResult createObjectFromLibrary(const QString& libraryPath, const QString& clsid,
                                CreatedObject* out, QString* error)
{
    QString loadError;
    CreatedObject created;
    created.library = Library::load(libraryPath, &loadError);
    if (!created.library) {
        setError(error, loadError);
        return kFail;
    }
    if (!created.library->symbol(exports::kGetClassObject)) {
        setError(error, QStringLiteral("%1 does not export %2")
                            .arg(libraryPath, QLatin1String(exports::kGetClassObject)));
        return kFail;
    }
    const HResult hr = created.library->createObject(clsid, &created.object);
    if (failed(hr)) {
        setError(error, QStringLiteral("cannot create class %1 from %2: %3")
                            .arg(clsid, libraryPath, resultText(hr)));
        return hr;
    }
    created.entry.clsid = clsid;
    created.entry.library = libraryPath;
    *out = std::move(created);
    return hr;
}

HResult createObject(const Registry& registry, const QString& progId, CreatedObject* out,
                     QString* error)
{
    const std::optional<ClassEntry> entry = registry.classByProgId(progId);
    if (!entry) {
        const QStringList paths = registry.lookupPaths();
        setError(error, QStringLiteral("class %1 is not registered (%2 %3)")
                            .arg(progId,
                                 paths.size() == 1 ? QStringLiteral("registry:")
                                                   : QStringLiteral("registries:"),
                                 paths.join(QStringLiteral(" and "))));
        return kClassNotRegistered;
    }
    CreatedObject created;
    const HResult hr = createObjectFromLibrary(entry->library, entry->clsid, &created, error);
    if (failed(hr))
        return hr;
    created.entry = *entry;
    *out = std::move(created);
    return hr;
}

} // namespace component
