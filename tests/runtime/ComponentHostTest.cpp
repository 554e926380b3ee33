#include "ComponentHost.h"
#include "Exports.h"
#include "TestPaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace component;

namespace {

constexpr DispId kValue = 1;
constexpr DispId kAdd = 2;

bool isLoaded(const QString& path)
{
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

struct RecordingSink : EventSink {
    QVector<std::pair<DispId, QString>> events;
    void onEvent(DispId event, const QString& text) override { events.append({event, text}); }
};

CreatedObject createCounter()
{
    CreatedObject created;
    QString error;
    EXPECT_EQ(createObjectFromLibrary(testpaths::component(),
                                      QLatin1String(testpaths::kCounterClsid), &created, &error),
              kOk)
        << error.toStdString();
    return created;
}

} // namespace

TEST(ComponentHost, ObjectFromTheLibraryAnswersByDispidAndRaisesEvents)
{
    CreatedObject created = createCounter();
    ASSERT_TRUE(created.object);
    EXPECT_EQ(created.entry.library, testpaths::component());
    DispatchObject& counter = *created.object;

    DispId dispid = 0;
    EXPECT_EQ(counter.idOfName(QStringLiteral("add"), &dispid), kOk);
    EXPECT_EQ(dispid, kAdd);
    EXPECT_EQ(counter.idOfName(QStringLiteral("Subtract"), &dispid), kUnknownName);

    RecordingSink sink;
    counter.advise(&sink);
    Variant result;
    EXPECT_EQ(counter.invoke(kValue, InvokeKind::PropertyPut, {Variant("40")}, nullptr), kOk);
    EXPECT_EQ(counter.invoke(kAdd, InvokeKind::Method, {Variant(std::int16_t{2})}, &result), kOk);
    EXPECT_EQ(result, Variant(std::int32_t{42}));
    EXPECT_EQ(counter.invoke(kValue, InvokeKind::PropertyGet, {}, &result), kOk);
    EXPECT_EQ(result, Variant(std::int32_t{42}));
    ASSERT_EQ(sink.events.size(), 1);
    EXPECT_EQ(sink.events.first(), std::make_pair(DispId{1}, QStringLiteral("42")));
    counter.advise(nullptr);
}

TEST(ComponentHost, CallErrorsComeBackAsCodes)
{
    CreatedObject created = createCounter();
    ASSERT_TRUE(created.object);
    DispatchObject& counter = *created.object;
    Variant result;
    EXPECT_EQ(counter.invoke(99, InvokeKind::Method, {}, &result), kMemberNotFound);
    EXPECT_EQ(counter.invoke(kAdd, InvokeKind::PropertyGet, {}, &result), kMemberNotFound);
    EXPECT_EQ(counter.invoke(kAdd, InvokeKind::Method, {}, &result), kBadParamCount);
    EXPECT_EQ(counter.invoke(kAdd, InvokeKind::Method, {Variant("----")}, &result), kTypeMismatch);
    EXPECT_EQ(counter.invoke(kAdd, InvokeKind::Method, {Variant(1e12)}, &result), kOverflow);
}

TEST(ComponentHost, FailuresSayWhy)
{
    CreatedObject created;
    QString error;
    EXPECT_EQ(createObjectFromLibrary(testpaths::component(),
                                      QStringLiteral("{00000000-0000-0000-0000-000000000000}"),
                                      &created, &error),
              kClassNotAvailable);
    EXPECT_TRUE(error.contains(QStringLiteral("0x80040111 (class not available)")))
        << error.toStdString();
    EXPECT_EQ(createObjectFromLibrary(QStringLiteral("/nonexistent/libnone.so"),
                                      QLatin1String(testpaths::kCounterClsid), &created, &error),
              kFail);
    // The loader's own words, which name the file.
    EXPECT_TRUE(
        error.contains(QStringLiteral("/nonexistent/libnone.so: cannot open shared object")))
        << error.toStdString();
    EXPECT_FALSE(created.object);
}

TEST(ComponentHost, ProgIdResolvesThroughTheRegistry)
{
    QTemporaryDir dir;
    const Registry registry(dir.filePath(QStringLiteral("registry.ini")));
    CreatedObject created;
    QString error;
    EXPECT_EQ(createObject(registry, QLatin1String(testpaths::kCounterProgId), &created, &error),
              kClassNotRegistered);
    EXPECT_EQ(error, QStringLiteral("class TK28950Test.Counter.1 is not registered (registry: %1)")
                         .arg(registry.path()));

    ClassEntry entry;
    entry.clsid = QLatin1String(testpaths::kCounterClsid);
    entry.progId = QLatin1String(testpaths::kCounterProgId);
    entry.library = dir.filePath(QStringLiteral("moved-away.so"));
    ASSERT_EQ(Registry(registry.path()).registerClass(entry), kOk);
    EXPECT_EQ(createObject(registry, entry.progId, &created, &error), kFail);
    EXPECT_TRUE(error.contains(QStringLiteral("moved-away.so"))) << error.toStdString();

    entry.library = testpaths::component();
    ASSERT_EQ(Registry(registry.path()).registerClass(entry), kOk);
    EXPECT_EQ(createObject(registry, entry.progId, &created, &error), kOk) << error.toStdString();
    ASSERT_TRUE(created.object);
    EXPECT_EQ(created.entry.progId, entry.progId);
}

// Programs read the user's registry and then the machine's: a class that
// neither knows is reported with both files.
TEST(ComponentHost, AClassRegisteredNowhereNamesBothRegistries)
{
    QTemporaryDir dir;
    const QByteArray savedRegistry = qgetenv("TK28950_REGISTRY");
    const QByteArray savedSystem = qgetenv("TK28950_SYSCONFDIR");
    qputenv("TK28950_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("user.ini"))));
    qputenv("TK28950_SYSCONFDIR", QFile::encodeName(dir.filePath(QStringLiteral("etc"))));
    CreatedObject created;
    QString error;
    EXPECT_EQ(createObject(Registry(), QLatin1String(testpaths::kCounterProgId), &created, &error),
              kClassNotRegistered);
    EXPECT_EQ(error, QStringLiteral("class TK28950Test.Counter.1 is not registered (registries: "
                                    "%1/user.ini and %1/etc/registry.ini)")
                         .arg(dir.path()));
    qputenv("TK28950_REGISTRY", savedRegistry);
    qputenv("TK28950_SYSCONFDIR", savedSystem);
}

TEST(ComponentHost, LibraryIsUnloadedOnlyWhenItSaysItMayBe)
{
    const QString path = testpaths::component();
    QString error;
    std::shared_ptr<Library> library = Library::load(path, &error);
    ASSERT_TRUE(library) << error.toStdString();
    ObjectPtr object;
    ASSERT_EQ(library->createObject(QLatin1String(testpaths::kCounterClsid), &object), kOk);

    library.reset();
    ASSERT_TRUE(isLoaded(path)) << "unloaded under a live object";
    Variant result;
    EXPECT_EQ(object->invoke(kAdd, InvokeKind::Method, {Variant(std::int32_t{1})}, &result), kOk);
    freeUnusedLibraries();
    EXPECT_TRUE(isLoaded(path));

    object.reset();
    freeUnusedLibraries();
    EXPECT_FALSE(isLoaded(path));

    library = Library::load(path, &error);
    ASSERT_TRUE(library);
    const auto canUnloadNow =
        reinterpret_cast<DllCanUnloadNowFn>(library->symbol(exports::kCanUnloadNow));
    ASSERT_TRUE(canUnloadNow);
    EXPECT_EQ(canUnloadNow(), kOk);
    library.reset();
    EXPECT_FALSE(isLoaded(path));

    // Replacing a created object lets its library go too.
    CreatedObject created = createCounter();
    ASSERT_TRUE(isLoaded(path));
    created = CreatedObject();
    EXPECT_FALSE(isLoaded(path));
}
