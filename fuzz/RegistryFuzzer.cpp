// The registry file, whatever a damaged or hand-edited file holds. Every
// programmatic identifier in it leads to the class it names or to nothing;
// an entry registered into the file reads back exactly, by identifier and
// by programmatic identifier.
#include "Property.h"
#include "Registry.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using component::ClassEntry;
using component::Registry;

namespace {

bool SameEntry(const ClassEntry& a, const ClassEntry& b)
{
    return a.clsid == b.clsid && a.library == b.library && a.progId == b.progId &&
           a.typeName == b.typeName && a.threadingModel == b.threadingModel &&
           a.miscStatus == b.miscStatus && a.toolboxBitmap == b.toolboxBitmap &&
           a.typeLibId == b.typeLibId && a.typeLibVersion == b.typeLibVersion &&
           a.control == b.control;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    static int run = 0;
    // A new name every run: the settings cache must not mistake one file
    // for the one before it.
    const QString path = dir.filePath(QStringLiteral("registry%1.ini").arg(++run));
    {
        QFile file(path);
        Require(file.open(QIODevice::WriteOnly), "the test file can be written");
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    Registry registry(path);
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("ProgID"));
    const QStringList progIds = settings.childKeys();
    settings.endGroup();
    for (const QString& progId : progIds) {
        if (const auto entry = registry.classByProgId(progId))
            Require(entry->clsid == entry->clsid.trimmed().toUpper(), "identifiers are normalised");
    }

    ClassEntry entry;
    entry.clsid = QStringLiteral("{D11CFF3A-2288-4F34-9EBF-5028CFCF674B}");
    entry.library = QStringLiteral("/usr/lib/libTK28950.so");
    entry.progId = QStringLiteral("TK28950.TK28950Ctrl.1");
    entry.typeName = QStringLiteral("TK28950 Control");
    entry.threadingModel = QStringLiteral("Apartment");
    entry.miscStatus = 0x20181;
    entry.control = true;
    if (registry.registerClass(entry) == component::kOk) {
        const auto byId = registry.classById(entry.clsid.toLower());
        const auto byProgId = registry.classByProgId(entry.progId);
        Require(byId && SameEntry(*byId, entry), "a registered class reads back by identifier");
        Require(byProgId && SameEntry(*byProgId, entry),
                "a registered class reads back by programmatic identifier");
    }
    QFile::remove(path);
    return 0;
}
