#pragma once
// The four entry points that every component library exports, with C linkage,
// and the names a host resolves them by.
#include "Dispatch.h"

extern "C" {
using DllRegisterServerFn = component::HResult (*)();
using DllUnregisterServerFn = component::HResult (*)();
// clsid is the class identifier in registry form: "{D11CFF3A-...}".
using DllGetClassObjectFn = component::HResult (*)(const char* clsid,
                                                   component::ClassFactory** factory);
using DllCanUnloadNowFn = component::HResult (*)();
}

namespace component::exports {
constexpr const char* kRegisterServer = "DllRegisterServer";
constexpr const char* kUnregisterServer = "DllUnregisterServer";
constexpr const char* kGetClassObject = "DllGetClassObject";
constexpr const char* kCanUnloadNow = "DllCanUnloadNow";
} // namespace component::exports
