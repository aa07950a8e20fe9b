#pragma once

// Findings of one checked configuration in the form CI systems read: SARIF 2.1.0 results
// located at lines of the configuration file, and JUnit XML test cases. A relative file is
// given relative to %SRCROOT%, the folder the check ran in.

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

// A path as a URI reference (RFC 3986): every byte but the unreserved ones and "/" is
// percent-encoded; an absolute path becomes a "file://" URI, a relative one stays relative.
std::string UriReference(const std::string& path);

nlohmann::ordered_json FindingsToJson(const FileFindings& f);
FileFindings FindingsFromJson(const nlohmann::json& j);

std::string ToSarif(const std::vector<FileFindings>& files);
std::string ToJunit(const std::vector<FileFindings>& files);

}  // namespace check
