#include "TypeLib.h"
#include "ComponentHost.h"
#include "TestPaths.h"

#include <QResource>
#include <gtest/gtest.h>

using namespace component;

namespace {

const QByteArray kLibrary = R"({
  "name": "DemoLib", "libId": "{1CC25E9C-2861-4C7A-8F1E-9A21443A9414}", "version": "1.0",
  "locale": "409", "helpString": "Demo", "helpFile": "demo.hlp", "helpContext": 7,
  "futureKey": {"ignored": true},
  "interfaces": [
    {"name": "_DDemo", "iid": "{1931B6E1-F23D-4C43-A214-AF8CAF5879F6}", "helpString": "Dispatch",
     "members": [
       {"dispid": -552, "name": "AboutBox", "kind": "method", "type": "none", "params": []},
       {"dispid": 2, "name": "InitModule", "kind": "method", "type": "text",
        "params": ["PortNumber:text"], "helpString": "method InitModule"},
       {"dispid": 15, "name": "GlobalXOff", "kind": "property", "type": "short",
        "helpString": "property GlobalXOff"},
       {"dispid": 6, "name": "Sleep", "kind": "method", "type": "text", "params": ["vOn:boolean"]},
       {"dispid": 30, "name": "Signal1", "kind": "property", "type": "text", "readOnly": true}
     ]},
    {"name": "_DDemoEvents", "events": true,
     "members": [{"dispid": 1, "name": "DataReady", "kind": "event", "params": ["Data:text"]}]}
  ],
  "classes": [
    {"name": "Demo", "clsid": "{D11CFF3A-2288-4F34-9EBF-5028CFCF674B}", "helpString": "Demo Control",
     "defaultInterface": "_DDemo", "defaultSource": "_DDemoEvents", "creatable": true, "control": true}
  ]
})";

QString errorOf(const QByteArray& json)
{
    QString error;
    EXPECT_FALSE(TypeLibrary::fromJson(json, &error)) << json.toStdString();
    return error;
}

QByteArray withMember(const char* member)
{
    return QByteArray(
               R"({"name": "L", "libId": "{X}", "version": "1.0", "interfaces": [{"name": "I", "members": [)") +
           member + "]}]}";
}

} // namespace

TEST(TypeLibJson, ReadsEveryField)
{
    QString error;
    const std::optional<TypeLibrary> lib = TypeLibrary::fromJson(kLibrary, &error);
    ASSERT_TRUE(lib) << error.toStdString();
    EXPECT_EQ(lib->name, QStringLiteral("DemoLib"));
    EXPECT_EQ(lib->libId, QStringLiteral("{1CC25E9C-2861-4C7A-8F1E-9A21443A9414}"));
    EXPECT_EQ(lib->version, QStringLiteral("1.0"));
    EXPECT_EQ(lib->locale, QStringLiteral("409"));
    EXPECT_EQ(lib->helpFile, QStringLiteral("demo.hlp"));
    EXPECT_EQ(lib->helpContext, 7);

    const TypeLibInterface* dispatch = lib->interface(QStringLiteral("_DDemo"));
    ASSERT_TRUE(dispatch);
    EXPECT_FALSE(dispatch->events);
    EXPECT_EQ(dispatch->members.first().dispid, -552);
    const std::optional<TypeLibMember> init = dispatch->member(2);
    ASSERT_TRUE(init);
    EXPECT_EQ(init->name, QStringLiteral("InitModule"));
    EXPECT_EQ(init->kind, QStringLiteral("method"));
    EXPECT_EQ(init->type, QStringLiteral("text"));
    EXPECT_EQ(init->params, QStringList{QStringLiteral("PortNumber:text")});
    EXPECT_EQ(init->helpString, QStringLiteral("method InitModule"));
    EXPECT_FALSE(init->readOnly);
    EXPECT_TRUE(dispatch->member(30)->readOnly);
    EXPECT_FALSE(dispatch->member(23));
    EXPECT_EQ(lib->interface(QStringLiteral("_DDemoEvents"))->members.first().type,
              QStringLiteral("none"));
    EXPECT_FALSE(lib->interface(QStringLiteral("_DNone")));

    ASSERT_EQ(lib->classes.size(), 1);
    const TypeLibClass& demo = lib->classes.first();
    EXPECT_EQ(demo.clsid, QStringLiteral("{D11CFF3A-2288-4F34-9EBF-5028CFCF674B}"));
    EXPECT_EQ(demo.defaultInterface, QStringLiteral("_DDemo"));
    EXPECT_EQ(demo.defaultSource, QStringLiteral("_DDemoEvents"));
    EXPECT_TRUE(demo.creatable);
    EXPECT_TRUE(demo.control);
}

TEST(TypeLibJson, ErrorsSayWhatAndWhere)
{
    EXPECT_TRUE(errorOf("{\"name\": ").startsWith(QStringLiteral("not JSON:")));
    EXPECT_EQ(errorOf("[]"), QStringLiteral("expected an object"));
    EXPECT_EQ(errorOf(R"({"name": "L", "version": "1.0"})"), QStringLiteral("libId: missing"));
    EXPECT_EQ(errorOf(R"({"name": 5, "libId": "{X}", "version": "1.0"})"),
              QStringLiteral("name: expected a text"));
    EXPECT_EQ(errorOf(withMember(R"({"dispid": 2.5, "name": "A", "kind": "method"})")),
              QStringLiteral("interfaces[0].members[0].dispid: expected an integer"));
    EXPECT_EQ(errorOf(withMember(R"({"dispid": 1, "name": "A", "kind": "method"},
                                   {"dispid": 1, "name": "B", "kind": "method"})")),
              QStringLiteral("interfaces[0].members[1]: dispid 1 is used twice"));
    EXPECT_EQ(errorOf(withMember(R"({"dispid": 1, "name": "A", "kind": "method"},
                                   {"dispid": 2, "name": "a", "kind": "method"})")),
              QStringLiteral("interfaces[0].members[1]: name a is used twice"));
    EXPECT_EQ(errorOf(withMember(R"({"dispid": 1, "name": "A", "kind": "method", "type": "int"})")),
              QStringLiteral("interfaces[0].members[0].type: unknown type \"int\""));
    EXPECT_EQ(
        errorOf(withMember(R"({"dispid": 1, "name": "A", "kind": "method", "params": ["X"]})")),
        QStringLiteral("interfaces[0].members[0].params[0]: expected \"Name:type\""));
    EXPECT_EQ(
        errorOf(withMember(R"({"dispid": 1, "name": "A", "kind": "event"})")),
        QStringLiteral("interfaces[0].members[0].kind: events belong in an events interface"));
    EXPECT_EQ(errorOf(withMember(R"({"dispid": 1, "name": "A", "kind": "function"})")),
              QStringLiteral("interfaces[0].members[0].kind: expected \"method\", \"property\" or "
                             "\"event\""));
    EXPECT_EQ(errorOf(R"({"name": "L", "libId": "{X}", "version": "1.0",
                          "classes": [{"name": "C", "clsid": "{Y}", "defaultInterface": "I"}]})"),
              QStringLiteral("classes[0].defaultInterface: no interface \"I\" in the library"));
}

TEST(TypeLibResource, IsReadFromTheLibraryFile)
{
    QString error;
    const std::optional<TypeLibrary> lib = TypeLibrary::fromLibrary(testpaths::component(), &error);
    ASSERT_TRUE(lib) << error.toStdString();
    EXPECT_EQ(lib->name, QStringLiteral("TestCounterLib"));
    EXPECT_EQ(lib->interface(QStringLiteral("_DCounter"))->member(2)->name, QStringLiteral("Add"));

    EXPECT_FALSE(TypeLibrary::fromLibrary(QStringLiteral("/nonexistent/libnone.so"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/libnone.so"))) << error.toStdString();
}

TEST(TypeLibResource, AResourceOfAnotherFileThatHidesTheLibrarysIsAnError)
{
    ASSERT_TRUE(QResource::registerResource(testpaths::hidingResource()));
    QString error;
    const std::optional<TypeLibrary> lib = TypeLibrary::fromLibrary(testpaths::component(), &error);
    QResource::unregisterResource(testpaths::hidingResource());
    EXPECT_FALSE(lib) << lib->name.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("hidden"))) << error.toStdString();
}
