#pragma once

// The 32-apparatus topology of the heaviest configuration: two busbar sections with a coupler,
// seven bays of a breaker, two disconnectors and an earthing switch, an earthing switch on a
// busbar. The topology and mimic benchmarks share it.

#include <string>
#include <vector>

namespace worst_case {

// Blocks 1..3: the coupler (QS, Q, QS); 4: a busbar earthing switch; then 7 bays of four.
inline std::vector<std::string> Topology32() {
    std::vector<std::string> t = {"NODE B1",
                                  "NODE B2",
                                  "NODE C1",
                                  "NODE C2",
                                  "DISCONNECTOR B1 C1 BLOCK 1",
                                  "BREAKER C1 C2 BLOCK 2",
                                  "DISCONNECTOR C2 B2 BLOCK 3",
                                  "EARTHING B2 BLOCK 4"};
    int block = 5;
    for (int bay = 1; bay <= 7; ++bay) {
        const std::string n = std::to_string(bay);
        const std::string bus = bay <= 4 ? "B1" : "B2";
        for (const char* node : {"X", "Y", "L"}) t.push_back(std::string("NODE ") + node + n);
        t.push_back("DISCONNECTOR " + bus + " X" + n + " BLOCK " + std::to_string(block++));
        t.push_back("BREAKER X" + n + " Y" + n + " BLOCK " + std::to_string(block++));
        t.push_back("DISCONNECTOR Y" + n + " L" + n + " BLOCK " + std::to_string(block++));
        t.push_back("EARTHING L" + n + " BLOCK " + std::to_string(block++));
        // Bays 1 and 5 are incoming feeders, the others feed loads.
        t.push_back((bay == 1 || bay == 5 ? "SOURCE L" : "LOAD L") + n);
    }
    t.push_back("INDICATOR S200 B1");
    t.push_back("INDICATOR S201 B2");
    return t;
}

}  // namespace worst_case
