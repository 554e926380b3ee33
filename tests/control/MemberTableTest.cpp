// The control's published interface, as hosts read it from the type library
// made from the member table, and the member table as the control serves it.
#include "DispatchTable.h"
#include "PublishedInterface.h"
#include "TypeLib.h"
#include "resources/TK28950Members.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

using tk28950::MemberFacts;

// What the control publishes: dispid, name, kind, type, parameters, whether
// a property is read-only, and help string, one member a line. A member
// added to the table is added here, on purpose.
const char kPublished[] = R"(-552 AboutBox method none ()
2 InitModule method text (PortNumber:text) "method InitModule"
3 SendCMD method text (CMD:text) "method SendCMD"
4 ReadTemperature method text (Temperature:text) "method ReadTemperature"
5 ResetModule method text () "method ResetModule"
6 Sleep method text (vOn:boolean) "method Sleep"
7 Correction method text (vStatus:boolean) "method Correction"
8 OutputAngle method text (vStatus:boolean) "method OutputAngle"
9 EnableDAC method text (vStatus:boolean) "method EnableDAC"
10 ResetEEPROM method text () "method ResetEEPROM"
11 ReadXChan method text (Option:byte) "method ReadXChan"
12 ReadYChan method text (Option:byte) "method ReadYChan"
13 ReadEEPROM method text (Address:text) "method ReadEEPROM"
14 WriteEEPROM method text (Address:text Value:text) "method WriteEEPROM"
17 StupAngleOn method text (vStatus:boolean) "method StupAngleOn"
18 EnResetEE method text (vStatus:boolean) "method EnResetEE"
19 StupEnCorrection method text (vStatus:boolean) "method StupEnCorrection"
20 Version method text () "method Version"
24 LoadCoef method text (Axis:text File:text) "method LoadCoef"
40 RangeAvailable method text () "method RangeAvailable"
42 EnableTempCorr method text (vStatus:boolean) "method EnableTempCorr"
43 TemperatureCoef method text (Axis:text MTenSlope:text MTenOff:text FiftySlope:text FiftyOff:text) "method TemperatureCoef"
1 ModuleName property text "property ModuleName"
15 GlobalXOff property short "property GlobalXOff"
16 GlobalYOff property short "property GlobalYOff"
21 GainX property text "property GainX"
22 GainY property text "property GainY"
25 ScaleFactorX property short "property ScaleFactorX"
26 ThreWind1 property short "property ThreWind1"
27 ThreWind2 property short "property ThreWind2"
28 Threshold1 property short "property Threshold1"
29 Threshold2 property short "property Threshold2"
30 Signal1 property short "property Signal1"
31 Signal2 property short "property Signal2"
32 Signal3 property short "property Signal3"
33 Signal4 property short "property Signal4"
34 SN property short "property SN"
35 AmpX property short "property AmpX"
36 AmpY property short "property AmpY"
37 ScaleFactorY property short "property ScaleFactorY"
38 ZoomX property short "property ZoomX"
39 ZoomY property short "property ZoomY"
41 TemperatureOffset property text "property TemperatureOffset"
50 PortError property text readonly "property PortError")";

QString readFile(const char* path)
{
    QFile file(QString::fromUtf8(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return QString::fromUtf8(file.readAll());
}

component::TypeLibrary typeLibrary(const QString& json)
{
    QString error;
    const auto library = component::TypeLibrary::fromJson(json.toUtf8(), &error);
    EXPECT_TRUE(library.has_value()) << qPrintable(error);
    return library.value_or(component::TypeLibrary{});
}

// The dispatch interface of a type library, one member a line as above.
QStringList listing(const component::TypeLibrary& library)
{
    const component::TypeLibInterface* members = library.interface("_DTK28950");
    EXPECT_NE(members, nullptr);
    QStringList lines;
    if (!members)
        return lines;
    for (const component::TypeLibMember& member : members->members) {
        QString line = QStringLiteral("%1 %2 %3 %4")
                           .arg(member.dispid)
                           .arg(member.name, member.kind, member.type);
        if (member.kind == "method")
            line += QStringLiteral(" (%1)").arg(member.params.join(' '));
        if (member.readOnly)
            line += QStringLiteral(" readonly");
        if (!member.helpString.isEmpty())
            line += QStringLiteral(" \"%1\"").arg(member.helpString);
        lines << line;
    }
    return lines;
}

QString fillTypeLibrary(std::span<const MemberFacts> rows)
{
    return published::fill(readFile(TK28950_TYPELIB_TEMPLATE), rows);
}

const dispatch::Member* find(const QVector<dispatch::Member>& members, int dispid)
{
    for (const dispatch::Member& member : members) {
        if (member.dispid == dispid)
            return &member;
    }
    return nullptr;
}

} // namespace

// The type library the build made, as a host reads it, holds the published
// interface and nothing else; the tool's lists show the same members.
TEST(PublishedInterface, TypeLibraryAndNameListsHoldThePublishedMembers)
{
    const QStringList expected = QString::fromUtf8(kPublished).split('\n');
    EXPECT_EQ(listing(typeLibrary(readFile(TK28950_TYPELIB_JSON))), expected);

    QStringList properties;
    QStringList methods;
    for (const QString& line : expected)
        (line.section(' ', 2, 2) == "property" ? properties : methods) << line.section(' ', 1, 1);
    const auto fill = [](const char* text) {
        return published::fill(QString::fromLatin1(text), tk28950::members::kTable);
    };
    EXPECT_EQ(fill("@TK28950_PROPERTIES@"), properties.join(' '));
    EXPECT_EQ(fill("@TK28950_METHODS@"), methods.join(' '));
    EXPECT_EQ(fill("@TK28950_PROPERTY_LIST@"), properties.join(", "));
}

// The worked example of adding a property: one row in the member table is
// all the control and the generated interface need (here a second name for
// the cells of ThreWind2, under a dispid of its own).
TEST(PublishedInterface, ARowAddedToTheTableIsPublishedAndServed)
{
    std::vector<MemberFacts> rows(std::begin(tk28950::members::kTable),
                                  std::end(tk28950::members::kTable));
    const int dispid =
        std::max_element(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return a.dispid < b.dispid; })
            ->dispid +
        1;
    rows.push_back({.dispid = dispid,
                    .name = "ScratchWindow",
                    .cells = {tk28950::CellShape::Word, CellMap::kThresholdWindow2}});

    const QStringList lines = listing(typeLibrary(fillTypeLibrary(rows)));
    EXPECT_EQ(lines.size(), QString::fromUtf8(kPublished).split('\n').size() + 1);
    EXPECT_EQ(
        lines.last(),
        QStringLiteral("%1 ScratchWindow property short \"property ScratchWindow\"").arg(dispid));
    EXPECT_TRUE(published::fill("@TK28950_PROPERTIES@", rows).endsWith(" ScratchWindow"));

    const QVector<dispatch::Member> members = dispatch::membersOf(rows);
    const dispatch::Member* added = find(members, dispid);
    ASSERT_NE(added, nullptr);
    EXPECT_STREQ(added->name, "ScratchWindow");
    EXPECT_TRUE(added->call && added->put);
    EXPECT_EQ(added->waits, unsigned(dispatch::kBothWait));
}

// A method needs code of its own: a row without it is served by nothing,
// and every row of the real table is served, a property written unless it
// is read-only.
TEST(MemberTable, EveryRowIsServed)
{
    const MemberFacts unserved[] = {{.dispid = 999,
                                     .name = "Unserved",
                                     .kind = tk28950::MemberKind::Method,
                                     .type = tk28950::ValueType::Text}};
    EXPECT_FALSE(dispatch::membersOf(unserved).first().call);

    for (const dispatch::Member& member : dispatch::controlMembers()) {
        EXPECT_TRUE(member.call) << member.name;
        const bool writable = member.kind == dispatch::MemberKind::Property &&
                              !tk28950::memberFacts(member.dispid)->readOnly;
        EXPECT_EQ(bool(member.put), writable) << member.name;
    }
}

// idOfName ignores the letter case, so no two members may share a name in
// any case.
TEST(MemberTable, DispidsAndNamesAreUnique)
{
    QList<int> dispids;
    QStringList names;
    for (const MemberFacts& row : tk28950::members::kTable) {
        dispids << row.dispid;
        names << QString(row.name).toLower();
        if (row.alias)
            names << QString(row.alias).toLower();
    }
    EXPECT_EQ(QSet<int>(dispids.begin(), dispids.end()).size(), dispids.size());
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

// Hosts bound a call by its exchanges: a method that sends anything makes
// at least one, and a coefficient load one for every cell it writes.
TEST(MemberTable, MethodExchangesBoundWhatTheCallSends)
{
    for (const MemberFacts& row : tk28950::members::kTable) {
        if (row.kind == tk28950::MemberKind::Method) {
            EXPECT_EQ(row.exchanges > 0, row.result != tk28950::Result::Immediate) << row.name;
        }
    }
    EXPECT_GE(tk28950::methodFacts(tk28950::dispid::LoadCoef)->exchanges, CellMap::kCoefCount);
    EXPECT_EQ(tk28950::methodFacts(tk28950::dispid::ZoomX), nullptr);
}
