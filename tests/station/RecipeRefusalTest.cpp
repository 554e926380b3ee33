// A recipe with a problem is refused as a whole, naming the line, before
// anything reaches any module.
#include "StationFixture.h"

#include <algorithm>

namespace {

struct Case {
    const char* name;
    QByteArray from; // a line of the standard recipe, or empty to add
    QByteArray to;
    int line;
    const char* says;
};

const Case kCases[] = {
    {"unknown key", "name = \"test line\"\n", "name = \"test line\"\ncolour = 3\n", 2,
     "unknown key colour"},
    {"unknown property", "ZoomX = 8\n", "ZoomZ = 8\n", 11, "unknown property ZoomZ"},
    {"value out of range", "ZoomX = 8\n", "ZoomX = 70000\n", 11, "is not a number from -32768"},
    {"value the property cannot hold", "GainY = 140\n", "GainY = 300\n", 12,
     "GainY: \"300\" is not"},
    {"read-only property", "GainY = 140\n", "PortError = \"x\"\n", 12, "cannot be set"},
    {"missing image", "image = \"golden.txt\"\n", "image = \"silver.txt\"\n", 5, "silver.txt"},
    {"overlapping keep", "keep = [\"13-124\", \"189-190\"]", "keep = [\"13-124\", \"100-190\"]", 6,
     "keep range 100-190 overlaps 13-124"},
    {"bad keep", "keep = [\"13-124\", \"189-190\"]", "keep = [\"13-124\", \"189-290\"]", 6,
     "keep range \"189-290\""},
    {"limits the wrong way round", "max = 40.0\n", "max = 4.0\n", 17, "max 4 is below min 10"},
    {"negative spread", "max_spread = 0.05\n", "max_spread = -0.05\n", 24, "max_spread is below 0"},
    {"no module section", "[module]\nversion = \"TK28950-V1.2.*\"\n", "", 1,
     "the [module] section is missing"},
    {"not TOML", "min = 10.0\n", "min = 10.0.0\n", 16, ""},
    {"unknown reading", "read = \"x\"\n", "read = \"z\"\n", 20, "read z is neither"},
};

using RecipeRefusal = StationFixture;

} // namespace

TEST_F(RecipeRefusal, EachProblemIsNamedByItsLineAndNothingIsSent)
{
    Simulator& module = startModule(1001);
    for (const Case& problem : kCases) {
        SCOPED_TRACE(problem.name);
        QByteArray body = standardRecipe();
        ASSERT_TRUE(body.contains(problem.from));
        body.replace(body.indexOf(problem.from), problem.from.size(), problem.to);
        const QString recipe = writeRecipe(body, {1001});
        const ToolResult result = run(QStringList{"provision", recipe} + deviceArguments());
        EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
        const QString where = QStringLiteral("%1:%2: ").arg(recipe).arg(problem.line);
        const QStringList lines = QString::fromUtf8(result.err).split('\n');
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const QString& line) {
                                    return line.startsWith(where) &&
                                           line.contains(QLatin1String(problem.says));
                                }))
            << result.err.toStdString() << "\nexpected: " << where.toStdString() << "..."
            << problem.says;
    }
    EXPECT_TRUE(module.received().isEmpty()) << module.received().toStdString();
}
