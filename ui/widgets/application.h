#pragma once

// What the program sets on its QApplication before the first window: Qt's own texts (standard
// buttons, file dialogs) in Russian, and window titles left exactly as the windows write them.

class QCoreApplication;

namespace ui {

// Installs Qt's Russian translations from the folder Qt's translations are installed in
// (Debian: qt6-translations-l10n). False when they are not there; the boxes then speak English.
bool InstallQtTranslations(QCoreApplication& app);

// Everything above; main() calls it right after creating the application.
void PrepareApplication(QCoreApplication& app);

}  // namespace ui
