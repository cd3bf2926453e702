// The reminders heard through a real sound server: a private PipeWire with its PulseAudio service
// and WirePlumber on a null sink, in the program's own XDG_RUNTIME_DIR, watched with pw-mon.
// The program is started with --drink-now; each stream it plays shows as a node carrying the
// sound's event id.

#include "tests/e2e/desk.h"
#include "tests/support/private_bus.h"

namespace {

using namespace e2e;

const QSize kFrameSize(280, 360);
const QPoint kFrameDrink(99 + 43, 26 + 253 + 16);  // the centre of "立即喝水" in the frame

// PipeWire, its PulseAudio service and WirePlumber on a private bus, with a null sink as the
// default output, and pw-mon telling every object that appears. Everything ends with it.
class SoundServer {
  public:
    ~SoundServer() {
        for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) (*it)->kill();
        }
    }

    bool Start(const Desk& desk) {
        QString error;
        if (!bus_.Start(&error)) return Fail(error);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.remove("PULSE_SERVER");
        env_.insert("XDG_RUNTIME_DIR", desk.FolderPath("runtime"));
        env_.insert("XDG_CONFIG_HOME", desk.FolderPath("config"));
        env_.insert("XDG_STATE_HOME", desk.FolderPath("sound-state"));
        env_.insert("DBUS_SESSION_BUS_ADDRESS", bus_.Address());
        env_.insert("DISPLAY", QString::fromLatin1(desk.Display()));
        for (const char* daemon : {"pipewire", "pipewire-pulse", "wireplumber"})
            if (!Launch(daemon, {})) return Fail(QString(daemon) + " could not be started");
        // Ready once the PulseAudio service answers and WirePlumber made the null sink the default.
        if (!WaitFor([this] { return Pactl({"info"}).has_value(); }))
            return Fail("pipewire-pulse did not answer");
        if (!Pactl({"load-module", "module-null-sink", "sink_name=vita_e2e"}))
            return Fail("no null sink");
        Pactl({"set-default-sink", "vita_e2e"});
        if (!WaitFor([this] { return Pactl({"get-default-sink"}) == "vita_e2e"; }))
            return Fail("the null sink did not become the default output");
        monitor_ = Launch("pw-mon", {"-N"});
        if (!monitor_) return Fail("pw-mon could not be started");
        // pw-mon first lists what exists: the null sink among it.
        if (!WaitFor([this] { return Seen().contains("vita_e2e"); }))
            return Fail("pw-mon showed nothing");
        return true;
    }
    const QString& Failure() const { return failure_; }

    // Everything pw-mon told so far.
    const QByteArray& Seen() {
        if (monitor_) seen_ += monitor_->readAll();
        return seen_;
    }
    // Where the first stream of an event sound with `id` was told; -1 while none was.
    qsizetype StreamOf(const QByteArray& id) { return Seen().indexOf("event.id = \"" + id + '"'); }

  private:
    bool Fail(const QString& what) {
        failure_ = what;
        return false;
    }
    QProcess* Launch(const QString& program, const QStringList& arguments) {
        QProcess& child = *children_.emplace_back(std::make_unique<QProcess>());
        child.setProcessEnvironment(env_);
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(program, arguments);
        return child.waitForStarted(kWaitMs) ? &child : nullptr;
    }
    std::optional<QByteArray> Pactl(const QStringList& arguments) const {
        QProcess pactl;
        pactl.setProcessEnvironment(env_);
        pactl.start("pactl", arguments);
        if (!pactl.waitForFinished(kWaitMs) || pactl.exitCode() != 0) return std::nullopt;
        return pactl.readAllStandardOutput().trimmed();
    }

    PrivateBus bus_;
    QProcessEnvironment env_;
    std::vector<std::unique_ptr<QProcess>> children_;
    QProcess* monitor_ = nullptr;
    QByteArray seen_;
    QString failure_;
};

}  // namespace

class TestSoundE2e : public QObject {
    Q_OBJECT

  private slots:
    void drinkReminderSounds_data();
    void drinkReminderSounds();
};

void TestSoundE2e::drinkReminderSounds_data() {
    QTest::addColumn<bool>("remindSound");
    QTest::newRow("提醒音效 on") << true;
    QTest::newRow("提醒音效 off") << false;
}

// The reminder comes with the desktop's "message-new-instant" while its switch is on, in silence
// while it is off; a drink recorded in it is heard as our own droplets either way, after it.
void TestSoundE2e::drinkReminderSounds() {
    QFETCH(bool, remindSound);
    Desk desk;
    QVERIFY2(desk.StartServer(), desk.Failure());
    SoundServer sound;
    QVERIFY2(sound.Start(desk), qPrintable(sound.Failure()));
    QVERIFY(desk.WithStore([&] {
        SettingsStore::SetRemindSoundDrk(remindSound);
        SettingsStore::SetDrinkSound(true);
    }));
    desk.StartProgram({"--drink-now"});
    const QRect rest(QPoint(1024, 768) - QPoint(kFrameSize.width(), kFrameSize.height()),
                     kFrameSize);
    const std::optional<WindowInfo> frame = WaitFor(
        [&] { return First(desk.Windows(), [&](const WindowInfo& w) { return w.rect == rest; }); });
    QVERIFY2(frame, "the drink reminder did not come to rest in the corner");
    if (remindSound)
        QVERIFY2(WaitFor([&] { return sound.StreamOf("message-new-instant") >= 0; }),
                 sound.Seen().right(2000).constData());
    desk.Click(frame->rect.topLeft() + kFrameDrink);
    QVERIFY2(WaitFor([&] { return sound.StreamOf("vita-companion-water") >= 0; }),
             sound.Seen().right(2000).constData());
    // The reminder's sound would have begun when it came, before the drink's.
    QCOMPARE(sound.StreamOf("message-new-instant") >= 0, remindSound);
}

QTEST_GUILESS_MAIN(TestSoundE2e)
#include "tst_sound_e2e.moc"
