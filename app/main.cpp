// The entry point: settings first, then one instance per user and display, the main window and
// the tray, and the event loop until the user confirms the exit or a termination signal comes.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <QDBusConnection>
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "app/unix_signals.h"

#include "data/drink_log.h"
#include "data/settings_store.h"
#include "drink/drink_reminder.h"
#include "eye/filter_keeper.h"
#include "eye/gamma_filter.h"
#include "relax/relax_reminder.h"
#include "reminders/reminder_scheduler.h"
#include "ui/skin_package.h"

namespace {

constexpr int kExitCannotLock = -1;
constexpr int kExitAlreadyRunning = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoMainWindow = 3;

struct Options {
    SingleInstance::Command command = SingleInstance::Command::Show;
};

// Read before anything else, so that --help, --version and a mistyped option touch nothing (no
// settings, no display). Exits for those.
Options ReadCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const QString program = arguments.isEmpty() ? QStringLiteral("vita-companion")
                                                : QFileInfo(arguments.first()).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("悦息伙伴 (VitaCompanion): a blue-light filter, drink-water and rest-break "
                       "reminders in the "
                       "tray.\nStarted again, it brings the running window to the front."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption drinkNow(
        QStringLiteral("drink-now"),
        QStringLiteral("Open the drink reminder now, in the running instance (this start then "
                       "exits 0) or, when none runs, in this one."));
    parser.addOption(drinkNow);
    const QCommandLineOption breakNow(
        QStringLiteral("break-now"),
        QStringLiteral("Open the rest-break reminder now, in the running instance (this start "
                       "then exits 0) or, when none runs, in this one."));
    parser.addOption(breakNow);
    const auto fail = [&program](const QString& what) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(program),
                     qPrintable(what), qPrintable(program));
        std::exit(kExitUsage);
    };
    if (!parser.parse(arguments)) fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        // The parser names the program only once an application object exists.
        std::fputs(
            qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"), program)),
            stdout);
        std::exit(0);
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        std::exit(0);
    }
    Options options;
    if (parser.isSet(drinkNow) && parser.isSet(breakNow))
        fail(QStringLiteral("--drink-now and --break-now ask for one reminder each; give one"));
    if (parser.isSet(drinkNow)) options.command = SingleInstance::Command::DrinkNow;
    if (parser.isSet(breakNow)) options.command = SingleInstance::Command::BreakNow;
    return options;
}

// What a start asked for, done by the running instance: a reminder now, or its window.
void OpenAsked(SingleInstance::Command command, CMainDlg& mainWindow,
               ReminderScheduler& scheduler) {
    switch (command) {
        case SingleInstance::Command::DrinkNow:
            scheduler.Request(ReminderKind::Drink);
            break;
        case SingleInstance::Command::BreakNow:
            scheduler.Request(ReminderKind::Relax);
            break;
        case SingleInstance::Command::Show:
            mainWindow.BringToFront();
            break;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("VitaCompanion"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VITA_VERSION));
    const Options options = ReadCommandLine(argc, argv);

    // A database that cannot be opened leaves the defaults; the program runs on with them.
    SettingsStore::OpenSettings();

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf8(kDisplayName));
    QGuiApplication::setDesktopFileName(QStringLiteral("vita-companion"));
    QApplication::setQuitOnLastWindowClosed(false);  // closing the window only hides it
    QApplication::setWindowIcon(ApplicationIcon());
    ui::InstallFontSubstitutions();

    SingleInstance instance(SingleInstance::PrivateFolder(), SingleInstance::InstanceKey());
    const SingleInstance::Role role = instance.Claim(options.command);
    if (role != SingleInstance::Role::First) {
        SettingsStore::CloseSettings();
        if (role == SingleInstance::Role::Failed) return kExitCannotLock;
        // A second start has handed the first instance its request: shown again, which says the
        // program was already running, or a reminder opened as asked.
        return options.command == SingleInstance::Command::Show ? kExitAlreadyRunning : 0;
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
        ReminderScheduler scheduler;
        DrinkReminder drinkReminder(scheduler);
        RelaxReminder relaxReminder(scheduler);
        scheduler.Start();
        // After a suspend the monotonic timers are behind the wall clock: a reminder that fell due
        // meanwhile comes now, once (logind says PrepareForSleep(false) on the way back).
        QDBusConnection::systemBus().connect(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            &scheduler, SLOT(OnPrepareForSleep(bool)));
        CMainDlg mainWindow(scheduler);
        // Another instance on another display may share the data folder: its drinks count today.
        DrinkLog::FollowOtherWriters(&mainWindow);
        if (!mainWindow.Create(nullptr)) {
            // An empty window would help nobody: say why, and leave the screen as it is.
            std::fprintf(stderr, "vita-companion: the main window cannot be built: %s\n",
                         qPrintable(mainWindow.ErrorText()));
            SettingsStore::CloseSettings();
            return kExitNoMainWindow;
        }
        // The page shows the filter as stored, so the screen starts matching it, and keeps
        // matching it when a display change or a resume resets the ramps.
        StartFilter();
        FilterKeeper filterKeeper;
        QObject::connect(
            &mainWindow, &CMainDlg::QuitRequested, &app, [](int code) { QApplication::exit(code); },
            Qt::QueuedConnection);
        QObject::connect(&instance, &SingleInstance::Requested, &mainWindow,
                         [&mainWindow, &scheduler](SingleInstance::Command command) {
                             OpenAsked(command, mainWindow, scheduler);
                         });
        mainWindow.setWindowTitle(QString::fromUtf8(kDisplayName));
        mainWindow.CenterWindow();
        mainWindow.show();
        if (options.command != SingleInstance::Command::Show)
            OpenAsked(options.command, mainWindow, scheduler);
        exitCode = QApplication::exec();
    }  // the tray icon goes with the window

    RestoreFoundRamps();
    SettingsStore::CloseSettings();
    return exitCode;
}
