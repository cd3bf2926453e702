// The relax reminder windows in the real skin, on a real store, with the clock and the timers
// driven by the test: the prompt, the full-screen lock and the relax settings page.

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "data/settings_store.h"
#include "relax/relax_lock.h"
#include "relax/relax_prompt.h"
#include "relax/relax_settings_page.h"
#include "tests/gui/feature_fixture.h"
#include "ui/controls.h"

using namespace SettingsStore;
using namespace feature_test;

namespace {

// The open prompt once its window has been set up.
CHaveRelaxPopDlg* Prompt(const RelaxReminder& relax) {
    CHaveRelaxPopDlg* prompt = nullptr;
    (void)QTest::qWaitFor([&] {
        prompt = relax.Prompt();
        return prompt && Find(prompt, "label_tips") && !TextOf(prompt, "label_tips").isEmpty();
    });
    return prompt;
}

CHaveRelaxLockDlg* Lock(const RelaxReminder& relax) {
    CHaveRelaxLockDlg* lock = nullptr;
    (void)QTest::qWaitFor([&] {
        lock = relax.Lock();
        return lock && lock->isVisible();
    });
    return lock;
}

void SlideToRest(CHaveRelaxPopDlg* prompt) {
    for (int i = 0; i < 200 && prompt->IsSliding(); ++i) Fire(prompt->SlideTimer());
}

}  // namespace

class TestRelaxWindows : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void timeOfDay_data();
    void timeOfDay();
    void promptCountdown_data();
    void promptCountdown();
    void breakInThePrompt();
    void breakPressedDuringTheSlide();
    void oneReminderAtATime();
    void promptMenu();
    void lockBreak_data();
    void lockBreak();
    void lockPaging();
    void lockMenu();
    void lockKeysActOnlyAfterTab();
    void settingsPage();
    void settingsPagesFollowEachOther();

  private:
    CHaveRelaxDlg* MainPage() const;

    Desk desk_;
    FakeClock& clock_ = desk_.clock;
    std::unique_ptr<CMainDlg>& main_ = desk_.main;
};

void TestRelaxWindows::init() {
    QVERIFY(desk_.Open());
}

void TestRelaxWindows::cleanup() {
    desk_.Close();
}

CHaveRelaxDlg* TestRelaxWindows::MainPage() const {
    return qobject_cast<CHaveRelaxDlg*>(main_->Page("wnd_haverelax"));
}

void TestRelaxWindows::timeOfDay_data() {
    QTest::addColumn<int>("hour");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("sentence");
    const QString evening = "努力了一天，早点回家休息吧", morning = "来一杯咖啡，又是新的一天";
    QTest::newRow("00") << 0 << "label_evening" << evening;
    QTest::newRow("05") << 5 << "label_evening" << evening;
    QTest::newRow("06") << 6 << "label_morning" << morning;
    QTest::newRow("11") << 11 << "label_morning" << morning;
    QTest::newRow("12") << 12 << "label_noon"
                        << "午餐时间到，再忙也要好好吃饭";
    QTest::newRow("13") << 13 << "label_afternoon"
                        << "下午容易犯困，不如和朋友散散步吧";
    QTest::newRow("17") << 17 << "label_afternoon"
                        << "下午容易犯困，不如和朋友散散步吧";
    QTest::newRow("18") << 18 << "label_evening" << evening;
    QTest::newRow("23") << 23 << "label_evening" << evening;
}

// One picture and its sentence, by the local hour the prompt opens in.
void TestRelaxWindows::timeOfDay() {
    QFETCH(int, hour);
    QFETCH(QString, picture);
    QFETCH(QString, sentence);
    clock_.now = QDateTime(QDate(2026, 12, 8), QTime(hour, 59, 59));
    desk_.scheduler->Request(ReminderKind::Relax);
    CHaveRelaxPopDlg* prompt = Prompt(*desk_.relax);
    QVERIFY(prompt);
    QCOMPARE(TextOf(prompt, "label_tips"), sentence);
    QStringList shown;
    for (const char* name : {"label_morning", "label_noon", "label_afternoon", "label_evening"})
        if (Shown(prompt, name)) shown << name;
    QCOMPARE(shown, QStringList{picture});
}

void TestRelaxWindows::promptCountdown_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QStringList>("shown");  // during the slide, then after each tick
    QTest::newRow("3 seconds") << 3 << QStringList({"3", "2", "1"});
    QTest::newRow("15 seconds, the first ones")
        << 15
        << QStringList(
               {"15", "14", "13", "12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"});
}

// The prompt counts down once it is in place, and the break starts as the count runs out.
void TestRelaxWindows::promptCountdown() {
    QFETCH(int, seconds);
    QFETCH(QStringList, shown);
    SetCountDownSecond(seconds);
    desk_.scheduler->Request(ReminderKind::Relax);
    CHaveRelaxPopDlg* prompt = Prompt(*desk_.relax);
    QVERIFY(prompt);
    QCOMPARE(TextOf(prompt, "label_countdown"), shown.first());
    QVERIFY(!prompt->PromptCountdown().IsRunning());
    SlideToRest(prompt);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(prompt->geometry().topLeft() + prompt->ClientRect().bottomRight(), work.bottomRight());
    QVERIFY(prompt->PromptCountdown().IsRunning());
    QStringList seen{TextOf(prompt, "label_countdown")};
    for (int i = 1; i < shown.size(); ++i) {
        Advance(clock_, prompt->PromptCountdown());
        seen << TextOf(prompt, "label_countdown");
    }
    QCOMPARE(seen, shown);
    QVERIFY(!prompt->IsBreaking());
    QPointer<CHaveRelaxPopDlg> alive(prompt);
    Advance(clock_,
            prompt->PromptCountdown());  // the last second: the break, full screen by default
    QTRY_VERIFY(!alive);
    QVERIFY(Lock(*desk_.relax));
}

// With full-screen breaks off the break runs in the prompt: "%02d:%02d" down to 00:01, then the
// prompt closes; "结束休息" ends it sooner.
void TestRelaxWindows::breakInThePrompt() {
    SetRemindFullScreen(false);
    SetRelaxMinute(3);
    const int bell = int(platform::Cue::Bell), complete = int(platform::Cue::Complete);
    for (const bool early : {false, true}) {
        desk_.sounds.played.clear();
        desk_.scheduler->Request(ReminderKind::Relax);
        CHaveRelaxPopDlg* prompt = Prompt(*desk_.relax);
        QVERIFY(prompt);
        SlideToRest(prompt);
        QTest::mouseClick(Find(prompt, "btn_relax_yes"), Qt::LeftButton);
        QVERIFY(prompt->IsBreaking());
        QCOMPARE(TextOf(prompt, "label_relax_time"), QString("03:00"));
        for (const char* gone : {"label_tips", "label_countdown", "label_relax_start",
                                 "btn_relax_yes", "btn_relax_no"})
            QVERIFY2(!Shown(prompt, gone), gone);
        for (const char* shown : {"label_relax_time", "label_relax_stop", "btn_relax_stop"})
            QVERIFY2(Shown(prompt, shown), shown);
        QPointer<CHaveRelaxPopDlg> alive(prompt);
        if (early) {
            QTest::mouseClick(Find(prompt, "btn_relax_stop"), Qt::LeftButton);
            QTRY_VERIFY(!alive);
            QCOMPARE(desk_.sounds.played, QList<int>{bell});  // ended by the user: no sound
            continue;
        }
        Advance(clock_, prompt->BreakCountdown());
        QCOMPARE(TextOf(prompt, "label_relax_time"), QString("02:59"));
        Advance(clock_, prompt->BreakCountdown(), 178);
        QCOMPARE(TextOf(prompt, "label_relax_time"), QString("00:01"));
        QVERIFY(alive && !alive->IsClosed());
        Advance(clock_, prompt->BreakCountdown());  // the 180th second
        QTRY_VERIFY(!alive);
        QVERIFY(!desk_.relax->Lock());
        QCOMPARE(desk_.sounds.played, (QList<int>{bell, complete}));
    }
}

// "我要休息" before the prompt is in place: the break starts once, and the end of the slide does
// not start the prompt's countdown (and a second break) after it.
void TestRelaxWindows::breakPressedDuringTheSlide() {
    SetRemindFullScreen(false);
    SetCountDownSecond(3);
    desk_.scheduler->Request(ReminderKind::Relax);
    CHaveRelaxPopDlg* prompt = Prompt(*desk_.relax);
    QVERIFY(prompt && prompt->IsSliding());
    QTest::mouseClick(Find(prompt, "btn_relax_yes"), Qt::LeftButton);
    SlideToRest(prompt);
    QVERIFY(!prompt->PromptCountdown().IsRunning());
    QVERIFY(prompt->BreakCountdown().IsRunning());
    Advance(clock_, prompt->BreakCountdown(), 5);
    QCOMPARE(TextOf(prompt, "label_relax_time"), QString("09:55"));
}

// One prompt at most, none while the lock is open; the lock at most once.
void TestRelaxWindows::oneReminderAtATime() {
    desk_.scheduler->Request(ReminderKind::Relax);
    CHaveRelaxPopDlg* first = Prompt(*desk_.relax);
    desk_.scheduler->Request(ReminderKind::Relax);
    QCOMPARE(desk_.relax->Prompt(), first);
    first->StartBreak();
    QTRY_VERIFY(!desk_.relax->Prompt());
    CHaveRelaxLockDlg* lock = Lock(*desk_.relax);
    QVERIFY(lock);
    desk_.scheduler->Request(ReminderKind::Relax);
    desk_.relax->OpenLock();
    QCoreApplication::processEvents();
    QVERIFY(!desk_.relax->Prompt());
    QCOMPARE(desk_.relax->Lock(), lock);
    QPointer<CHaveRelaxLockDlg> alive(lock);
    QTest::mouseClick(Find(lock, "btn_relax_over"), Qt::LeftButton);
    QTRY_VERIFY(!alive);
    desk_.scheduler->Request(ReminderKind::Relax);
    QVERIFY(Prompt(*desk_.relax));
}

// "不再弹出" switches relax reminders off (timer stopped) or on at once; "提醒设置" opens the
// relax settings frame.
void TestRelaxWindows::promptMenu() {
    desk_.scheduler->Request(ReminderKind::Relax);
    CHaveRelaxPopDlg* prompt = Prompt(*desk_.relax);
    SlideToRest(prompt);
    for (const bool on : {true, false}) {
        QTest::mouseClick(Find(prompt, "btn_main_menu"), Qt::LeftButton);
        ui::MenuWnd* menu = OpenMenu("menu_relax.xml");
        QVERIFY(menu);
        QCOMPARE(menu->Item("menu_relax_nopop")->Icon(), on ? QString() : QString("menu_tick.png"));
        menu->Choose(menu->Item("menu_relax_nopop"));
        QTRY_COMPARE(GetRemindOnTime(), !on);
    }
    prompt->OnMenuCommand("menu_relax_tipset");
    QVERIFY(desk_.relax->SettingsFrame());
}

void TestRelaxWindows::lockBreak_data() {
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("atOpen");
    QTest::addColumn<QString>("firstTick");
    QTest::addColumn<bool>("sound");  // 提醒音效: heard when the break is over
    QTest::newRow("10 minutes") << 10 << "00:10:00"
                                << "00:09:59" << true;
    QTest::newRow("an hour, 提醒音效 off") << 60 << "01:00:00"
                                           << "00:59:59" << false;
}

// The time left each second, then the completion view that waits for the user.
void TestRelaxWindows::lockBreak() {
    QFETCH(int, minutes);
    QFETCH(QString, atOpen);
    QFETCH(QString, firstTick);
    QFETCH(bool, sound);
    SetRelaxMinute(minutes);
    SetRemindSound(sound);
    desk_.relax->OpenLock();
    CHaveRelaxLockDlg* lock = Lock(*desk_.relax);
    QVERIFY(lock);
    QCOMPARE(lock->geometry(), QGuiApplication::primaryScreen()->geometry());
    QVERIFY(lock->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(lock->Veils().size(), std::size_t(QGuiApplication::screens().size() - 1));
    QCOMPARE(TextOf(lock, "label_relax_time"), atOpen);
    Advance(clock_, lock->BreakCountdown());
    QCOMPARE(TextOf(lock, "label_relax_time"), firstTick);
    Advance(clock_, lock->BreakCountdown(), minutes * 60 - 2);
    QVERIFY(!lock->IsFinished());
    Advance(clock_, lock->BreakCountdown());
    QVERIFY(lock->IsFinished());
    QCOMPARE(desk_.sounds.played, sound ? QList<int>{int(platform::Cue::Complete)} : QList<int>{});
    QVERIFY(!Shown(lock, "hori_relax"));
    QVERIFY(!lock->BreakCountdown().IsRunning());
    QVERIFY(!lock->IsClosed());  // it waits on the completion view
}

// Previous and next page through six pictures without wrapping round; the motto has none.
void TestRelaxWindows::lockPaging() {
    QCOMPARE(CHaveRelaxLockDlg::ModeFor(0), CHaveRelaxLockDlg::PictureMode::Motto);
    QCOMPARE(CHaveRelaxLockDlg::ModeFor(32767), CHaveRelaxLockDlg::PictureMode::Carousel);
    desk_.relax->OpenLock();
    CHaveRelaxLockDlg* lock = Lock(*desk_.relax);
    lock->SetPictureMode(CHaveRelaxLockDlg::PictureMode::Motto);
    QVERIFY(Shown(lock, "label_group") && !Shown(lock, "hori_group"));
    lock->SetPictureMode(CHaveRelaxLockDlg::PictureMode::Carousel);
    QVERIFY(!Shown(lock, "label_group") && Shown(lock, "hori_group"));
    auto* tabs = Find<ui::TabLayout>(lock, "tab_group");
    const auto page = [&](const char* button) {
        QTest::mouseClick(Find(lock, button), Qt::LeftButton);
        return tabs->CurrentIndex();
    };
    QCOMPARE(page("btn_relax_prev"), 0);
    QList<int> pages;
    for (int i = 0; i < 6; ++i) pages << page("btn_relax_next");
    QCOMPARE(pages, QList<int>({1, 2, 3, 4, 5, 5}));
    QCOMPARE(page("btn_relax_prev"), 4);
}

// "不再弹出" decides the next break only; "提醒设置" twice makes one frame, owned by the lock.
void TestRelaxWindows::lockMenu() {
    desk_.relax->OpenLock();
    CHaveRelaxLockDlg* lock = Lock(*desk_.relax);
    for (const bool fullScreen : {true, false}) {
        QTest::mouseClick(Find(lock, "btn_relax_set"), Qt::LeftButton);
        ui::MenuWnd* menu = OpenMenu("menu_relax_full.xml");
        QVERIFY(menu);
        QCOMPARE(menu->Item("menu_relax_nopop")->Icon(),
                 fullScreen ? QString() : QString("menuitem_tick_white.png"));
        menu->Choose(menu->Item("menu_relax_nopop"));
        QTRY_COMPARE(GetRemindFullScreen(), !fullScreen);
        QVERIFY(desk_.relax->Lock() == lock && !lock->IsClosed());
    }
    lock->OnMenuCommand("menu_relax_tipset");
    lock->OnMenuCommand("menu_relax_tipset");
    QCOMPARE(desk_.OpenFrames(), (1));
    CFramePopupDlg* frame = desk_.relax->SettingsFrame();
    QCOMPARE(frame->parentWidget(), lock);
    QVERIFY(qobject_cast<CHaveRelaxDlg*>(frame->Content()));
    QSignalSpy feedback(desk_.scheduler.get(), &ReminderScheduler::FeedbackRequested);
    lock->OnMenuCommand("menu_relax_feedback");
    QCOMPARE(feedback.count(), 1);
}

// The lock appears while the user types elsewhere: no key acts on it (Return on its button,
// Escape) until a Tab shows where the focus is; a click hides the focus again.
void TestRelaxWindows::lockKeysActOnlyAfterTab() {
    desk_.relax->OpenLock();
    CHaveRelaxLockDlg* lock = Lock(*desk_.relax);
    QVERIFY(lock);
    QWidget* over = Find(lock, "btn_relax_over");
    const auto typeInto = [over] {
        over->setFocus();
        QTest::keyClicks(over, "git commit -m 'fix'");
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Return, Qt::Key_Escape})
            QTest::keyClick(over, key);
    };
    typeInto();
    QVERIFY(!lock->IsClosed());
    QTest::keyClick(over, Qt::Key_Tab);
    QTest::mouseClick(lock, Qt::LeftButton, {}, QPoint(5, 5));  // a click hides the focus again
    typeInto();
    QVERIFY(!lock->IsClosed());
    QTest::keyClick(over, Qt::Key_Tab);
    over->setFocus();
    QTest::keyClick(over, Qt::Key_Return);
    QTRY_VERIFY(lock->IsClosed());
}

// The page's rules: the switch with its full-screen neighbour and the timer, the interval never
// nothing, the other combos, a stored value no item shows, the sound switch opening both
// reminders.
void TestRelaxWindows::settingsPage() {
    SetCountDownSecond(7);
    main_->show();
    main_->ShowPage("btn_haverelax_set");
    QCoreApplication::processEvents();  // a page is built when first shown
    CHaveRelaxDlg* page = MainPage();
    QTRY_VERIFY(Find(page, "check_remind_ontime"));
    QCOMPARE(Find<ui::Combo>(page, "combo_countdown")->SelectedText(), QString("5"));
    QCOMPARE(GetCountDownSecond(), 5);  // 7 is no item: the nearest one
    QCOMPARE(TextOf(page, "label_remind_time"), QString("12:00"));

    QTest::mouseClick(Find(page, "check_remind_ontime"), Qt::LeftButton);
    QVERIFY(!GetRemindOnTime());
    QVERIFY(!Shown(page, "check_remind_fullscreen") && !Shown(page, "label_remind_fullscreen"));
    QCOMPARE(TextOf(page, "label_remind_time"), QString("--"));
    clock_.now = clock_.now.addSecs(60);
    QTest::mouseClick(Find(page, "check_remind_ontime"), Qt::LeftButton);
    QVERIFY(Shown(page, "check_remind_fullscreen"));
    QCOMPARE(TextOf(page, "label_remind_time"), QString("12:01"));

    auto* hour = Find<ui::Combo>(page, "combo_remind_hour");
    auto* minute = Find<ui::Combo>(page, "combo_remind_minute");
    hour->SelectItemByValue(1);
    minute->SelectItemByValue(30);
    QCOMPARE(GetRemindHour(), 1);
    QCOMPARE(GetRemindMinute(), 30);
    QCOMPARE(desk_.scheduler->NextDue(ReminderKind::Relax), clock_.now.addSecs(5400));
    minute->SelectItemByValue(0);
    hour->SelectItemByValue(0);  // 0 h 0 min: the minutes become 5
    QCOMPARE(minute->SelectedText(), QString("5"));
    QCOMPARE(GetRemindMinute(), 5);
    QCOMPARE(desk_.scheduler->NextDue(ReminderKind::Relax), clock_.now.addSecs(300));
    Find<ui::Combo>(page, "combo_countdown")->SelectItemByValue(45);
    Find<ui::Combo>(page, "combo_relax_minute")->SelectItemByValue(60);
    QCOMPARE(GetCountDownSecond(), 45);
    QCOMPARE(GetRelaxMinute(), 60);

    QTest::mouseClick(Find(page, "check_remind_sound"), Qt::LeftButton);
    QVERIFY(!GetRemindSound());
    QVERIFY(desk_.relax->Prompt());
    QVERIFY(desk_.drink->Frame());
}

// The page in the main window and the one in the relax settings frame show each other's
// changes, and those made from the menus, as they are announced.
void TestRelaxWindows::settingsPagesFollowEachOther() {
    main_->show();
    main_->ShowPage("btn_haverelax_set");
    QCoreApplication::processEvents();  // a page is built when first shown
    desk_.relax->OpenSettingsFrame(nullptr);
    CFramePopupDlg* frame = nullptr;
    QTRY_VERIFY((frame = desk_.relax->SettingsFrame()) && frame->Content()->IsInitialized());
    auto* framePage = static_cast<CHaveRelaxDlg*>(frame->Content());
    QCOMPARE(framePage->LayoutFile(), QString("haverelax.xml"));
    QTest::mouseClick(Find(framePage, "check_remind_fullscreen"), Qt::LeftButton);
    QVERIFY(!GetRemindFullScreen());
    QVERIFY(!Find<ui::CheckBox>(MainPage(), "check_remind_fullscreen")->IsChecked());
    SetRemindOnTime(false);  // as the prompt's menu does
    QVERIFY(!Find<ui::CheckBox>(framePage, "check_remind_ontime")->IsChecked());
    QVERIFY(!Shown(framePage, "check_remind_fullscreen"));
}

QTEST_MAIN(TestRelaxWindows)
#include "tst_relax_windows.moc"
