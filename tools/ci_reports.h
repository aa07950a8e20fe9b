#pragma once

// Findings of one checked configuration in the form CI systems read: SARIF 2.1.0 results
// located at lines of the configuration file, and JUnit XML test cases.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "interlock/workspace.h"

namespace check {

struct Finding {
    std::string ruleId;
    std::string level;    // "error", "warning", "note"
    std::string message;  // UTF-8
    int line = 0;         // in the configuration file, from 1; 0: the file as a whole
};

struct TestCase {
    std::string classname;
    std::string name;
    bool failed = false;
    bool skipped = false;
    std::string message;  // UTF-8: the failure, or why skipped
};

struct FileFindings {
    std::string file;  // the configuration, as given on the command line
    std::vector<Finding> results;
    std::vector<TestCase> tests;
};

// Where the lines of a configuration text are: block headers and logic lines.
class ConfigLocator {
public:
    explicit ConfigLocator(const std::vector<std::string>& lines);
    int Header(int block) const;                                      // 0 when absent
    int Logic(int block, interlock::Side side, int logicLine) const;  // the header when absent

private:
    std::vector<int> header_;
    std::vector<std::vector<int>> on_, off_;  // file lines of each block's logic lines
};

nlohmann::ordered_json FindingsToJson(const FileFindings& f);
FileFindings FindingsFromJson(const nlohmann::json& j);

std::string ToSarif(const std::vector<FileFindings>& files);
std::string ToJunit(const std::vector<FileFindings>& files);

}  // namespace check
