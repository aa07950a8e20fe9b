// interlocks-check: checks configuration files without the window. Reads a file, applies the
// what-if TS values and unreliability given on the command line, shows every block as the
// operator would select it, and prints the verdicts as readable lines or as JSON. It can also
// analyse the logics over all TS states (--analyse), prove written requirements
// (--requirements, --prove), compare two configurations (--diff), write SARIF and JUnit
// reports for CI systems, and check many files at once, in parallel processes.
//
// Exit status: 0 when no reported block is erroneous, 1 when some block is, 2 for a usage
// error, an unreadable file or a configuration that stops at an invalid block number. With
// --analyse --strict, also 1 when the analysis finds a problem of the error class. With
// requirements: 0 when every requirement is proven, else 1; with --diff: 0 when no logic
// differs, else 1. For several files, the highest status of any file.

#include <CLI/CLI.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "analysis/analysis_texts.h"
#include "cli/cli11_help.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "tools/check_analysis.h"
#include "tools/check_proofs.h"
#include "tools/check_report.h"
#include "tools/check_topology.h"
#include "sequences/sequences_texts.h"
#include "tools/check_sequences.h"
#include "tools/ci_reports.h"
#include "tools/cli_texts.h"
#include "tools/tool_texts.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageError = 2;

// A message of the program on the terminal: UTF-8, the program's LF CR breaks as LF.
std::string TerminalText(const std::string& text) {
    std::string s = cp1251::ToUtf8(text);
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i == 0 || s[i - 1] != '\n') out += '\n';
            continue;
        }
        out += s[i];
    }
    return out;
}

void PrintMessages(interlock::Workspace& ws, std::ostream& err) {
    for (const interlock::Message& m : ws.Messages) {
        err << TerminalText(m.caption) << ": " << TerminalText(m.text) << "\n";
    }
    ws.Messages.clear();
}

struct Options {
    check::Request request;
    bool json = false;
    bool analyse = false;
    bool strict = false;
    int where = 0;
    bool prove = false;
    std::string requirements;  // empty: the file beside each configuration
    std::string diff;
    std::string sarif;
    std::string junit;
    bool topology = false;
    std::string topologyFile;  // empty: the file beside each configuration
    check::SequenceRequest sequences;

    bool CiReports() const { return !sarif.empty() || !junit.empty(); }
};

std::string Dump(const nlohmann::ordered_json& j) {
    // A file name that is not UTF-8 must not stop the report: bad bytes become U+FFFD.
    return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// Reads a configuration into ws; false (with the messages on err, and a failed case and an
// error result in the findings) when it cannot be used.
bool ReadConfig(const std::string& path, interlock::Workspace& ws, storage::ConfigLocations* where,
                std::ostream& err, check::FileFindings* findings) {
    storage::ReadResult file = storage::ReadWholeFile(path);
    std::ostringstream messages;
    int line = 0;
    bool read = false;
    if (!file) {
        messages << TerminalText(file.error) << "\n";
    } else {
        storage::ConfigLocations found;
        read = storage::Read_Config_Text(ws, storage::SplitLines(file.bytes), &found);
        line = found.stop;
        if (where) *where = std::move(found);
        PrintMessages(ws, messages);  // with warnings raised while reading (a condition before any block)
    }
    err << messages.str();
    if (!read && findings) {
        const std::string text = check::OneLine(messages.str());
        findings->results.push_back({"file_error", "error", text, line});
        findings->tests.push_back({"file", path, true, false, text});
    }
    if (read) ws.ConfigFileName = cp1251::FromUtf8(path);
    return read;
}

// The file line of a block's logic error: the first line of that logic with the error's text.
int ErrorLine(const interlock::Workspace& ws, const storage::ConfigLocations& where, int block,
              interlock::Side side) {
    const auto& b = ws.Blocks[block].Of(side);
    const auto it = std::find(b.Logic.begin(), b.Logic.end(), b.ErrorLine);
    return where.Logic(block, side, it == b.Logic.end() ? 0 : static_cast<int>(it - b.Logic.begin()) + 1);
}

// The errors of the blocks and the analysis problems as CI findings: one result per error and
// problem, one test case per block that is not empty, failed when the block is erroneous or has
// a problem of the error class.
void AddProblems(const interlock::Workspace& ws, const check::CheckResult& result,
                 const check::AnalysisResult& analysed, const storage::ConfigLocations& where,
                 check::FileFindings& f) {
    const tools::ToolTexts& tx = tools::Texts();
    for (const check::BlockReport& b : result.blocks) {
        if (b.status == interlock::BlockStatus::Empty) continue;
        const std::string number = std::to_string(b.number);
        check::TestCase test{"problems", tools::Fill(tx.blockCase, {number}), false, false, {}};
        auto fail = [&](const std::string& text) {
            test.failed = true;
            test.message += (test.message.empty() ? "" : "; ") + text;
        };
        if (b.status == interlock::BlockStatus::Erroneous) {
            bool logicError = false;
            for (interlock::Side side : {interlock::Side::On, interlock::Side::Off}) {
                const check::LogicReport& logic = side == interlock::Side::On ? b.on : b.off;
                if (!logic.error) continue;
                logicError = true;
                const std::string text = check::OneLine(cp1251::ToUtf8(logic.message));
                f.results.push_back(
                    {"logic_error", "error",
                     tools::Fill(tx.blockMessage, {number}) + " " + interlock::SideName(side) + ": " + text,
                     ErrorLine(ws, where, b.number, side)});
                fail(cp1251::ToUtf8(analysis::Texts().reqLogicError) + text);
            }
            if (!logicError) {  // the state signal is missing or invalid
                const std::string text = check::OneLine(cp1251::ToUtf8(b.labels.verdictHint));
                f.results.push_back({"block_error", "error",
                                     tools::Fill(tx.blockMessage, {number}) + ": " + text,
                                     where.Header(b.number)});
                fail(text);
            }
        }
        auto it = analysed.blocks.find(b.number);
        if (it == analysed.blocks.end()) {
            f.tests.push_back(test);
            continue;
        }
        for (const analysis::Problem& p : it->second.problems) {
            const char* level = p.severity == analysis::Severity::Error     ? "error"
                                : p.severity == analysis::Severity::Warning ? "warning"
                                                                            : "note";
            std::string message = tools::Fill(tx.blockMessage, {number});
            if (p.side) message += std::string(" ") + interlock::SideName(*p.side);
            message += ": " + cp1251::ToUtf8(p.message);
            const int line = p.side ? where.Logic(b.number, *p.side, p.line) : where.Header(b.number);
            f.results.push_back({p.check, level, message, line});
            if (p.severity == analysis::Severity::Error) fail(p.check + ": " + cp1251::ToUtf8(p.message));
        }
        f.tests.push_back(test);
    }
}

// Checks one configuration; its report goes to out, messages to err.
int CheckFile(const Options& o, const std::string& config, std::ostream& out, std::ostream& err,
              check::FileFindings* findings) {
    const tools::ToolTexts& tx = tools::Texts();
    interlock::Workspace ws;
    storage::ConfigLocations where;
    if (findings) findings->file = config;
    if (!ReadConfig(config, ws, &where, err, findings)) return kUsageError;

    if (!o.diff.empty()) {
        auto other = std::make_unique<interlock::Workspace>();
        if (!ReadConfig(o.diff, *other, nullptr, err, findings)) return kUsageError;
        analysis::BddSession session;
        const analysis::DiffResult d = analysis::Diff(session, *other, ws);
        if (o.json) {
            nlohmann::ordered_json j = {{"file", config}, {"other", o.diff}};
            j["diff"] = check::DiffJson(d, *other, ws);
            out << Dump(j);
        } else {
            out << check::DiffText(d, *other, ws);
        }
        if (findings) {
            for (const analysis::BlockDiff& b : d.blocks) {
                for (interlock::Side side : {interlock::Side::On, interlock::Side::Off}) {
                    const analysis::LogicDiff& x = side == interlock::Side::On ? b.on : b.off;
                    const bool differs = x.status != analysis::LogicDiff::Status::Equivalent;
                    const std::string number = std::to_string(b.block);
                    findings->tests.push_back(
                        {"diff", tools::Fill(tx.blockCase, {number}) + " " + interlock::SideName(side),
                         differs, false, differs ? tx.behaviourChanged : ""});
                    if (differs) {
                        findings->results.push_back({"behaviour_changed", "warning",
                                                     tools::Fill(tx.blockMessage, {number}) + " " +
                                                         interlock::SideName(side) + ": " +
                                                         tx.behaviourChanged,
                                                     where.Logic(b.block, side, 1)});
                    }
                }
            }
        }
        return d.logicsDiffer ? 1 : 0;
    }

    check::CheckResult result = check::RunCheck(ws, o.request);
    PrintMessages(ws, err);
    if (o.sequences.Any()) {
        check::SequenceRequest request = o.sequences;
        request.topology = o.topologyFile;
        analysis::Analyser sequenceAnalyser(analysis::BddSession::kDefaultMaxNodes,
                                            analysis::Analyser::InitialNodesFor(ws));
        return check::RunSequences(request, sequenceAnalyser, ws, config, where, o.json, out, err, findings);
    }
    const bool proving = o.prove || !o.requirements.empty();
    std::optional<analysis::Analyser> analyser;
    std::optional<check::AnalysisResult> analysed;
    if (o.analyse || o.CiReports() || proving || o.topology)
        analyser.emplace(analysis::BddSession::kDefaultMaxNodes, analysis::Analyser::InitialNodesFor(ws));
    if (o.analyse || o.CiReports()) {
        analysed = check::RunAnalysis(*analyser, ws, result,
                                      o.where > 0 ? std::optional<int>(o.where) : std::nullopt);
        if (findings && o.CiReports()) AddProblems(ws, result, *analysed, where, *findings);
    }

    // The topology's rules, proven; reported after whatever else was asked for.
    std::optional<check::TopologyReport> topo;
    if (o.topology) {
        topo.emplace();
        std::string error;
        const std::string file = o.topologyFile.empty() ? topology::TopologyFileFor(config) : o.topologyFile;
        if (!check::RunTopology(*analyser, ws, file, *topo, error)) {
            err << TerminalText(error) << "\n";
            return kUsageError;
        }
        if (findings) check::AddTopologyFindings(*topo, ws, where, *findings);
    }
    const int topologyStatus = topo && !topo->AllComply() ? 1 : 0;

    if (proving) {
        check::RequirementsReport report;
        report.file = o.requirements.empty() ? analysis::RequirementsFileFor(config) : o.requirements;
        storage::ReadResult file = storage::ReadWholeFile(report.file);
        if (!file) {
            err << TerminalText(file.error) << "\n";
            if (findings) {
                findings->results.push_back({"file_error", "error", TerminalText(file.error), 0});
                findings->tests.push_back({"file", report.file, true, false, TerminalText(file.error)});
            }
            return kUsageError;
        }
        report.parsed = analysis::ParseRequirementsFile(file.bytes);
        report.results = analysis::Prove(*analyser, ws, report.parsed.requirements);
        // The invariants with the topology's indicators following the positions.
        std::unique_ptr<sequences::Substation> substation;
        const bool invariants =
            std::any_of(report.results.begin(), report.results.end(),
                        [](const analysis::RequirementResult& r) { return r.requirement.IsInvariant(); });
        if (invariants && !o.sequences.noTopology &&
            !check::LoadSubstation(o.topologyFile, config, ws, substation, err))
            return kUsageError;
        check::ProveInvariants(*analyser, ws, o.sequences.field, report,
                               substation ? substation->inputs : sequences::TopologyInputs{});
        if (o.json) {
            nlohmann::ordered_json j = {{"file", config}};
            j.update(check::RequirementsJson(report, ws));
            if (topo) j["topology"] = check::TopologyJson(*topo, ws);
            out << Dump(j);
        } else {
            out << check::RequirementsText(report, ws);
            if (topo) out << check::TopologyText(*topo, ws);
        }
        if (findings) {
            for (const analysis::RequirementResult& r : report.results) {
                const analysis::Requirement& q = r.requirement;
                std::string name = q.label.empty() ? cp1251::ToUtf8(q.text) : cp1251::ToUtf8(q.label);
                std::string message = cp1251::ToUtf8(r.reason);
                if (r.counterexample)
                    message = cp1251::ToUtf8(analysis::Texts().counterexample) +
                              check::CubeText(r.counterexample->cube, ws);
                const bool refuted = r.verdict == analysis::Verdict::Refuted;
                findings->tests.push_back({"requirements", name, refuted,
                                           !refuted && r.verdict != analysis::Verdict::Proven, message});
                if (refuted) {
                    findings->results.push_back({"requirement_refuted", "error",
                                                 tools::Fill(tx.requirementRefuted, {name, message}),
                                                 where.Logic(q.block, q.side, 1)});
                }
            }
            for (const analysis::RequirementError& e : report.parsed.errors) {
                findings->tests.push_back({"requirements", report.file + ":" + std::to_string(e.line), true,
                                           false, cp1251::ToUtf8(e.message)});
            }
        }
        return std::max(report.AllProven() ? 0 : 1, topologyStatus);
    }

    if (o.json) {
        nlohmann::ordered_json report = check::ToJson(result, config);
        if (o.analyse) check::AddToJson(report, *analysed);
        if (topo) report["topology"] = check::TopologyJson(*topo, ws);
        out << Dump(report);
    } else {
        out << check::ToText(result);
        if (o.analyse) check::WriteAnalysisText(out, result, *analysed);
        if (topo) out << check::TopologyText(*topo, ws);
    }
    if (!result.erroneous.empty()) return 1;
    return std::max(o.strict && analysed && analysed->hasErrorClass ? 1 : 0, topologyStatus);
}

// The configurations named: files as they are, folders by their *.blk entries in name order
// (everything but a folder: a dangling link or a special file is counted and gets its message).
std::vector<std::string> Expand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    for (const std::string& a : args) {
        std::error_code ec;
        if (!fs::is_directory(a, ec)) {
            files.push_back(a);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(a, ec)) {
            if (!e.is_directory(ec) && e.path().extension() == ".blk") found.push_back(e.path().string());
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    int status = kUsageError;
    std::string out, err;
    check::FileFindings findings;
};

// Checks every file in a child process of its own, as many at once as there are cores
// (the BDD library keeps process-wide state); each child leaves its report in files.
std::vector<Outcome> CheckInParallel(const Options& o, const std::vector<std::string>& files) {
    const fs::path dir = fs::temp_directory_path() / ("interlocks-check." + std::to_string(getpid()));
    fs::create_directories(dir);
    const size_t width = std::max(1u, std::thread::hardware_concurrency());
    std::vector<Outcome> outcomes(files.size());
    std::vector<pid_t> running;
    std::vector<size_t> index;
    auto reap = [&](pid_t pid, int raw) {
        const auto it = std::find(running.begin(), running.end(), pid);
        if (it == running.end()) return;
        const size_t i = index[static_cast<size_t>(it - running.begin())];
        index.erase(index.begin() + (it - running.begin()));
        running.erase(it);
        Outcome& r = outcomes[i];
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : kUsageError;
        const std::string base = (dir / std::to_string(i)).string();
        r.out = Slurp(base + ".out");
        r.err = Slurp(base + ".err");
        if (!WIFEXITED(raw)) r.err += tools::Texts().abnormalEnd + "\n";
        try {
            r.findings = check::FindingsFromJson(nlohmann::json::parse(Slurp(base + ".ci")));
        } catch (const std::exception&) {
            r.findings.file = files[i];
        }
    };
    for (size_t i = 0; i < files.size(); ++i) {
        while (running.size() >= width) {
            int raw = 0;
            const pid_t pid = wait(&raw);
            if (pid < 0) break;
            reap(pid, raw);
        }
        std::cout.flush();
        std::cerr.flush();
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string base = (dir / std::to_string(i)).string();
            std::ofstream out(base + ".out", std::ios::binary);
            std::ofstream err(base + ".err", std::ios::binary);
            check::FileFindings findings;
            findings.file = files[i];
            int status = kUsageError;
            try {
                status = CheckFile(o, files[i], out, err, &findings);
            } catch (const std::exception& e) {
                err << e.what() << "\n";
            }
            std::ofstream(base + ".ci", std::ios::binary) << check::FindingsToJson(findings).dump(
                -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
            out.flush();
            err.flush();
            _exit(status);
        }
        if (pid < 0) {
            outcomes[i].err = tools::Texts().noProcess + "\n";
            continue;
        }
        running.push_back(pid);
        index.push_back(i);
    }
    while (!running.empty()) {
        int raw = 0;
        const pid_t pid = wait(&raw);
        if (pid < 0) break;
        reap(pid, raw);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return outcomes;
}

bool WriteReport(const std::string& path, const std::string& text) {
    const storage::WriteResult r = storage::WriteFileAtomically(path, text);
    if (!r) std::cerr << TerminalText(r.error) << "\n";
    return static_cast<bool>(r);
}

// The messages of one file of several, each line under the file's name.
std::string Named(const std::string& file, const std::string& messages) {
    std::string out;
    std::istringstream lines(messages);
    for (std::string line; std::getline(lines, line);) out += file + ": " + line + "\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const tools::ToolTexts& tx = tools::Texts();
    CLI::App app{"", "interlocks-check"};
    Options o;
    std::string set;
    std::string unreliable;
    int block = 0;
    std::vector<std::string> configs;
    app.add_option("--set", set);
    app.add_option("--unreliable", unreliable);
    app.add_option("--block", block)->check(CLI::Range(1, 32));
    app.add_flag("--json", o.json);
    CLI::Option* analyseOption = app.add_flag("--analyse", o.analyse);
    app.add_option("--where", o.where)->check(CLI::Range(1, 256))->needs(analyseOption);
    app.add_flag("--strict", o.strict)->needs(analyseOption);
    CLI::Option* proveOption = app.add_flag("--prove", o.prove);
    CLI::Option* requirementsOption = app.add_option("--requirements", o.requirements);
    CLI::Option* diffOption = app.add_option("--diff", o.diff);
    app.add_option("--sarif", o.sarif);
    app.add_option("--junit", o.junit);
    app.add_option("--topology", o.topologyFile)->expected(0, 1)->excludes(diffOption);
    std::string holdTs;
    bool freeTs = false;
    CLI::Option* reachOption = app.add_option("--reach", o.sequences.reach);
    CLI::Option* planOption = app.add_option("--plan", o.sequences.plan);
    CLI::Option* programOption = app.add_option("--program", o.sequences.program);
    app.add_option("--from", o.sequences.from)->needs(reachOption);
    app.add_flag("--hazards", o.sequences.hazards)->excludes(diffOption);
    app.add_flag("--no-topology", o.sequences.noTopology)->excludes("--topology");
    CLI::Option* freeOption = app.add_flag("--free-ts", freeTs);
    app.add_option("--hold-ts", holdTs)->excludes(freeOption);
    reachOption->excludes(diffOption);
    planOption->excludes(diffOption);
    programOption->excludes(diffOption);
    app.add_option("CONFIG", configs);
    diffOption->excludes(proveOption)->excludes(requirementsOption)->excludes(analyseOption);
    // --help and the options' descriptions from the help catalogue (cli/help_texts.cpp), and --version.
    cli::UseCatalogueHelp(app, cli::InterlocksCheck());
    if (const int status = tools::Parse(app, argc, argv); status >= 0) return status;

    o.topology = app.count("--topology") > 0;
    // "--topology CONFIG": the option's file is optional, so a configuration after it is the
    // configuration, not a topology.
    if (o.topology && !o.topologyFile.empty()) {
        std::error_code ec;
        const std::string ext = fs::path(o.topologyFile).extension().string();
        if (ext == ".blk" || ext == ".tmp" || ext == ".BLK" || ext == ".TMP" ||
            fs::is_directory(o.topologyFile, ec)) {
            configs.insert(configs.begin(), o.topologyFile);
            o.topologyFile.clear();
        }
    }
    if (configs.empty()) {
        std::cerr << tools::Fill(tx.argRequired, {"CONFIG"}) << "\n"
                  << tools::Fill(tx.helpHint, {app.get_name()}) << "\n";
        return kUsageError;
    }
    if (!set.empty()) {
        auto values = check::ParseAssignments(set, 1, interlock::kTsCount, INT16_MIN, INT16_MAX);
        if (!values) {
            std::cerr << tx.badSet << "\n";
            return kUsageError;
        }
        for (auto [n, v] : *values) o.request.values[n] = static_cast<int16_t>(v);
    }
    if (!unreliable.empty()) {
        auto codes = check::ParseAssignments(unreliable, 1, interlock::kTsCount, 0, 2);
        if (!codes) {
            std::cerr << tx.badUnreliable << "\n";
            return kUsageError;
        }
        for (auto [n, c] : *codes) o.request.unreliable[n] = static_cast<uint8_t>(c);
    }
    o.request.block = block;
    if (freeTs) o.sequences.field.mode = sequences::FieldMode::Free;
    if (!holdTs.empty()) {
        auto values = check::ParseAssignments(holdTs, 1, interlock::kTsCount, INT16_MIN, INT16_MAX);
        if (!values) {
            std::cerr << cp1251::ToUtf8(sequences::Texts().badHoldTs) << "\n";
            return kUsageError;
        }
        for (auto [n, v] : *values) o.sequences.field.held[n] = static_cast<int16_t>(v);
    }

    std::vector<check::FileFindings> findings;
    int status = 0;
    const std::vector<std::string> files = Expand(configs);
    if (files.size() == 1 && configs.size() == 1 && files[0] == configs[0]) {
        findings.emplace_back();
        status = CheckFile(o, files[0], std::cout, std::cerr, &findings.back());
    } else {
        // Several files: each file's report under its name, then one summary; with --json one
        // document with every file's report.
        const std::vector<Outcome> outcomes = CheckInParallel(o, files);
        int counts[3] = {};
        nlohmann::ordered_json reports = nlohmann::ordered_json::array();
        for (size_t i = 0; i < outcomes.size(); ++i) {
            const Outcome& r = outcomes[i];
            if (o.json) {
                nlohmann::ordered_json report = nullptr;
                try {
                    if (!r.out.empty()) report = nlohmann::ordered_json::parse(r.out);
                } catch (const std::exception&) {
                    report = r.out;
                }
                reports.push_back({{"file", files[i]},
                                   {"status", r.status},
                                   {"messages", check::OneLine(r.err)},
                                   {"report", report}});
            } else {
                // Every file its section; one that could not be checked says why in it.
                std::cout << "== " << files[i] << " ==\n"
                          << r.out << (r.out.empty() ? Named(files[i], r.err) : "");
            }
            std::cerr << Named(files[i], r.err);
            ++counts[std::clamp(r.status, 0, 2)];
            status = std::max(status, r.status);
            findings.push_back(r.findings);
        }
        if (o.json) {
            nlohmann::ordered_json all = {{"files", reports},
                                          {"summary",
                                           {{"files", files.size()},
                                            {"status_0", counts[0]},
                                            {"status_1", counts[1]},
                                            {"status_2", counts[2]}}}};
            std::cout << Dump(all);
        } else {
            std::cout << tools::Fill(tx.filesSummary,
                                     {std::to_string(files.size()), std::to_string(counts[0]),
                                      std::to_string(counts[1]), std::to_string(counts[2])})
                      << "\n";
        }
        if (files.empty()) status = kUsageError;
    }
    std::cout.flush();
    if (!o.sarif.empty() && !WriteReport(o.sarif, check::ToSarif(findings))) status = kUsageError;
    if (!o.junit.empty() && !WriteReport(o.junit, check::ToJunit(findings))) status = kUsageError;
    return status;
}
