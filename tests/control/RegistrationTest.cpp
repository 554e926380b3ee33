// Registration of the library, its type library as a host reads it, the
// class factories and unloading.
#include "ControlHost.h"
#include "Exports.h"
#include "Registry.h"
#include "TK28950Dispids.h"
#include "TypeLib.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString registryFile(const QTemporaryDir& dir)
{
    return dir.filePath(QStringLiteral("registry.ini"));
}

} // namespace

TEST(Registration, BothClassesAndTheTypeLibraryAreRegistered)
{
    const component::Registry registry;
    const auto control = registry.classByProgId(tk28950::kProgId);
    ASSERT_TRUE(control.has_value());
    EXPECT_EQ(control->clsid.toUpper(), QString(tk28950::kControlClsid).toUpper());
    EXPECT_EQ(control->library, QFileInfo(library::path()).absoluteFilePath());
    EXPECT_EQ(control->typeName, "TK28950 Control");
    EXPECT_EQ(control->threadingModel, "Apartment");
    EXPECT_EQ(control->miscStatus, 0x20191u);
    EXPECT_EQ(control->toolboxBitmap, control->library + ",1");
    EXPECT_EQ(control->typeLibId.toUpper(), QString(tk28950::kTypeLibId).toUpper());
    EXPECT_EQ(control->typeLibVersion, "1.0");
    EXPECT_TRUE(control->control);

    const auto page = registry.classByProgId(tk28950::kPropPageProgId);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->clsid.toUpper(), QString(tk28950::kPropPageClsid).toUpper());
    EXPECT_EQ(page->typeName, "TK28950 Property Page");
    EXPECT_FALSE(page->control);

    const auto typeLib = registry.typeLib(tk28950::kTypeLibId, "1.0");
    ASSERT_TRUE(typeLib.has_value());
    EXPECT_EQ(typeLib->name, "TK28950 ActiveX Control module");
    EXPECT_EQ(typeLib->locale, "409");
    EXPECT_EQ(typeLib->library, control->library);
}

TEST(Registration, UnregisteredProgIdNoLongerResolves)
{
    QTemporaryDir dir;
    const library::RegistryScope scope(registryFile(dir));
    ASSERT_EQ(library::callExport(component::exports::kRegisterServer), component::kOk);
    {
        ControlHost host;
        EXPECT_TRUE(host.created()) << qPrintable(host.createError());
    }
    EXPECT_EQ(library::callExport(component::exports::kUnregisterServer), component::kOk);

    ControlHost host;
    EXPECT_FALSE(host.created());
    EXPECT_TRUE(host.createError().contains(tk28950::kProgId)) << qPrintable(host.createError());
    const component::Registry registry;
    EXPECT_FALSE(registry.classByProgId(tk28950::kPropPageProgId).has_value());
    EXPECT_FALSE(registry.typeLib(tk28950::kTypeLibId, "1.0").has_value());
}

// A registry that cannot take the type library (its file is a folder) gets
// nothing, and the code says it was the type library that failed.
TEST(Registration, FailedTypeLibraryRegistrationRegistersNoClass)
{
    QTemporaryDir dir;
    const library::RegistryScope scope(dir.path());
    EXPECT_EQ(library::callExport(component::exports::kRegisterServer),
              component::kTypeLibRegistrationFailed);
    EXPECT_FALSE(component::Registry().classByProgId(tk28950::kProgId).has_value());
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST(Registration, TypeLibraryPublishesScaleFactorXAndHidesSerialNumber)
{
    QString error;
    const auto typeLib = component::TypeLibrary::fromLibrary(library::path(), &error);
    ASSERT_TRUE(typeLib.has_value()) << qPrintable(error);
    EXPECT_EQ(typeLib->name, "TK28950Lib");
    EXPECT_EQ(typeLib->helpFile, "TK28950.hlp");
    const component::TypeLibInterface* dispatch = typeLib->interface("_DTK28950");
    ASSERT_NE(dispatch, nullptr);
    ASSERT_TRUE(dispatch->member(25).has_value());
    EXPECT_EQ(dispatch->member(25)->name, "ScaleFactorX");
    EXPECT_FALSE(dispatch->member(23).has_value());
    EXPECT_EQ(dispatch->members.first().name, "AboutBox");
    EXPECT_EQ(dispatch->member(tk28950::dispid::InitModule)->helpString, "method InitModule");

    // Every published member answers to its name on a live control.
    ControlHost host;
    for (const component::TypeLibMember& member : dispatch->members) {
        component::DispId dispid = 0;
        EXPECT_EQ(host.object()->idOfName(member.name, &dispid), component::kOk)
            << qPrintable(member.name);
        EXPECT_EQ(dispid, member.dispid) << qPrintable(member.name);
    }
    const component::TypeLibInterface* events = typeLib->interface("_DTK28950Events");
    ASSERT_NE(events, nullptr);
    EXPECT_TRUE(events->events);
    EXPECT_EQ(events->member(tk28950::event::ErrorComm)->name, "ErrorComm");
}

TEST(Registration, FactoriesServeBothClassesAndHoldTheLibrary)
{
    QString error;
    const auto lib = component::Library::load(library::path(), &error);
    ASSERT_NE(lib, nullptr) << qPrintable(error);
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(lib->symbol(component::exports::kGetClassObject));
    const auto canUnloadNow =
        reinterpret_cast<DllCanUnloadNowFn>(lib->symbol(component::exports::kCanUnloadNow));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    EXPECT_EQ(QImage(":/BITMAP/1").size(), QSize(16, 15)) << "the toolbox bitmap";
    EXPECT_FALSE(QImage(":/ICON/1").isNull());

    component::ClassFactory* factory = nullptr;
    EXPECT_EQ(getClassObject("{00000000-0000-0000-0000-000000000000}", &factory),
              component::kClassNotAvailable);
    ASSERT_EQ(getClassObject("{d11cff3a-2288-4f34-9ebf-5028cfcf674b}", &factory), component::kOk);
    EXPECT_EQ(canUnloadNow(), component::kOk);

    component::DispatchObject* first = nullptr;
    component::DispatchObject* second = nullptr;
    ASSERT_EQ(factory->createInstance(&first), component::kOk);
    ASSERT_EQ(factory->createInstance(&second), component::kOk);
    EXPECT_NE(first, second);
    EXPECT_EQ(canUnloadNow(), component::kFalse);
    first->release();
    second->release();
    EXPECT_EQ(canUnloadNow(), component::kOk);

    factory->lockServer(true);
    EXPECT_EQ(canUnloadNow(), component::kFalse);
    factory->lockServer(false);
    EXPECT_EQ(canUnloadNow(), component::kOk);

    ASSERT_EQ(getClassObject(tk28950::kPropPageClsid, &factory), component::kOk);
    component::DispatchObject* page = nullptr;
    ASSERT_EQ(factory->createInstance(&page), component::kOk);
    component::Variant result;
    EXPECT_EQ(page->invoke(1, component::InvokeKind::Method, {}, &result),
              component::kMemberNotFound);
    page->release();
}
