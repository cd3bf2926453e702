// What the reminders let be heard, through a player that records instead of playing: the switch,
// the user's busy state, and one reminder sound at a time.

#include <QtTest>

#include "data/clock.h"
#include "reminders/reminder_sounds.h"

using platform::Cue;
using Reminders::SoundMoment;

namespace {

struct FakeClock final : Clock {
    QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
    QDateTime Now() const override { return now; }
};

// Records each sound; it is over when the test says so.
struct Recorder final : platform::SoundPlayer {
    QList<Cue> played;
    std::vector<std::function<void()>> endings;
    void Play(Cue cue, std::function<void()> ended) override {
        played << cue;
        endings.push_back(std::move(ended));
    }
};

// What played before: nothing, or a sound for a moment, still playing or over.
enum class Before { Nothing, Playing, Over };

}  // namespace

Q_DECLARE_METATYPE(Before)
Q_DECLARE_METATYPE(SoundMoment)

class TestReminderSounds : public QObject {
    Q_OBJECT

  private slots:
    void rules_data();
    void rules();
    void silentWithoutPlayer();
};

void TestReminderSounds::rules_data() {
    QTest::addColumn<SoundMoment>("moment");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<SoundMoment>("earlier");  // the moment of the sound before, if any
    QTest::addColumn<Before>("before");
    QTest::addColumn<int>("secsLater");
    QTest::addColumn<bool>("plays");
    const auto C = SoundMoment::Comes, E = SoundMoment::Ends, D = SoundMoment::Done;
    const auto N = Before::Nothing, P = Before::Playing, O = Before::Over;
    QTest::newRow("comes") << C << true << false << C << N << 0 << true;
    QTest::newRow("ends") << E << true << false << C << N << 0 << true;
    QTest::newRow("done") << D << true << false << C << N << 0 << true;
    QTest::newRow("comes, switched off") << C << false << false << C << N << 0 << false;
    QTest::newRow("ends, switched off") << E << false << false << C << N << 0 << false;
    QTest::newRow("done, switched off") << D << false << false << C << N << 0 << false;
    QTest::newRow("comes, user busy") << C << true << true << C << N << 0 << false;
    QTest::newRow("done, user busy") << D << true << true << C << N << 0 << false;
    QTest::newRow("comes over a reminder's") << C << true << false << C << P << 1 << false;
    QTest::newRow("ends over a reminder's") << E << true << false << C << P << 1 << false;
    QTest::newRow("comes over a break's end") << C << true << false << E << P << 1 << false;
    QTest::newRow("done over a reminder's") << D << true << false << C << P << 1 << true;
    QTest::newRow("comes over an answer") << C << true << false << D << P << 1 << true;
    QTest::newRow("comes after a reminder's") << C << true << false << C << O << 1 << true;
    QTest::newRow("comes while one never said over")
        << C << true << false << C << P << Reminders::ReminderSounds::kLongestSoundSecs - 1
        << false;
    QTest::newRow("comes once that counts as over")
        << C << true << false << C << P << Reminders::ReminderSounds::kLongestSoundSecs << true;
    QTest::newRow("comes, the clock set back") << C << true << false << C << P << -60 << true;
}

void TestReminderSounds::rules() {
    QFETCH(SoundMoment, moment);
    QFETCH(bool, on);
    QFETCH(bool, quiet);
    QFETCH(SoundMoment, earlier);
    QFETCH(Before, before);
    QFETCH(int, secsLater);
    QFETCH(bool, plays);
    FakeClock clock;
    Clock::Install(&clock);
    Recorder player;
    Reminders::ReminderSounds sounds;
    sounds.Use(&player);
    if (before != Before::Nothing) {
        QVERIFY(sounds.Play(earlier, Cue::Bell, true));
        if (before == Before::Over && player.endings.back()) player.endings.back()();
    }
    clock.now = clock.now.addSecs(secsLater);
    bool asked = false;
    sounds.SetQuiet([&] { return asked = true, quiet; });
    const qsizetype played = player.played.size();
    QCOMPARE(sounds.Play(moment, Cue::Message, on), plays);
    QCOMPARE(player.played.size(), played + (plays ? 1 : 0));
    if (plays) QCOMPARE(player.played.back(), Cue::Message);
    if (on) QVERIFY(asked);
    // The earlier sound's end, coming after this one started, does not end this one.
    if (plays && moment != SoundMoment::Done && before == Before::Playing &&
        player.endings.front()) {
        player.endings.front()();
        QVERIFY(sounds.ReminderSounding());
    }
    Clock::Install(nullptr);
}

void TestReminderSounds::silentWithoutPlayer() {
    Reminders::ReminderSounds sounds;
    QVERIFY(!sounds.Play(SoundMoment::Comes, Cue::Bell, true));
    QVERIFY(!sounds.ReminderSounding());
}

QTEST_GUILESS_MAIN(TestReminderSounds)
#include "tst_reminder_sounds.moc"
