// The entry point: settings first, then one instance per user and display, the main window and
// the tray, and the event loop until the user confirms the exit or a termination signal comes.

#include <QApplication>
#include <csignal>
#include <cstdio>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "app/unix_signals.h"
#include "data/settings_store.h"
#include "eye/gamma_filter.h"
#include "ui/skin_package.h"

namespace {
constexpr int kExitCannotLock = -1;
constexpr int kExitAlreadyRunning = 1;
constexpr int kExitNoMainWindow = 3;
}  // namespace

int main(int argc, char* argv[]) {
    // A database that cannot be opened leaves the defaults; the program runs on with them.
    SettingsStore::OpenSettings();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VitaCompanion"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kDisplayName));
    QGuiApplication::setDesktopFileName(QStringLiteral("vita-companion"));
    QApplication::setQuitOnLastWindowClosed(false);  // closing the window only hides it
    QApplication::setWindowIcon(ApplicationIcon());
    ui::InstallFontSubstitutions();

    SingleInstance instance(SingleInstance::InstanceName());
    const SingleInstance::Role role = instance.Claim();
    if (role != SingleInstance::Role::First) {
        SettingsStore::CloseSettings();
        // A second start has had the first instance show its window.
        return role == SingleInstance::Role::Second ? kExitAlreadyRunning : kExitCannotLock;
    }

    // Every way out below ends the loop, so the screen is restored after it.
    UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signalWatcher, &UnixSignalWatcher::Received, &app,
                     [] { QApplication::exit(0); });

    // Designers may run the program on the layouts and pictures of a folder (res/client).
    if (const QString skin = qEnvironmentVariable("VITA_SKIN_FOLDER"); !skin.isEmpty())
        ui::SkinPackage::Install(ui::SkinPackage::FromFolder(skin));

    int exitCode = 0;
    {
        CMainDlg mainWindow;
        if (!mainWindow.Create(nullptr)) {
            // An empty window would help nobody: say why, and leave the screen as it is.
            std::fprintf(stderr, "vita-companion: the main window cannot be built: %s\n",
                         qPrintable(mainWindow.ErrorText()));
            SettingsStore::CloseSettings();
            return kExitNoMainWindow;
        }
        // The page shows the filter as stored, so the screen starts matching it.
        ApplyStoredFilter();
        QObject::connect(
            &mainWindow, &CMainDlg::QuitRequested, &app, [](int code) { QApplication::exit(code); },
            Qt::QueuedConnection);
        QObject::connect(&instance, &SingleInstance::ShowRequested, &mainWindow,
                         [&mainWindow] { mainWindow.ShowWithFocus(); });
        mainWindow.setWindowTitle(QString::fromUtf8(kDisplayName));
        mainWindow.CenterWindow();
        mainWindow.show();
        exitCode = QApplication::exec();
    }  // the tray icon goes with the window

    RestoreIdentityRamp();
    SettingsStore::CloseSettings();
    return exitCode;
}
