// The interlock tool: the main window and its secondary windows, then the message loop.

#include <QApplication>
#include <clocale>

#include "interlock/cp1251.h"
#include "ui/widgets/application.h"
#include "ui/model/dialogs.h"
#include "storage/file_io.h"
#include "ui/main/main_window.h"
#include "interlock/workspace.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::PrepareApplication(app);
    std::setlocale(LC_MESSAGES, "");
    interlock::Workspace workspace;
    ui::QtDialogs dialogs;
    // Paths are the program's text (Windows-1251) like every other text of it.
    ui::TForm1 window(workspace, dialogs, cp1251::FromUtf8(storage::ExecutableDir()));
    window.CreateSecondaryWindows();
    window.show();
    return app.exec();
}
