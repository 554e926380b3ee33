// The member table and the type library that the library carries must tell
// hosts the same thing: every published member under the same dispid, name,
// kind, parameters, type and help string, and nothing the table does not serve.
#include "DispatchTable.h"
#include "TypeLib.h"
#include "module/CellMap.h"
#include "resources/TK28950Members.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

component::TypeLibrary typeLibrary()
{
    QFile file(QStringLiteral(TK28950_TYPELIB_JSON));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << TK28950_TYPELIB_JSON;
    QString error;
    const auto library = component::TypeLibrary::fromJson(file.readAll(), &error);
    EXPECT_TRUE(library.has_value()) << qPrintable(error);
    return library.value_or(component::TypeLibrary{});
}

QString kindOf(const dispatch::Member& member)
{
    return member.kind == dispatch::MemberKind::Method ? QStringLiteral("method")
                                                       : QStringLiteral("property");
}

QStringList paramsOf(const dispatch::Member& member)
{
    QStringList params;
    for (const dispatch::Param& param : member.params)
        params << QStringLiteral("%1:%2").arg(param.name, dispatch::typeName(param.type));
    return params;
}

} // namespace

TEST(MemberTable, AgreesWithTheTypeLibrary)
{
    const component::TypeLibrary library = typeLibrary();
    const component::TypeLibInterface* published = library.interface("_DTK28950");
    ASSERT_NE(published, nullptr);

    int publishedCount = 0;
    for (const dispatch::Member& member : dispatch::controlMembers()) {
        const auto entry = published->member(member.dispid);
        if (!member.published) {
            EXPECT_FALSE(entry.has_value()) << member.name << " must not be published";
            continue;
        }
        ++publishedCount;
        ASSERT_TRUE(entry.has_value()) << member.name;
        EXPECT_EQ(entry->name, member.published);
        EXPECT_EQ(entry->kind, kindOf(member)) << member.name;
        EXPECT_EQ(entry->type, dispatch::typeName(member.type)) << member.name;
        EXPECT_EQ(entry->params, paramsOf(member)) << member.name;
        EXPECT_EQ(entry->readOnly, member.kind == dispatch::MemberKind::Property && !member.put)
            << member.name;
        const QString help =
            member.dispid == -552 ? QString() : kindOf(member) + " " + member.published;
        EXPECT_EQ(entry->helpString, help) << member.name;
    }
    EXPECT_EQ(published->members.size(), publishedCount);
    EXPECT_EQ(published->member(25)->name, "ScaleFactorX");
    EXPECT_FALSE(published->member(23).has_value());
}

// idOfName ignores the letter case, so no two members may share a name in
// any case.
TEST(MemberTable, DispidsAndNamesAreUnique)
{
    QList<int> dispids;
    QStringList names;
    for (const dispatch::Member& member : dispatch::controlMembers()) {
        dispids << member.dispid;
        names << QString(member.name).toLower();
        if (member.published && QString(member.published) != member.name)
            names << QString(member.published).toLower();
    }
    EXPECT_EQ(QSet<int>(dispids.begin(), dispids.end()).size(), dispids.size());
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(dispids.size(), 45);
}

// The facts hosts read about each method (how its result comes, how many
// exchanges it makes) must describe the methods the table serves: every
// method has its row, a method that waits inside the call is not said to
// answer by event, and a bound leaves room for every cell a call writes.
TEST(MemberTable, MethodFactsDescribeEveryMethodAsTheTableServesIt)
{
    int methods = 0;
    for (const dispatch::Member& member : dispatch::controlMembers()) {
        const tk28950::MethodFacts* facts = tk28950::methodFacts(member.dispid);
        if (member.kind == dispatch::MemberKind::Property) {
            EXPECT_EQ(facts, nullptr) << member.name << " is a property";
            continue;
        }
        ++methods;
        ASSERT_NE(facts, nullptr) << member.name << " has no facts for hosts";
        const bool waits = member.waits & dispatch::kCallWaits;
        const bool waitsSaysFacts = facts->result == tk28950::Result::WaitsForOk ||
                                    facts->result == tk28950::Result::WaitsForValue;
        EXPECT_EQ(waits, waitsSaysFacts) << member.name;
        EXPECT_EQ(facts->exchanges > 0, facts->result != tk28950::Result::Immediate) << member.name;
    }
    EXPECT_EQ(std::size(tk28950::kMethodFacts), size_t(methods));
    EXPECT_GE(tk28950::methodFacts(tk28950::dispid::LoadCoef)->exchanges, CellMap::kCoefCount);
}
