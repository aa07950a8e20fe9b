// The interlock tool: the main window and its secondary windows, then the message loop.

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <iostream>

#include "cli/help.h"
#include "interlock/cp1251.h"
#include "ui/widgets/application.h"
#include "ui/model/dialogs.h"
#include "storage/file_io.h"
#include "storage/file_places.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/workbench/workbench.h"
#include "interlock/workspace.h"

namespace {

// The window's paths are the program's text (Windows-1251) like every other text of it.
storage::FilePlaces InProgramText(const storage::FilePlaces& p) {
    return {cp1251::FromUtf8(p.config), cp1251::FromUtf8(p.state), cp1251::FromUtf8(p.documents)};
}

int stopPipe[2] = {-1, -1};

void RequestStop(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(stopPipe[1], &byte, 1);
}

// SIGTERM and SIGHUP (a logout, a service stop) end the run as a confirmed close does: the
// last autosave and the settings are written by the window's destruction.
void EndOnSignals(QApplication& app) {
    if (::pipe(stopPipe) != 0) return;
    auto* notifier = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (std::optional<int> answered = cli::AnswerHelpOrVersion(argc, argv, cli::Interlocks()))
        return *answered;

    QApplication app(argc, argv);
    ui::PrepareApplication(app);
    EndOnSignals(app);
    std::setlocale(LC_MESSAGES, "");
    // settings.ini, templates.txt and Temp/: beside the executable, or the user's folders when
    // the program is installed (storage/file_places.h).
    const storage::PlaceChoice places =
        storage::ChooseFilePlaces(storage::ExecutableDir(), storage::PlaceEnvironment::Current());
    for (const std::string& problem : storage::SeedUserFiles(places))
        std::cerr << "interlocks: " << problem << "\n";

    interlock::Workspace workspace;
    ui::QtDialogs dialogs;
    ui::Workbench workbench(workspace, dialogs, InProgramText(places.places));
    ui::TForm1 window(workbench);
    window.CreateSecondaryWindows();
    window.show();
    // A configuration named on the command line (a double-click in a file manager) is loaded
    // after the start-up restore, as if chosen in the open dialog.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) workbench.Doc().LoadChosenFile(cp1251::FromUtf8(arguments.at(1).toStdString()));
    return app.exec();
}
