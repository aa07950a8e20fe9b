#include "tools/ci_reports.h"

#include <algorithm>
#include <cctype>

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

std::string UriReference(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = path.rfind('/', 0) == 0 ? "file://" : "";
    for (unsigned char c : path) {
        if (std::isalnum(c) && c < 128) {
            uri += static_cast<char>(c);
        } else if (c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
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
            Json artifact = {{"uri", UriReference(f.file)}};
            if (f.file.rfind('/', 0) != 0) artifact["uriBaseId"] = "%SRCROOT%";
            Json location = {{"physicalLocation", {{"artifactLocation", artifact}}}};
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
                {"language", "ru-RU"},
                {"results", results}};
    Json log = {
        {"$schema",
         "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json"},
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
