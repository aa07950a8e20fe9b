// The interlock tool: the main window and its secondary windows, then the message loop.

#include <QApplication>
#include <QStringList>
#include <clocale>
#include <iostream>

#include "cli/help.h"
#include "interlock/cp1251.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "storage/file_io.h"
#include "storage/file_places.h"
#include "ui/main_window.h"
#include "interlock/workspace.h"

namespace {

// The window's paths are the program's text (Windows-1251) like every other text of it.
storage::FilePlaces InProgramText(const storage::FilePlaces& p) {
    return {cp1251::FromUtf8(p.config), cp1251::FromUtf8(p.state), cp1251::FromUtf8(p.documents)};
}

}  // namespace

int main(int argc, char* argv[]) {
    if (std::optional<int> answered = cli::AnswerHelpOrVersion(argc, argv, cli::Interlocks()))
        return *answered;

    QApplication app(argc, argv);
    ui::PrepareApplication(app);
    std::setlocale(LC_MESSAGES, "");
    // settings.ini, templates.txt and Temp/: beside the executable, or the user's folders when
    // the program is installed (storage/file_places.h).
    const storage::PlaceChoice places =
        storage::ChooseFilePlaces(storage::ExecutableDir(), storage::PlaceEnvironment::Current());
    for (const std::string& problem : storage::SeedUserFiles(places))
        std::cerr << "interlocks: " << problem << "\n";

    interlock::Workspace workspace;
    ui::QtDialogs dialogs;
    ui::TForm1 window(workspace, dialogs, InProgramText(places.places));
    window.CreateSecondaryWindows();
    window.show();
    // A configuration named on the command line (a double-click in a file manager) is loaded
    // after the start-up restore, as if chosen with "Загрузить из файла".
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) window.LoadChosenFile(cp1251::FromUtf8(arguments.at(1).toStdString()));
    return app.exec();
}
