#pragma once
// Files the build puts beside the tests.
#include <QString>

namespace testpaths {

inline QString component()
{
    return QStringLiteral(TEST_COMPONENT_PATH);
}
inline QString regsvr()
{
    return QStringLiteral(REGSVR_PATH);
}
inline QString hidingResource()
{
    return QStringLiteral(HIDING_RESOURCE_PATH);
}

constexpr const char* kCounterClsid = "{6A0C52E4-7C1B-4C57-9C2E-2B8F4E1D0A11}";
constexpr const char* kCounterProgId = "TK28950Test.Counter.1";

} // namespace testpaths
