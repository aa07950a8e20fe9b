// interlocks-report: the printed interlock table of a configuration as an A4 PDF, without the
// window. Runs headless: without a display it draws on Qt's offscreen platform.
//
// Exit status: 0 when the PDF was written, 2 for a usage error, an unreadable configuration or
// a PDF that could not be written.

#include <CLI/CLI.hpp>

#include <QGuiApplication>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli11_help.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "sequences/form.h"
#include "sequences/substation.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "storage/texts.h"
#include "storage/ts_names.h"
#include "tools/cli_texts.h"
#include "tools/tool_texts.h"
#include "ui/model/analysis_page_texts.h"
#include "ui/report/interlock_report.h"

int main(int argc, char** argv) {
    CLI::App app{"", "interlocks-report"};
    std::string config, out, requirements, names;
    app.add_option("CONFIG", config)->required();
    app.add_option("--out,-o", out)->required();
    app.add_option("--requirements", requirements);
    app.add_option("--names", names);
    std::string program;
    app.add_option("--program", program);
    // --help and the options' descriptions from the help catalogue (cli/help_texts.cpp), and --version.
    cli::UseCatalogueHelp(app, cli::InterlocksReport());
    if (const int status = tools::Parse(app, argc, argv); status >= 0) return status;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qt(argc, argv);

    auto ws = std::make_unique<interlock::Workspace>();
    storage::ReadResult file = storage::ReadWholeFile(config);
    if (!file) {
        std::cerr << cp1251::ToUtf8(file.error) << "\n";
        return 2;
    }
    if (!storage::Read_Config_Text(*ws, storage::SplitLines(file.bytes))) {
        for (const interlock::Message& m : ws->Messages) std::cerr << cp1251::ToUtf8(m.text) << "\n";
        return 2;
    }
    // A requirements file named on the command line must be there, as for interlocks-check.
    if (!requirements.empty()) {
        const storage::ReadResult named = storage::ReadWholeFile(requirements);
        if (!named) {
            std::cerr << cp1251::ToUtf8(named.error) << "\n";
            return 2;
        }
    }
    ws->Messages.clear();
    ws->ConfigFileName = cp1251::FromUtf8(config);
    // TS names: the file named, or the one beside the configuration when it is there. A line
    // it does not understand is reported and skipped; the table is written all the same.
    const std::string namesPath = names.empty() ? storage::NamesFileFor(config) : names;
    const storage::NamesRead read = storage::GiveNamesFromFile(*ws, namesPath, !names.empty());
    if (!read.error.empty()) {
        std::cerr << cp1251::ToUtf8(read.error) << "\n";
        return 2;
    }
    for (const storage::TsNamesError& e : read.lines)
        std::cerr << namesPath << ": " << cp1251::ToUtf8(ui::PageWords().line) << e.line << ": "
                  << cp1251::ToUtf8(e.message) << "\n";
    interlock::RecalculateAll(*ws);

    // A switching program checked from the present state (the other TS held, the topology
    // beside the configuration when there is one) and printed as a form at the end.
    std::optional<analysis::Analyser> analyser;
    std::optional<sequences::SwitchingForm> form;
    if (!program.empty()) {
        const storage::ReadResult text = storage::ReadWholeFile(program);
        if (!text) {
            std::cerr << cp1251::ToUtf8(text.error) << "\n";
            return 2;
        }
        analyser.emplace(analysis::BddSession::kDefaultMaxNodes, analysis::Analyser::InitialNodesFor(*ws));
        std::unique_ptr<sequences::Substation> substation;
        const storage::ReadResult top = storage::ReadWholeFile(topology::TopologyFileFor(config));
        if (top) substation = sequences::ReadSubstation(storage::SplitLines(top.bytes), *ws);
        const bool usable = substation && substation->Usable();
        sequences::System sys(*analyser, *ws, {}, usable ? substation->inputs : sequences::TopologyInputs{});
        const sequences::Program parsed = sequences::ParseProgram(storage::SplitLines(text.bytes), *ws);
        form = sequences::MakeForm(sys, *ws, parsed, sequences::CheckProgram(sys, parsed),
                                   cp1251::FromUtf8(program));
    }
    const std::string error = ui::report::WriteInterlockTable(
        *ws, ws->ConfigFileName, out, analyser ? &*analyser : nullptr, requirements, form ? &*form : nullptr);
    if (!error.empty()) {
        std::cerr << cp1251::ToUtf8(storage::Texts().cannotWrite) << " \"" << out << "\": " << error << "\n";
        return 2;
    }
    return 0;
}
