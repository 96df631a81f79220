#pragma once

#include <string>

namespace kalvo::test {

// Empty when the two texts are the same; else where they part, with some text of each around
// it, so that a failing comparison of whole saved files stays readable.
inline std::string difference(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return {};
    }
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    const std::size_t from = at > 150 ? at - 150 : 0;
    return "at byte " + std::to_string(at) + ":\n  actual:   " + actual.substr(from, 300) +
           "\n  expected: " + expected.substr(from, 300);
}

}  // namespace kalvo::test
