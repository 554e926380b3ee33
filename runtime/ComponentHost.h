#pragma once
// Creating components: resolve a programmatic identifier through the
// registry, load the library that serves it, ask its class factory for an
// object. Hosts use nothing else to reach the control.
#include "Dispatch.h"
#include "Registry.h"

#include <QString>
#include <memory>

namespace component {

struct ObjectDeleter {
    void operator()(DispatchObject* object) const
    {
        if (object)
            object->release();
    }
};
using ObjectPtr = std::unique_ptr<DispatchObject, ObjectDeleter>;

// A loaded component library; the library stays loaded while this lives.
// When it goes, the file is unloaded only if the library's DllCanUnloadNow
// agrees; otherwise (objects or locks still alive) it stays loaded until
// freeUnusedLibraries() finds it unused.
class Library {
public:
    // On failure returns nullptr and sets *error to the loader's message.
    static std::shared_ptr<Library> load(const QString& path, QString* error);
    ~Library();

    QString path() const { return m_path; }
    void* symbol(const char* name) const;
    // Asks the library's DllGetClassObject for the class factory of clsid
    // and creates one object; kFail when the library has no such export.
    HResult createObject(const QString& clsid, ObjectPtr* object) const;
    // Whether address lies inside this library's file as loaded.
    bool contains(const void* address) const;

private:
    Library(QString path, void* handle) : m_path(std::move(path)), m_handle(handle) {}
    QString m_path;
    void* m_handle;
};

// Unloads the libraries that were kept loaded for their objects and whose
// DllCanUnloadNow now agrees. Hosts may call it from time to time.
void freeUnusedLibraries();

struct CreatedObject {
    std::shared_ptr<Library> library; // keep before object: destroyed after it
    ObjectPtr object;
    ClassEntry entry;

    CreatedObject() = default;
    CreatedObject(CreatedObject&&) noexcept = default;
    // Releases the old object before the old library, so that the library
    // can be unloaded.
    CreatedObject& operator=(CreatedObject&& other) noexcept
    {
        object = std::move(other.object);
        library = std::move(other.library);
        entry = std::move(other.entry);
        return *this;
    }
};

// Looks progId up in the registry, loads its library and creates one object.
// On failure returns kClassNotRegistered (unknown progId), kFail (library not
// loadable) or the factory's code, and *error says which, in words.
HResult createObject(const Registry& registry, const QString& progId, CreatedObject* out,
                     QString* error);

// Same, but straight from a library file, bypassing the registry.
HResult createObjectFromLibrary(const QString& libraryPath, const QString& clsid,
                                CreatedObject* out, QString* error);

} // namespace component
