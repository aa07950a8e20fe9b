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

#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "ui/report/interlock_report.h"

int main(int argc, char** argv) {
    CLI::App app{"Печать таблицы блокировок: конфигурация в документ PDF формата A4"};
    std::string config, out, requirements;
    app.add_option("CONFIG", config, "файл конфигурации (*.blk)")->required();
    app.add_option("--out,-o", out, "выходной файл PDF")->required();
    app.add_option("--requirements", requirements,
                   "файл требований (по умолчанию: имя конфигурации с расширением .req)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? 0 : 2;
    }

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
    ws->Messages.clear();
    ws->ConfigFileName = cp1251::FromUtf8(config);
    interlock::RecalculateAll(*ws);

    const std::string error =
        ui::report::WriteInterlockTable(*ws, ws->ConfigFileName, out, nullptr, requirements);
    if (!error.empty()) {
        std::cerr << out << ": " << error << "\n";
        return 2;
    }
    return 0;
}
