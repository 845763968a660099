#pragma once
// Timing helpers the benchmark programs share.

#include <algorithm>
#include <chrono>
#include <vector>

namespace tsu::bench {

// Average time of one call of f over `calls` calls, in microseconds.
template <typename F> double MicrosecondsPerCall(int calls, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        f();
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

// The middle value (the upper one of the two middles for an even count); values must not be empty.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace tsu::bench
