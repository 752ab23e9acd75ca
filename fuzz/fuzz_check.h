// How a fuzz target reports a rule broken by an input: a line on standard error naming the
// target and the rule, then an abort, which libFuzzer keeps as a finding.
#pragma once

#include <cstdio>
#include <cstdlib>

// Each target's own name, defined beside its LLVMFuzzerTestOneInput.
extern const char* const fuzz_target_name;

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "%s: %s\n", fuzz_target_name, what);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}
