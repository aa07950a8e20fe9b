// The interlock tool: the main window and its secondary windows, then the message loop.

#include <QApplication>
#include <clocale>

#include "dialogs.h"
#include "file_io.h"
#include "main_window.h"
#include "workspace.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::setlocale(LC_MESSAGES, "");
    interlock::Workspace workspace;
    ui::QtDialogs dialogs;
    ui::TForm1 window(workspace, dialogs, storage::ExecutableDir());
    app.setApplicationDisplayName(window.windowTitle());
    window.CreateSecondaryWindows();
    window.show();
    return app.exec();
}
