#include "windowmain.h"

#include "env/settings.h"
#include "explorer/shell/messageboxes.h"
#include "platform/desktop.h"
#include "platform/filecopy.h"
#include "tmainform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

extern "C" Q_DECL_EXPORT int tobrin_window_main(int argc, char** argv)
{
    // The copies the window makes run in this module; its cleanup of named
    // temporaries is the one that must answer the signals.
    platform::installTemporaryCleanup();

    // Without TZ the C library looks at /etc/localtime again for every time it
    // converts; a listing of 100,000 files converts that many.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");

    // Where the settings live, and the entry in the maker's registration file.
    InitEnvironment(platform::programPath());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tobrin"));
    // Desktops match the windows to the installed entry (tobrin.desktop) and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tobrin"));

    // The toolkit's own German texts ("Strg+", "Abbrechen", "Ja", "Nein").
    QTranslator qtGerman;
    if (qtGerman.load(QStringLiteral("qtbase_de"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);

    msg::setHandler(std::make_shared<MessageBoxes>());

    Tmainform mainform;
    mainform.show();
    return QApplication::exec();
}
