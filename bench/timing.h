#pragma once

// How the benchmarks time their work: medians of repeated runs, in milliseconds.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace timing {

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs `prepare` untimed and `body` timed, `runs` times; the median of the timed parts in ms.
inline double Time(int runs, const std::function<void()>& prepare, const std::function<void()>& body) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        body();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(ms);
}

}  // namespace timing
