// The entry point: settings first, then one instance per user and display, the main window and
// the tray, and the event loop until the user confirms the exit or a termination signal comes.

#include <QApplication>
#include <csignal>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "app/unix_signals.h"
#include "data/settings_store.h"
#include "eye/filter_keeper.h"
#include "eye/gamma_filter.h"

namespace {
constexpr int kExitCannotLock = -1;
constexpr int kExitAlreadyRunning = 1;
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

    SingleInstance instance(SingleInstance::RuntimeFolder(), SingleInstance::InstanceName());
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

    // The page shows the filter as stored, so the screen starts matching it, and keeps matching
    // it when a display change or a resume resets the ramps.
    ApplyStoredFilter();
    FilterKeeper filterKeeper;

    int exitCode = 0;
    {
        CMainDlg mainWindow;
        QObject::connect(
            &mainWindow, &CMainDlg::QuitRequested, &app, [](int code) { QApplication::exit(code); },
            Qt::QueuedConnection);
        QObject::connect(&instance, &SingleInstance::ShowRequested, &mainWindow,
                         [&mainWindow] { mainWindow.ShowWithFocus(); });
        mainWindow.Create(nullptr);
        mainWindow.setWindowTitle(QString::fromUtf8(kDisplayName));
        mainWindow.CenterWindow();
        mainWindow.show();
        exitCode = QApplication::exec();
    }  // the tray icon goes with the window

    RestoreIdentityRamp();
    SettingsStore::CloseSettings();
    return exitCode;
}
