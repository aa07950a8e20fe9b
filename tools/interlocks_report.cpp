// interlocks-report: the printed interlock table of a configuration as an A4 PDF, without the
// window. Runs headless: without a display it draws on Qt's offscreen platform.
//
// Exit status: 0 when the PDF was written, 2 for a usage error, an unreadable configuration or
// a PDF that could not be written.

#include <CLI/CLI.hpp>

#include <QGuiApplication>
#include <iostream>
#include <memory>
#include <string>

#include "cli/cli11_help.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "storage/texts.h"
#include "tools/cli_texts.h"
#include "tools/tool_texts.h"
#include "ui/report/interlock_report.h"

int main(int argc, char** argv) {
    CLI::App app{"", "interlocks-report"};
    std::string config, out, requirements;
    app.add_option("CONFIG", config)->required();
    app.add_option("--out,-o", out)->required();
    app.add_option("--requirements", requirements);
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
    interlock::RecalculateAll(*ws);

    const std::string error =
        ui::report::WriteInterlockTable(*ws, ws->ConfigFileName, out, nullptr, requirements);
    if (!error.empty()) {
        std::cerr << cp1251::ToUtf8(storage::Texts().cannotWrite) << " \"" << out << "\": " << error << "\n";
        return 2;
    }
    return 0;
}
