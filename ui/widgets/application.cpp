#include "ui/widgets/application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

bool InstallQtTranslations(QCoreApplication& app) {
    // The program speaks Russian whatever the user's locale is.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void PrepareApplication(QCoreApplication& app) {
    InstallQtTranslations(app);
    // No application display name: the platform would append it to every window title
    // (" — name"), and the captions of the windows and boxes are the program's exact texts.
}

}  // namespace ui
