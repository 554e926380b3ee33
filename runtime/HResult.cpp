#include "HResult.h"

#include <array>

namespace component {

namespace {

struct ResultName {
    HResult code;
    const char* name;
};

constexpr std::array kResultNames{
    ResultName{kOk, "success"},
    ResultName{kFalse, "success (false)"},
    ResultName{kNotImplemented, "not implemented"},
    ResultName{kNoInterface, "no such interface"},
    ResultName{kPointer, "invalid pointer"},
    ResultName{kFail, "unspecified failure"},
    ResultName{kInvalidArgument, "invalid argument"},
    ResultName{kMemberNotFound, "member not found"},
    ResultName{kTypeMismatch, "type mismatch"},
    ResultName{kUnknownName, "unknown name"},
    ResultName{kException, "exception occurred"},
    ResultName{kOverflow, "overflow"},
    ResultName{kBadParamCount, "invalid number of parameters"},
    ResultName{kClassNotAvailable, "class not available"},
    ResultName{kClassNotRegistered, "class not registered"},
    ResultName{kTypeLibRegistrationFailed, "type library registration failed"},
    ResultName{kClassRegistrationFailed, "class registration failed"},
};

} // namespace

const char* describe(HResult hr)
{
    for (const ResultName& entry : kResultNames) {
        if (entry.code == hr)
            return entry.name;
    }
    return failed(hr) ? "unknown failure" : "unknown success";
}

} // namespace component
