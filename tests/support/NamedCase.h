#pragma once

#include <concepts>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

// A case of a parametrised test that carries its name: failure messages and test
// listings show the case by it (`ByName` names the tests after it).
struct NamedCase {
    // A constructor, not an aggregate: a case lists its name first without braces of its
    // own, and clang warns about braces left out around an aggregate base.
    constexpr NamedCase(const char* caseName) : name(caseName) {}

    const char* name;
};

template <std::derived_from<NamedCase> Case>
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

inline constexpr auto ByName = [](const auto& info) { return std::string(info.param.name); };
