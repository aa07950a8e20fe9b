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
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "tools/check_analysis.h"
#include "tools/check_proofs.h"
#include "tools/check_report.h"
#include "sequences/sequences_texts.h"
#include "tools/check_sequences.h"
#include "tools/ci_reports.h"

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
    check::SequenceRequest sequences;

    bool CiReports() const { return !sarif.empty() || !junit.empty(); }
};

std::string Dump(const nlohmann::ordered_json& j) {
    // A file name that is not UTF-8 must not stop the report: bad bytes become U+FFFD.
    return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// Reads a configuration into ws; false (with the messages on err) when it cannot be used.
bool ReadConfig(const std::string& path, interlock::Workspace& ws, std::vector<std::string>* lines,
                std::ostream& err) {
    storage::ReadResult file = storage::ReadWholeFile(path);
    if (!file) {
        err << TerminalText(file.error) << "\n";
        return false;
    }
    std::vector<std::string> split = storage::SplitLines(file.bytes);
    if (!storage::Read_Config_Text(ws, split)) {
        PrintMessages(ws, err);
        return false;
    }
    ws.ConfigFileName = cp1251::FromUtf8(path);
    PrintMessages(ws, err);  // warnings raised while reading (a condition line before any block)
    if (lines) *lines = std::move(split);
    return true;
}

// The analysis problems as CI findings: one result per problem, one test case per block.
void AddProblems(const check::CheckResult& result, const check::AnalysisResult& analysed,
                 const check::ConfigLocator& where, check::FileFindings& f) {
    for (const check::BlockReport& b : result.blocks) {
        auto it = analysed.blocks.find(b.number);
        if (it == analysed.blocks.end() || b.status == interlock::BlockStatus::Empty) continue;
        check::TestCase test{"problems", "блок " + std::to_string(b.number), false, false, {}};
        for (const analysis::Problem& p : it->second.problems) {
            const char* level = p.severity == analysis::Severity::Error     ? "error"
                                : p.severity == analysis::Severity::Warning ? "warning"
                                                                            : "note";
            std::string message = "Блок " + std::to_string(b.number);
            if (p.side) message += std::string(" ") + interlock::SideName(*p.side);
            message += ": " + cp1251::ToUtf8(p.message);
            const int line = p.side ? where.Logic(b.number, *p.side, p.line) : where.Header(b.number);
            f.results.push_back({p.check, level, message, line});
            if (p.severity == analysis::Severity::Error) {
                test.failed = true;
                test.message +=
                    (test.message.empty() ? "" : "; ") + p.check + ": " + cp1251::ToUtf8(p.message);
            }
        }
        f.tests.push_back(test);
    }
}

// Checks one configuration; its report goes to out, messages to err.
int CheckFile(const Options& o, const std::string& config, std::ostream& out, std::ostream& err,
              check::FileFindings* findings) {
    interlock::Workspace ws;
    std::vector<std::string> lines;
    if (!ReadConfig(config, ws, &lines, err)) return kUsageError;
    if (findings) findings->file = config;
    const check::ConfigLocator where(lines);

    if (!o.diff.empty()) {
        auto other = std::make_unique<interlock::Workspace>();
        if (!ReadConfig(o.diff, *other, nullptr, err)) return kUsageError;
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
                    findings->tests.push_back(
                        {"diff", "блок " + std::to_string(b.block) + " " + interlock::SideName(side), differs,
                         false, differs ? "поведение логики изменилось" : ""});
                    if (differs) {
                        findings->results.push_back({"behaviour_changed", "warning",
                                                     "Блок " + std::to_string(b.block) + " " +
                                                         interlock::SideName(side) +
                                                         ": поведение логики изменилось",
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
        analysis::Analyser sequenceAnalyser(analysis::BddSession::kDefaultMaxNodes,
                                            analysis::Analyser::InitialNodesFor(ws));
        return check::RunSequences(o.sequences, sequenceAnalyser, ws, config, where, o.json, out, err,
                                   findings);
    }
    const bool proving = o.prove || !o.requirements.empty();
    std::optional<analysis::Analyser> analyser;
    std::optional<check::AnalysisResult> analysed;
    if (o.analyse || o.CiReports() || proving)
        analyser.emplace(analysis::BddSession::kDefaultMaxNodes, analysis::Analyser::InitialNodesFor(ws));
    if (o.analyse || o.CiReports()) {
        analysed = check::RunAnalysis(*analyser, ws, result,
                                      o.where > 0 ? std::optional<int>(o.where) : std::nullopt);
        if (findings) AddProblems(result, *analysed, where, *findings);
    }

    if (proving) {
        check::RequirementsReport report;
        report.file = o.requirements.empty() ? analysis::RequirementsFileFor(config) : o.requirements;
        storage::ReadResult file = storage::ReadWholeFile(report.file);
        if (!file) {
            err << TerminalText(file.error) << "\n";
            return kUsageError;
        }
        report.parsed = analysis::ParseRequirements(storage::SplitLines(file.bytes));
        report.results = analysis::Prove(*analyser, ws, report.parsed.requirements);
        check::ProveInvariants(*analyser, ws, o.sequences.field, report);
        if (o.json) {
            nlohmann::ordered_json j = {{"file", config}};
            j.update(check::RequirementsJson(report, ws));
            out << Dump(j);
        } else {
            out << check::RequirementsText(report, ws);
        }
        if (findings) {
            for (const analysis::RequirementResult& r : report.results) {
                const analysis::Requirement& q = r.requirement;
                std::string name = q.label.empty() ? cp1251::ToUtf8(q.text) : cp1251::ToUtf8(q.label);
                std::string message = cp1251::ToUtf8(r.reason);
                if (r.counterexample) message = "контрпример: " + check::CubeText(r.counterexample->cube, ws);
                const bool refuted = r.verdict == analysis::Verdict::Refuted;
                findings->tests.push_back({"requirements", name, refuted,
                                           !refuted && r.verdict != analysis::Verdict::Proven, message});
                if (refuted) {
                    findings->results.push_back({"requirement_refuted", "error",
                                                 "Требование \"" + name + "\" опровергнуто: " + message,
                                                 where.Logic(q.block, q.side, 1)});
                }
            }
            for (const analysis::RequirementError& e : report.parsed.errors) {
                findings->tests.push_back({"requirements", report.file + ":" + std::to_string(e.line), true,
                                           false, cp1251::ToUtf8(e.message)});
            }
        }
        return report.AllProven() ? 0 : 1;
    }

    if (o.json) {
        nlohmann::ordered_json report = check::ToJson(result, config);
        if (o.analyse) check::AddToJson(report, *analysed);
        out << Dump(report);
    } else {
        out << check::ToText(result);
        if (o.analyse) out << check::AnalysisText(result, *analysed);
    }
    if (!result.erroneous.empty()) return 1;
    return o.strict && analysed && analysed->hasErrorClass ? 1 : 0;
}

// The configurations named: files as they are, folders by their *.blk files in name order.
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
            if (e.is_regular_file(ec) && e.path().extension() == ".blk") found.push_back(e.path().string());
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
        if (!WIFEXITED(raw)) r.err += "interlocks-check: the check of this file ended abnormally\n";
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
            outcomes[i].err = "interlocks-check: no process for this file\n";
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
    std::ofstream f(path, std::ios::binary);
    f << text;
    f.close();
    if (!f) std::cerr << "interlocks-check: не удалось записать " << path << "\n";
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Проверка конфигурации оперативных блокировок (*.blk, *.tmp) без окна программы.\n"
        "Код возврата: 0 - ошибочных блоков нет, 1 - есть ошибочные блоки, 2 - ошибка вызова,\n"
        "файла или конфигурации.",
        "interlocks-check"};
    Options o;
    std::string set;
    std::string unreliable;
    int block = 0;
    std::vector<std::string> configs;
    app.add_option("--set", set, "Значения ТС после чтения файла: N=V,... (N 1..256, V целое)");
    app.add_option("--unreliable", unreliable,
                   "Недостоверность ТС: N=C,... (C: 0 - достоверен, 1 - ручная, 2 - аппаратная)");
    app.add_option("--block", block, "Проверить только блок N (1..32); код возврата - по этому блоку")
        ->check(CLI::Range(1, 32));
    app.add_flag("--json", o.json, "Вывести отчёт в формате JSON (UTF-8)");
    CLI::Option* analyseOption = app.add_flag(
        "--analyse", o.analyse, "Анализ логики по всем состояниям ТС: наименьшие изменения, проблемы");
    app.add_option("--where", o.where, "С --analyse: где используется ТС N (1..256)")
        ->check(CLI::Range(1, 256))
        ->needs(analyseOption);
    app.add_flag("--strict", o.strict, "С --analyse: код 1 и при проблемах класса ошибок")
        ->needs(analyseOption);
    CLI::Option* proveOption =
        app.add_flag("--prove", o.prove, "Доказать требования из файла рядом с конфигурацией (имя.req)");
    CLI::Option* requirementsOption =
        app.add_option("--requirements", o.requirements, "Доказать требования из этого файла");
    CLI::Option* diffOption = app.add_option(
        "--diff", o.diff, "Сравнить поведение логики с другой конфигурацией (она - A, CONFIG - B)");
    app.add_option("--sarif", o.sarif, "Записать проблемы и опровергнутые требования в SARIF 2.1.0");
    app.add_option("--junit", o.junit, "Записать требования и проблемы блоков в JUnit XML");
    std::string holdTs;
    bool freeTs = false;
    const sequences::SequenceTexts& sx = sequences::Texts();
    CLI::Option* reachOption = app.add_option("--reach", o.sequences.reach, cp1251::ToUtf8(sx.helpReach));
    CLI::Option* planOption = app.add_option("--plan", o.sequences.plan, cp1251::ToUtf8(sx.helpPlan));
    CLI::Option* programOption =
        app.add_option("--program", o.sequences.program, cp1251::ToUtf8(sx.helpProgram));
    app.add_option("--from", o.sequences.from, cp1251::ToUtf8(sx.helpFrom))->needs(reachOption);
    CLI::Option* freeOption = app.add_flag("--free-ts", freeTs, cp1251::ToUtf8(sx.helpFreeTs));
    app.add_option("--hold-ts", holdTs, cp1251::ToUtf8(sx.helpHoldTs))->excludes(freeOption);
    reachOption->excludes(diffOption);
    planOption->excludes(diffOption);
    programOption->excludes(diffOption);
    app.add_option("CONFIG", configs, "Файлы конфигурации или папки с файлами *.blk")->required();
    diffOption->excludes(proveOption)->excludes(requirementsOption)->excludes(analyseOption);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }

    if (!set.empty()) {
        auto values = check::ParseAssignments(set, 1, interlock::kTsCount, INT16_MIN, INT16_MAX);
        if (!values) {
            std::cerr << "--set: ожидается N=V,... с N от 1 до 256 и целым V\n";
            return kUsageError;
        }
        for (auto [n, v] : *values) o.request.values[n] = static_cast<int16_t>(v);
    }
    if (!unreliable.empty()) {
        auto codes = check::ParseAssignments(unreliable, 1, interlock::kTsCount, 0, 2);
        if (!codes) {
            std::cerr << "--unreliable: ожидается N=C,... с N от 1 до 256 и C от 0 до 2\n";
            return kUsageError;
        }
        for (auto [n, c] : *codes) o.request.unreliable[n] = static_cast<uint8_t>(c);
    }
    o.request.block = block;
    if (freeTs) o.sequences.field.mode = sequences::FieldMode::Free;
    if (!holdTs.empty()) {
        auto values = check::ParseAssignments(holdTs, 1, interlock::kTsCount, INT16_MIN, INT16_MAX);
        if (!values) {
            std::cerr << cp1251::ToUtf8(sx.badHoldTs) << "\n";
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
                reports.push_back({{"file", files[i]}, {"status", r.status}, {"report", report}});
            } else {
                std::cout << "== " << files[i] << " ==\n" << r.out;
            }
            std::cerr << r.err;
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
            std::cout << "Файлов: " << files.size() << "; код 0: " << counts[0] << ", код 1: " << counts[1]
                      << ", код 2: " << counts[2] << "\n";
        }
        if (files.empty()) status = kUsageError;
    }
    std::cout.flush();
    if (!o.sarif.empty() && !WriteReport(o.sarif, check::ToSarif(findings))) status = kUsageError;
    if (!o.junit.empty() && !WriteReport(o.junit, check::ToJunit(findings))) status = kUsageError;
    return status;
}
