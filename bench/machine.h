#pragma once

// What the benchmarks print about the process and the machine beside their figures: the resident
// size of the process and the load average, since the build machine is shared.

#include <fstream>
#include <string>

namespace machine {

// The resident set of this process in KiB (VmRSS), or -1 when it cannot be read.
inline long ResidentKib() {
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == "VmRSS:") {
            long kib = -1;
            in >> kib;
            return kib;
        }
        std::getline(in, key);
    }
    return -1;
}

// The load averages over 1, 5 and 15 minutes, as /proc/loadavg gives them.
inline std::string LoadAverages() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one.empty() ? "unknown" : one + " " + five + " " + fifteen;
}

}  // namespace machine
