#include "tools/ci_reports.h"

#include <algorithm>

#include "interlock/int_rule.h"

namespace check {
namespace {

using Json = nlohmann::ordered_json;

std::string XmlEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // XML 1.0 allows no control characters but tab and line breaks.
                if (static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\n' && c != '\r') {
                    out += ' ';
                } else {
                    out += c;
                }
        }
    }
    return out;
}

}  // namespace

ConfigLocator::ConfigLocator(const std::vector<std::string>& lines)
    : header_(interlock::kBlockCount + 1), on_(interlock::kBlockCount + 1), off_(interlock::kBlockCount + 1) {
    // The same walk as the configuration reader: headers inside the "@" section, side marks,
    // and every other line of an open side is a logic line.
    bool section = false;
    int block = 0;
    int side = 0;  // 0 none, 1 on, 2 off
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32) line.pop_back();
        if (line.empty()) continue;
        const int number = static_cast<int>(i + 1);
        if (line == "@") {
            section = !section;
            continue;
        }
        if (line.rfind("##", 0) == 0 && section) {
            const size_t space = line.find(' ', 3);
            int32_t n = 0;
            if (!interlock::IsIntInRange(
                    line.substr(2, space == std::string::npos ? std::string::npos : space - 2), 1,
                    interlock::kBlockCount, &n))
                break;
            block = n;
            side = 0;
            if (!header_[n]) header_[n] = number;
            continue;
        }
        if (line.rfind("#O", 0) == 0) {
            if (line.size() > 2 && line[2] == 'n') side = 2;
            if (line.size() > 2 && line[2] == 'f') side = 1;
            continue;
        }
        if ((line.rfind("F=", 0) == 0 && line.size() >= 258) ||
            (line.rfind("#TS", 0) == 0 && line.size() >= 36) ||
            (line.rfind("#Server_Channel=", 0) == 0 && line.size() > 16) ||
            (line.rfind("#Server_RTU=", 0) == 0 && line.size() > 12) || line.rfind("IF", 0) == 0)
            continue;
        if (line.rfind("END", 0) == 0) {
            side = 0;
            continue;
        }
        if (section && block >= 1 && side) (side == 1 ? on_ : off_)[block].push_back(number);
    }
}

int ConfigLocator::Header(int block) const {
    return block >= 1 && block <= interlock::kBlockCount ? header_[block] : 0;
}

int ConfigLocator::Logic(int block, interlock::Side side, int logicLine) const {
    if (block < 1 || block > interlock::kBlockCount) return 0;
    const std::vector<int>& lines = (side == interlock::Side::On ? on_ : off_)[block];
    if (logicLine >= 1 && static_cast<size_t>(logicLine) <= lines.size()) return lines[logicLine - 1];
    return header_[block];
}

Json FindingsToJson(const FileFindings& f) {
    Json results = Json::array();
    for (const Finding& r : f.results)
        results.push_back({{"rule", r.ruleId}, {"level", r.level}, {"message", r.message}, {"line", r.line}});
    Json tests = Json::array();
    for (const TestCase& t : f.tests) {
        tests.push_back({{"classname", t.classname},
                         {"name", t.name},
                         {"failed", t.failed},
                         {"skipped", t.skipped},
                         {"message", t.message}});
    }
    return {{"file", f.file}, {"results", results}, {"tests", tests}};
}

FileFindings FindingsFromJson(const nlohmann::json& j) {
    FileFindings f;
    f.file = j.at("file").get<std::string>();
    for (const auto& r : j.at("results"))
        f.results.push_back({r.at("rule"), r.at("level"), r.at("message"), r.at("line").get<int>()});
    for (const auto& t : j.at("tests"))
        f.tests.push_back(
            {t.at("classname"), t.at("name"), t.at("failed"), t.at("skipped"), t.at("message")});
    return f;
}

std::string ToSarif(const std::vector<FileFindings>& files) {
    Json results = Json::array();
    std::vector<std::string> rules;
    for (const FileFindings& f : files) {
        for (const Finding& r : f.results) {
            if (std::find(rules.begin(), rules.end(), r.ruleId) == rules.end()) rules.push_back(r.ruleId);
            Json location = {{"physicalLocation", {{"artifactLocation", {{"uri", f.file}}}}}};
            if (r.line > 0) location["physicalLocation"]["region"] = {{"startLine", r.line}};
            results.push_back({{"ruleId", r.ruleId},
                               {"level", r.level},
                               {"message", {{"text", r.message}}},
                               {"locations", Json::array({location})}});
        }
    }
    Json ruleList = Json::array();
    for (const std::string& id : rules) ruleList.push_back({{"id", id}});
    Json run = {{"tool", {{"driver", {{"name", "interlocks-check"}, {"rules", ruleList}}}}},
                {"results", results}};
    Json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                {"version", "2.1.0"},
                {"runs", Json::array({run})}};
    return log.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string ToJunit(const std::vector<FileFindings>& files) {
    int tests = 0;
    int failures = 0;
    std::string suites;
    for (const FileFindings& f : files) {
        int t = 0;
        int fl = 0;
        int sk = 0;
        std::string cases;
        for (const TestCase& c : f.tests) {
            ++t;
            cases += "    <testcase classname=\"" + XmlEscaped(c.classname) + "\" name=\"" +
                     XmlEscaped(c.name) + "\"";
            if (c.failed) {
                ++fl;
                cases += ">\n      <failure message=\"" + XmlEscaped(c.message) + "\"/>\n    </testcase>\n";
            } else if (c.skipped) {
                ++sk;
                cases += ">\n      <skipped>" + XmlEscaped(c.message) + "</skipped>\n    </testcase>\n";
            } else {
                cases += "/>\n";
            }
        }
        suites += "  <testsuite name=\"" + XmlEscaped(f.file) + "\" tests=\"" + std::to_string(t) +
                  "\" failures=\"" + std::to_string(fl) + "\" errors=\"0\" skipped=\"" + std::to_string(sk) +
                  "\">\n" + cases + "  </testsuite>\n";
        tests += t;
        failures += fl;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"interlocks-check\" tests=\"" +
           std::to_string(tests) + "\" failures=\"" + std::to_string(failures) + "\" errors=\"0\">\n" +
           suites + "</testsuites>\n";
}

}  // namespace check
