// The entry point: settings first, then one instance per user and display, the main window and
// the tray, and the event loop until the user confirms the exit or a termination signal comes.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <QDBusConnection>
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/status.h"
#include "app/tray_icon.h"
#include "app/unix_signals.h"

#include "data/drink_log.h"
#include "data/settings_notifier.h"
#include "data/settings_store.h"
#include "drink/drink_reminder.h"
#include "eye/filter_keeper.h"
#include "eye/gamma_filter.h"
#include "platform/platform.h"
#include "platform/presence.h"
#include "relax/relax_reminder.h"
#include "reminders/reminder_scheduler.h"
#include "ui/skin_package.h"

namespace {

constexpr int kExitCannotLock = -1;
constexpr int kExitAlreadyRunning = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoMainWindow = 3;
constexpr int kExitNotRunning = 4;  // --status with no instance to ask

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
    const QCommandLineOption status(
        QStringLiteral("status"),
        QStringLiteral("Print the running instance's state as 'key: value' lines (next drink "
                       "reminder and break, the filter, away and busy) and exit; exit 4 when "
                       "none runs."));
    parser.addOption(status);
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
    if (int(parser.isSet(drinkNow)) + int(parser.isSet(breakNow)) + int(parser.isSet(status)) > 1)
        fail(
            QStringLiteral("--drink-now, --break-now and --status ask for one thing each; give "
                           "one"));
    if (parser.isSet(status)) options.command = SingleInstance::Command::Status;
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
        case SingleInstance::Command::Status:  // answered by the instance itself
            break;
    }
}

// The words --status uses for why the user is away and why reminders wait.
QString AwayWord(platform::Presence::AwayReason reason) {
    using Reason = platform::Presence::AwayReason;
    switch (reason) {
        case Reason::Asleep:
            return QStringLiteral("asleep");
        case Reason::Locked:
            return QStringLiteral("locked");
        case Reason::ScreenSaver:
            return QStringLiteral("screensaver");
        case Reason::Idle:
            return QStringLiteral("idle");
        case Reason::None:
            break;
    }
    return {};
}

constexpr struct {
    platform::Presence::BusyReason reason;
    const char* word;
    const char* shown;  // in the tray's tip
} kBusyWords[] = {
    {platform::Presence::BusyReason::FullScreen, "fullscreen", "全屏中"},
    {platform::Presence::BusyReason::DoNotDisturb, "dnd", "勿扰中"},
    {platform::Presence::BusyReason::Call, "call", "通话中"},
};

// The scheduler and the tray follow the user's presence; the presence follows the switches.
void FollowPresence(platform::Presence& presence, ReminderScheduler& scheduler, CMainDlg& main) {
    const auto follow = [&presence] {
        presence.SetIdleLimit(SettingsStore::GetAwaySecond());
        presence.WatchAway(SettingsStore::GetPauseWhenAway());
        presence.WatchBusy(SettingsStore::GetDeferWhenBusy());
    };
    follow();
    QObject::connect(&SettingsNotifier::Instance(), &SettingsNotifier::changed, &presence,
                     [follow](SettingsKey key) {
                         if (key == SettingsKey::PauseWhenAway ||
                             key == SettingsKey::DeferWhenBusy || key == SettingsKey::AwaySecond)
                             follow();
                     });
    QObject::connect(&SettingsNotifier::Instance(), &SettingsNotifier::reloaded, &presence, follow);
    // No reminder is heard while the user is in a call, a full-screen program or do-not-disturb.
    scheduler.Sounds().SetQuiet([watched = QPointer<platform::Presence>(&presence)] {
        return watched && watched->Busy() != platform::Presence::BusyReasons();
    });
    QObject::connect(&presence, &platform::Presence::Changed, &scheduler, [&] {
        scheduler.SetAway(presence.Away(), presence.AwaySince());
        scheduler.SetBusy(presence.Busy() != platform::Presence::BusyReasons());
        QString why;
        if (presence.Away())
            why = QStringLiteral("离开中");
        else
            for (const auto& busy : kBusyWords)
                if (presence.Busy().testFlag(busy.reason)) {
                    why = QString::fromUtf8(busy.shown);
                    break;
                }
        if (TrayIcon* tray = main.Tray()) tray->SetStatus(why);
    });
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
    if (options.command == SingleInstance::Command::Status) {
        SettingsStore::CloseSettings();
        if (role == SingleInstance::Role::Failed) return kExitCannotLock;
        if (role == SingleInstance::Role::First || instance.StatusAnswer().isEmpty()) {
            std::fputs("vita-companion is not running\n", stderr);
            return kExitNotRunning;
        }
        std::fwrite(instance.StatusAnswer().constData(), 1,
                    static_cast<size_t>(instance.StatusAnswer().size()), stdout);
        return 0;
    }
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
        // The reminders are heard through the desktop's sound server, opened at the first sound.
        scheduler.Sounds().Use(&platform::Current().Sounds());
        DrinkReminder drinkReminder(scheduler);
        RelaxReminder relaxReminder(scheduler);
        scheduler.Start();
        // After a suspend the monotonic timers are behind the wall clock: a reminder that fell due
        // meanwhile comes now, once (logind says PrepareForSleep(false) on the way back).
        QDBusConnection::systemBus().connect(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            &scheduler, SLOT(OnPrepareForSleep(bool)));
        // Before the window: it goes after it, as the application's services do.
        const std::unique_ptr<platform::Presence> presence = platform::Current().WatchPresence();
        instance.SetStatusSource([&scheduler, &presence] {
            StatusFacts facts;
            facts.away = AwayWord(presence->WhyAway());
            for (const auto& busy : kBusyWords)
                if (presence->Busy().testFlag(busy.reason)) facts.busy << busy.word;
            facts.nextDrink = scheduler.NextDue(ReminderKind::Drink);
            facts.nextBreak = scheduler.NextDue(ReminderKind::Relax);
            facts.filterOn = SettingsStore::GetEyeProtectOn();
            facts.filterStrength = std::clamp(SettingsStore::GetPercent(), 0, 100);
            return StatusLines(facts);
        });
        CMainDlg mainWindow(scheduler);
        FollowPresence(*presence, scheduler, mainWindow);
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
