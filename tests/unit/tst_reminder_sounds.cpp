// What the reminders let be heard, through a player that records instead of playing: the switch,
// the user's busy state, and one reminder sound at a time.

#include <QtTest>

#include "data/clock.h"
#include "reminders/reminder_sounds.h"

using Reminders::SoundMoment;

// A clock the test sets, and a player whose sounds are over when the test says so.
struct Stand final : Clock, platform::SoundPlayer {
    QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
    std::vector<std::function<void()>> endings;
    QDateTime Now() const override { return now; }
    void Play(platform::Cue, std::function<void()> ended) override {
        endings.push_back(std::move(ended));
    }
};

class TestReminderSounds : public QObject {
    Q_OBJECT

  private slots:
    void rules_data() {
        QTest::addColumn<int>("before");     // the moment of the sound before; -1: none
        QTest::addColumn<int>("secsLater");  // -1: the sound before is over
        QTest::addColumn<int>("moment");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<bool>("plays");
        const int comes = int(SoundMoment::Comes), ends = int(SoundMoment::Ends),
                  done = int(SoundMoment::Done);
        const int stale = Reminders::ReminderSounds::kLongestSoundSecs;
        QTest::newRow("comes, switched off") << -1 << 0 << comes << false << false << false;
        QTest::newRow("done, switched off") << -1 << 0 << done << false << false << false;
        QTest::newRow("comes, user busy") << -1 << 0 << comes << true << true << false;
        QTest::newRow("done, user busy") << -1 << 0 << done << true << true << false;
        QTest::newRow("comes over a reminder's") << comes << 1 << comes << true << false << false;
        QTest::newRow("ends over a reminder's") << comes << 1 << ends << true << false << false;
        QTest::newRow("done over a reminder's") << comes << 1 << done << true << false << true;
        QTest::newRow("comes over an answer") << done << 1 << comes << true << false << true;
        QTest::newRow("comes after one") << ends << -1 << comes << true << false << true;
        QTest::newRow("one never said over") << comes << stale << comes << true << false << true;
    }

    void rules() {
        QFETCH(int, before);
        QFETCH(int, secsLater);
        QFETCH(int, moment);
        QFETCH(bool, on);
        QFETCH(bool, quiet);
        QFETCH(bool, plays);
        Stand stand;
        Clock::Install(&stand);
        Reminders::ReminderSounds sounds;
        sounds.Use(&stand);
        if (before >= 0) QVERIFY(sounds.Play(SoundMoment(before), platform::Cue::Bell, true));
        if (secsLater < 0) stand.endings.back()();
        sounds.SetQuiet([quiet] { return quiet; });
        stand.now = stand.now.addSecs(std::max(secsLater, 0));
        const std::size_t played = stand.endings.size();
        QCOMPARE(sounds.Play(SoundMoment(moment), platform::Cue::Message, on), plays);
        // The end of the sound before, told late, does not end a reminder sound after it.
        if (plays && played > 0 && stand.endings[0]) {
            stand.endings[0]();
            QCOMPARE(sounds.ReminderSounding(), SoundMoment(moment) != SoundMoment::Done);
        }
        Clock::Install(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestReminderSounds)
#include "tst_reminder_sounds.moc"
