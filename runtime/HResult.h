#pragma once
// Result codes of the component runtime. The numbers are those that hosts of
// the control already know, so a host can compare them without our headers.
#include <cstdint>

namespace component {

using HResult = std::int32_t;

constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);
constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult kPointer = static_cast<HResult>(0x80004003u);
constexpr HResult kFail = static_cast<HResult>(0x80004005u);
constexpr HResult kInvalidArgument = static_cast<HResult>(0x80070057u);
constexpr HResult kMemberNotFound = static_cast<HResult>(0x80020003u);
constexpr HResult kTypeMismatch = static_cast<HResult>(0x80020005u);
constexpr HResult kUnknownName = static_cast<HResult>(0x80020006u);
constexpr HResult kException = static_cast<HResult>(0x80020009u);
constexpr HResult kOverflow = static_cast<HResult>(0x8002000Au);
constexpr HResult kBadParamCount = static_cast<HResult>(0x8002000Eu);
constexpr HResult kClassNotAvailable = static_cast<HResult>(0x80040111u);
constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);
constexpr HResult kTypeLibRegistrationFailed = static_cast<HResult>(0x80040200u);
constexpr HResult kClassRegistrationFailed = static_cast<HResult>(0x80040201u);

inline bool succeeded(HResult hr)
{
    return hr >= 0;
}
inline bool failed(HResult hr)
{
    return hr < 0;
}

// A short English name for a result code, for messages to people.
const char* describe(HResult hr);

} // namespace component
