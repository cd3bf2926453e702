// The reminders' clocks on a clock the test sets: due times on the wall clock (daylight-saving
// days included), a suspend, one reminder at a time, a drink reminder held back by a full-screen
// break, requests of the user, and the countdowns of the panels and breaks.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

#include "data/clock.h"
#include "data/settings_store.h"
#include "reminders/corner_slide.h"
#include "reminders/countdown.h"
#include "reminders/interval.h"
#include "reminders/reminder_scheduler.h"
#include "ui/window_base.h"

namespace {

struct FakeClock final : Clock {
    QDateTime now;
    QDateTime Now() const override { return now; }
};

struct Window final : ui::WindowBase {
    QString LayoutFile() const override { return QStringLiteral("none.xml"); }
};

void Fire(const QTimer& timer) {
    QMetaObject::invokeMethod(const_cast<QTimer*>(&timer), "timeout", Qt::DirectConnection);
}

QDateTime Utc(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toLocalTime();
}

}  // namespace

class TestReminderScheduler : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dueText_data();
    void dueText();
    void fallsDueOnTheWallClock();
    void suspendBringsItOnceAndCountsFromThen();
    void oneAtATimeAndRequests();
    void fullScreenBreakHoldsBackTheDrink();
    void switchedOffHasNoDueTime();
    void countdownEndsAtAWallClockMoment();
    void cornerRestsBesideOthers_data();
    void cornerRestsBesideOthers();
    void awayStopsTheClocks_data();
    void awayStopsTheClocks();
    void busyDefersThenComesOnce();

  private:
    void Open(int hours, int minutes);
    FakeClock clock_;
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<ReminderScheduler> scheduler_;
    int opened_[2] = {0, 0};
    int raised_[2] = {0, 0};
    QList<int> order_;  // the kinds opened, in turn
};

void TestReminderScheduler::initTestCase() {
    // The daylight-saving rows are Berlin's.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    Clock::Install(&clock_);
}

void TestReminderScheduler::init() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
    QVERIFY(SettingsStore::OpenSettings());
    clock_.now = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
    opened_[0] = opened_[1] = raised_[0] = raised_[1] = 0;
    scheduler_ = std::make_unique<ReminderScheduler>();
    for (int k : {0, 1})
        scheduler_->Install(static_cast<ReminderKind>(k), {[this, k] { ++opened_[k], order_ << k; },
                                                           [this, k] { ++raised_[k]; }});
    order_.clear();
}

void TestReminderScheduler::cleanup() {
    scheduler_.reset();
    SettingsStore::CloseSettings();
}

// The drink interval, then the clocks started.
void TestReminderScheduler::Open(int hours, int minutes) {
    SettingsStore::SetRemindHourDrk(hours);
    SettingsStore::SetRemindMinuteDrk(minutes);
    scheduler_->Start();
}

void TestReminderScheduler::dueText_data() {
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<qint64>("inSecs");
    QTest::newRow("30 minutes") << QDateTime(QDate(2026, 12, 8), QTime(10, 0)) << 30 << "10:30"
                                << 1800LL;
    QTest::newRow("over midnight")
        << QDateTime(QDate(2026, 12, 8), QTime(23, 50)) << 30 << "00:20" << 1800LL;
    // The reminder comes no sooner than five minutes: the page says so.
    QTest::newRow("4 minutes: the floor")
        << QDateTime(QDate(2026, 12, 8), QTime(10, 0)) << 4 << "10:05" << 300LL;
    // 01:59:30 CET, the clocks go forward at 02:00: half an hour later is 03:29:30 CEST.
    QTest::newRow("spring forward") << Utc(2027, 3, 28, 0, 59, 30) << 30 << "03:29" << 1800LL;
    // 02:59:30 CEST, the clocks go back at 03:00: half an hour later is 02:29:30 CET.
    QTest::newRow("fall back") << Utc(2026, 10, 25, 0, 59, 30) << 30 << "02:29" << 1800LL;
}

void TestReminderScheduler::dueText() {
    QFETCH(QDateTime, start);
    QFETCH(int, minutes);
    QFETCH(qint64, inSecs);
    clock_.now = start;
    Open(0, minutes);
    const QDateTime due = scheduler_->NextDue(ReminderKind::Drink);
    QCOMPARE(start.secsTo(due), inSecs);
    QTEST(Reminders::DueText(true, due), "shown");
    QCOMPARE(scheduler_->Timer(ReminderKind::Drink).remainingTime(), int(inSecs * 1000));
}

void TestReminderScheduler::fallsDueOnTheWallClock() {
    Open(0, 30);
    const QTimer& timer = scheduler_->Timer(ReminderKind::Drink);
    clock_.now = clock_.now.addSecs(1799);
    Fire(timer);  // a minute early, as a timer may be: not yet, and armed for the rest
    QCOMPARE(opened_[1], 0);
    QCOMPARE(timer.remainingTime(), 1000);
    clock_.now = clock_.now.addSecs(1);
    Fire(timer);
    QCOMPARE(opened_[1], 1);
    QCOMPARE(scheduler_->NextDue(ReminderKind::Drink), clock_.now.addSecs(1800));
    QCOMPARE(opened_[0], 0);  // the other clock runs apart
}

void TestReminderScheduler::suspendBringsItOnceAndCountsFromThen() {
    Open(0, 30);
    // Asleep for three hours: the timer knows nothing of it, the wall clock does.
    clock_.now = clock_.now.addSecs(3 * 3600);
    scheduler_->OnPrepareForSleep(true);
    QCOMPARE(opened_[1], 0);
    scheduler_->OnPrepareForSleep(false);
    QCOMPARE(opened_[1], 1);  // once, not six times
    QCOMPARE(scheduler_->NextDue(ReminderKind::Drink), clock_.now.addSecs(1800));
    // The relax reminder (two hours) fell due in the sleep too.
    QCOMPARE(opened_[0], 1);
}

void TestReminderScheduler::oneAtATimeAndRequests() {
    Open(0, 30);
    Window frame;
    scheduler_->Showing(ReminderKind::Drink, &frame);
    clock_.now = clock_.now.addSecs(1800);
    Fire(scheduler_->Timer(ReminderKind::Drink));
    QCOMPARE(opened_[1], 0);  // it shows already: not queued, brought to the front
    QCOMPARE(raised_[1], 1);
    QVERIFY(!scheduler_->IsWaiting(ReminderKind::Drink));
    QVERIFY(!scheduler_->Request(ReminderKind::Drink));  // asked for: to the front too
    QCOMPARE(raised_[1], 2);
    frame.Close(1);
    QTRY_VERIFY(!scheduler_->IsShowing(ReminderKind::Drink));
    QVERIFY(scheduler_->Request(ReminderKind::Drink));
    QCOMPARE(opened_[1], 1);
}

void TestReminderScheduler::fullScreenBreakHoldsBackTheDrink() {
    Open(0, 30);
    Window prompt, lock;
    scheduler_->Showing(ReminderKind::Relax, &prompt);
    clock_.now = clock_.now.addSecs(1800);
    Fire(scheduler_->Timer(ReminderKind::Drink));
    QCOMPARE(opened_[1], 1);  // beside a prompt it comes at once
    scheduler_->Showing(ReminderKind::Relax, &lock, true);
    prompt.Close(1);
    clock_.now = clock_.now.addSecs(1800);
    Fire(scheduler_->Timer(ReminderKind::Drink));
    QCOMPARE(opened_[1], 1);  // during the break it waits
    QVERIFY(scheduler_->IsWaiting(ReminderKind::Drink));
    clock_.now = clock_.now.addSecs(1800);
    Fire(scheduler_->Timer(ReminderKind::Drink));
    lock.Close(1);
    QTRY_COMPARE(opened_[1], 2);  // then once, however often it fell due
    QVERIFY(!scheduler_->IsWaiting(ReminderKind::Drink));
}

void TestReminderScheduler::awayStopsTheClocks_data() {
    QTest::addColumn<bool>("pausing");
    QTest::addColumn<int>("absentMinutes");  // from the last input to the return
    QTest::addColumn<int>("drinkLeft");      // minutes from the return
    QTest::addColumn<int>("relaxLeft");
    // Drink every 30 minutes, a break every 2 hours lasting 10; the last input at 10:05.
    QTest::newRow("short absence: both go on") << true << 9 << 25 << 115;
    QTest::newRow("as long as a break: it was one") << true << 10 << 25 << 120;
    QTest::newRow("longer than an interval") << true << 300 << 25 << 120;
    QTest::newRow("pausing switched off") << false << 9 << 16 << 106;
}

// While away the clocks stand and nothing opens, even when a timer fires; back, they go on from
// where they stood, and an absence as long as a break restarts the relax clock.
void TestReminderScheduler::awayStopsTheClocks() {
    QFETCH(bool, pausing);
    QFETCH(int, absentMinutes);
    SettingsStore::SetPauseWhenAway(pausing);
    Open(0, 30);
    const QDateTime lastInput = clock_.now.addSecs(5 * 60);
    clock_.now = lastInput.addSecs(5 * 60);  // the idle stretch has passed
    scheduler_->SetAway(true, lastInput);
    QCOMPARE(scheduler_->IsPaused(), pausing);
    clock_.now = lastInput.addSecs(absentMinutes * 60);
    if (pausing) {
        Fire(scheduler_->Timer(ReminderKind::Drink));
        scheduler_->Recheck();  // a resume from a suspend
        QCOMPARE(opened_[1] + opened_[0], 0);
    }
    scheduler_->SetAway(false);
    QTEST(int(clock_.now.secsTo(scheduler_->NextDue(ReminderKind::Drink)) / 60), "drinkLeft");
    QTEST(int(clock_.now.secsTo(scheduler_->NextDue(ReminderKind::Relax)) / 60), "relaxLeft");
}

// While busy, reminders that fall due wait, the clocks still counting; a few seconds after, the
// relax prompt comes, then one drink reminder. What the user asks for comes at once.
void TestReminderScheduler::busyDefersThenComesOnce() {
    Open(0, 30);
    scheduler_->SetBusy(true);
    for (int i = 0; i < 4; ++i) {  // two hours
        clock_.now = clock_.now.addSecs(1800);
        Fire(scheduler_->Timer(ReminderKind::Drink));
    }
    Fire(scheduler_->Timer(ReminderKind::Relax));
    QCOMPARE(order_, QList<int>());
    QCOMPARE(scheduler_->NextDue(ReminderKind::Drink), clock_.now.addSecs(1800));
    scheduler_->SetBusy(false);
    QVERIFY(scheduler_->ReleaseTimer().isActive());
    QCOMPARE(order_, QList<int>());
    Fire(scheduler_->ReleaseTimer());
    QCOMPARE(order_, QList<int>({0, 1}));
    scheduler_->SetBusy(true);
    QVERIFY(scheduler_->Request(ReminderKind::Drink));
    QCOMPARE(opened_[1], 2);
    SettingsStore::SetDeferWhenBusy(false);  // busy counts no more
    clock_.now = clock_.now.addSecs(1800);
    Fire(scheduler_->Timer(ReminderKind::Drink));
    QCOMPARE(opened_[1], 3);
}

void TestReminderScheduler::switchedOffHasNoDueTime() {
    Open(0, 30);
    QSignalSpy due(scheduler_.get(), &ReminderScheduler::DueChanged);
    SettingsStore::SetRemindOnTimeDrk(false);
    QVERIFY(!scheduler_->NextDue(ReminderKind::Drink).isValid());
    QVERIFY(!scheduler_->Timer(ReminderKind::Drink).isActive());
    QCOMPARE(Reminders::DueText(false, scheduler_->NextDue(ReminderKind::Drink)), QString("--"));
    clock_.now = clock_.now.addSecs(60);
    SettingsStore::SetRemindOnTimeDrk(true);  // on again: a full interval from now
    QCOMPARE(scheduler_->NextDue(ReminderKind::Drink), clock_.now.addSecs(1800));
    SettingsStore::SetRemindMinuteDrk(45);
    QCOMPARE(scheduler_->NextDue(ReminderKind::Drink), clock_.now.addSecs(2700));
    QCOMPARE(due.size(), 3);
    QVERIFY(scheduler_->Timer(ReminderKind::Relax).isActive());  // untouched
}

void TestReminderScheduler::countdownEndsAtAWallClockMoment() {
    Countdown countdown;
    QSignalSpy ticks(&countdown, &Countdown::Tick);
    QSignalSpy finished(&countdown, &Countdown::Finished);
    countdown.Start(6);
    clock_.now = clock_.now.addMSecs(2500);
    QCOMPARE(countdown.Remaining(), 4LL);  // whole seconds, rounded up
    Fire(countdown.Ticker());
    QCOMPARE(ticks.takeFirst().at(0).toLongLong(), 4LL);
    // A suspend past the end: over at the next tick, as time that was rest.
    clock_.now = clock_.now.addSecs(600);
    Fire(countdown.Ticker());
    QCOMPARE(finished.size(), 1);
    QVERIFY(!countdown.IsRunning());
    QVERIFY(ticks.isEmpty());
}

void TestReminderScheduler::cornerRestsBesideOthers_data() {
    QTest::addColumn<QRect>("work");
    QTest::addColumn<int>("taken");  // by the windows that came before
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("panel at the bottom") << QRect(0, 0, 1024, 728) << 0 << QPoint(744, 368);
    QTest::newRow("panel at the right") << QRect(0, 0, 960, 768) << 0 << QPoint(680, 408);
    QTest::newRow("panel at the top") << QRect(0, 40, 1024, 728) << 0 << QPoint(744, 408);
    QTest::newRow("a screen right of another")
        << QRect(1920, 0, 1280, 1024) << 0 << QPoint(2920, 664);
    QTest::newRow("beside another") << QRect(0, 0, 1920, 1050) << 280 << QPoint(1360, 690);
    QTest::newRow("no room left beside: never off the work area")
        << QRect(0, 0, 400, 600) << 280 << QPoint(0, 240);
}

void TestReminderScheduler::cornerRestsBesideOthers() {
    QFETCH(QRect, work);
    QFETCH(int, taken);
    QTEST(Reminders::CornerSlide::RestingPlace(work, QSize(280, 360), taken), "topLeft");
}

QTEST_MAIN(TestReminderScheduler)
#include "tst_reminder_scheduler.moc"
