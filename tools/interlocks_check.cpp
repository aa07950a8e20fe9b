// interlocks-check: checks a configuration file without the window. Reads the file, applies
// the what-if TS values and unreliability given on the command line, shows every block as
// the operator would select it, and prints the verdicts as readable lines or as JSON.
//
// Exit status: 0 when no reported block is erroneous, 1 when some block is, 2 for a usage
// error, an unreadable file or a configuration that stops at an invalid block number. With
// --analyse --strict, also 1 when the analysis finds a problem of the error class.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "tools/check_analysis.h"
#include "tools/check_report.h"
#include "storage/config_text.h"
#include "interlock/cp1251.h"
#include "storage/file_io.h"
#include "interlock/workspace.h"

namespace {

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

void PrintMessages(interlock::Workspace& ws) {
    for (const interlock::Message& m : ws.Messages) {
        std::cerr << TerminalText(m.caption) << ": " << TerminalText(m.text) << "\n";
    }
    ws.Messages.clear();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Проверка конфигурации оперативных блокировок (*.blk, *.tmp) без окна программы.\n"
        "Код возврата: 0 - ошибочных блоков нет, 1 - есть ошибочные блоки, 2 - ошибка вызова,\n"
        "файла или конфигурации.",
        "interlocks-check"};
    std::string set;
    std::string unreliable;
    int block = 0;
    bool json = false;
    bool analyse = false;
    bool strict = false;
    int where = 0;
    std::string config;
    app.add_option("--set", set, "Значения ТС после чтения файла: N=V,... (N 1..256, V целое)");
    app.add_option("--unreliable", unreliable,
                   "Недостоверность ТС: N=C,... (C: 0 - достоверен, 1 - ручная, 2 - аппаратная)");
    app.add_option("--block", block, "Проверить только блок N (1..32); код возврата - по этому блоку")
        ->check(CLI::Range(1, 32));
    app.add_flag("--json", json, "Вывести отчёт в формате JSON (UTF-8)");
    CLI::Option* analyseOption = app.add_flag(
        "--analyse", analyse, "Анализ логики по всем состояниям ТС: наименьшие изменения, проблемы");
    app.add_option("--where", where, "С --analyse: где используется ТС N (1..256)")
        ->check(CLI::Range(1, 256))
        ->needs(analyseOption);
    app.add_flag("--strict", strict, "С --analyse: код 1 и при проблемах класса ошибок")
        ->needs(analyseOption);
    app.add_option("CONFIG", config, "Файл конфигурации")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }

    check::Request request;
    if (!set.empty()) {
        auto values = check::ParseAssignments(set, 1, interlock::kTsCount, INT16_MIN, INT16_MAX);
        if (!values) {
            std::cerr << "--set: ожидается N=V,... с N от 1 до 256 и целым V\n";
            return kUsageError;
        }
        for (auto [n, v] : *values) request.values[n] = static_cast<int16_t>(v);
    }
    if (!unreliable.empty()) {
        auto codes = check::ParseAssignments(unreliable, 1, interlock::kTsCount, 0, 2);
        if (!codes) {
            std::cerr << "--unreliable: ожидается N=C,... с N от 1 до 256 и C от 0 до 2\n";
            return kUsageError;
        }
        for (auto [n, c] : *codes) request.unreliable[n] = static_cast<uint8_t>(c);
    }
    request.block = block;

    storage::ReadResult file = storage::ReadWholeFile(config);
    if (!file) {
        std::cerr << TerminalText(file.error) << "\n";
        return kUsageError;
    }

    interlock::Workspace ws;
    if (!storage::Read_Config_Text(ws, storage::SplitLines(file.bytes))) {
        PrintMessages(ws);
        return kUsageError;
    }
    ws.ConfigFileName = cp1251::FromUtf8(config);
    PrintMessages(ws);  // warnings raised while reading (a condition line before any block)

    check::CheckResult result = check::RunCheck(ws, request);
    PrintMessages(ws);
    std::optional<check::AnalysisResult> analysed;
    if (analyse) {
        analysis::Analyser analyser;
        analysed =
            check::RunAnalysis(analyser, ws, result, where > 0 ? std::optional<int>(where) : std::nullopt);
    }
    if (json) {
        nlohmann::ordered_json report = check::ToJson(result, config);
        if (analysed) check::AddToJson(report, *analysed);
        // A file name that is not UTF-8 must not stop the report: bad bytes become U+FFFD.
        std::cout << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    } else {
        std::cout << check::ToText(result);
        if (analysed) std::cout << check::AnalysisText(result, *analysed);
    }
    std::cout.flush();
    if (!result.erroneous.empty()) return 1;
    return strict && analysed && analysed->hasErrorClass ? 1 : 0;
}
