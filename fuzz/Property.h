#pragma once
// What a fuzz target checks beyond "no crash": a property of the parser's
// result that must hold for every input. A broken property aborts, which
// the fuzzer reports as a finding with the input that broke it.
#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}
