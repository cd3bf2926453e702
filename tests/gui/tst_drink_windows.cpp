// The drink reminder windows in the real skin, on a real store, with the clock and the timers
// driven by the test: the drink-now panel (page and frame), the reminder frame, the drink
// settings page and the main window's reminder timers.

#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/message_window.h"
#include "data/database_session.h"
#include "data/drink_log.h"
#include "data/settings_store.h"
#include "reminders/corner_slide.h"
#include "tests/gui/feature_fixture.h"
#include "ui/controls.h"

using namespace SettingsStore;
using namespace DrinkLog;
using namespace feature_test;

namespace {

QStringList DrinkRows() {
    ResultSet rows;
    Session().QueryRows("select size, DrinkDate, DrinkTime from DrinkWaterRecord", rows);
    QStringList out;
    while (const ResultSet::Row* row = rows.NextRow())
        out << QString::fromStdString((*row)[0] + " " + (*row)[1] + " " + (*row)[2]);
    return out;
}

// A frame once its window has been set up (its OnInit came from the loop).
CFramePopupDlg* Ready(CFramePopupDlg* frame) {
    (void)QTest::qWaitFor([&] {
        return frame && Find(frame, "label_title") &&
               Find(frame, "label_title")->Text() != QStringLiteral("休息提醒");
    });
    return frame;
}

}  // namespace

class TestDrinkWindows : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void panelTargetTexts_data();
    void panelTargetTexts();
    void drinkAndCountDown();
    void nothingToDrink();
    void pageLeftDuringCountdown();
    void achievementsLinkFromTheFrame();
    void frameKinds();
    void slideIntoTheCorner();
    void frameMenu();
    void settingsEdits_data();
    void settingsEdits();
    void settingsInterval();
    void settingsSwitchAndRefresh();

  private:
    CDrinkWaterShowDlg* NowPage() const;
    CDrinkWaterDlg* SettingsPage() const;

    Desk desk_;
    FakeClock& clock_ = desk_.clock;
    std::unique_ptr<CMainDlg>& main_ = desk_.main;
};

void TestDrinkWindows::init() {
    QVERIFY(desk_.Open());
}

void TestDrinkWindows::cleanup() {
    desk_.Close();
}

CDrinkWaterShowDlg* TestDrinkWindows::NowPage() const {
    return qobject_cast<CDrinkWaterShowDlg*>(main_->Page("wnd_drinkwater_show"));
}

CDrinkWaterDlg* TestDrinkWindows::SettingsPage() const {
    return qobject_cast<CDrinkWaterDlg*>(main_->Page("wnd_drinkwater"));
}

void TestDrinkWindows::panelTargetTexts_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("drunk");
    QTest::addColumn<QString>("tips");
    QTest::addColumn<QString>("number");
    const QString left = "今天距离达成目标还有", reached = "今天目标达成！已喝水";
    QTest::newRow("300 to go") << 1500 << 1200 << left << "300";
    QTest::newRow("just reached") << 1500 << 1500 << reached << "1500";
    QTest::newRow("passed: never a negative remainder") << 1500 << 1800 << reached << "1800";
    QTest::newRow("no target") << 0 << 0 << reached << "0";
}

void TestDrinkWindows::panelTargetTexts() {
    QFETCH(int, target);
    QFETCH(int, drunk);
    QFETCH(QString, tips);
    QFETCH(QString, number);
    SetDrinkTargetDay(target);
    if (drunk > 0) AddDrink(drunk);
    main_->show();
    main_->ShowPage("btn_drink_imm");
    QCoreApplication::processEvents();  // a page is built when first shown
    QTRY_COMPARE(TextOf(NowPage(), "label_target_tips"), tips);
    QCOMPARE(TextOf(NowPage(), "label_drink_size"), number);
    // The tip shown after a drink is one of the four, the second one spelled right.
    QVERIFY(CDrinkWaterShowDlg::kDrinkTips.size() == 4);
    QCOMPARE(QString::fromUtf8(CDrinkWaterShowDlg::kDrinkTips[2]),
             QString("充足的水分能滋润皮肤，延缓衰老"));
    bool known = false;
    for (const char* tip : CDrinkWaterShowDlg::kDrinkTips)
        known = known || TextOf(NowPage(), "label_message") == QString::fromUtf8(tip);
    QVERIFY(known);
}

// An amount typed in, one drink recorded with it, then six seconds and back home.
void TestDrinkWindows::drinkAndCountDown() {
    main_->show();
    main_->ShowPage("btn_drink_imm");
    QCoreApplication::processEvents();  // a page is built when first shown
    CDrinkWaterShowDlg* panel = NowPage();
    auto* amount = Find<ui::Edit>(panel, "edit_target_once");
    QTRY_VERIFY(amount && !amount->isEnabled());
    QTest::mouseClick(Find(panel, "btn_modify"), Qt::LeftButton);
    QVERIFY(amount->isEnabled());
    QTest::keyClicks(amount->LineEdit(), "250");  // over the whole text: it was selected
    QCOMPARE(GetDrinkTargetOnce(), 300);          // not at every key
    amount->Settle();
    QCOMPARE(GetDrinkTargetOnce(), 250);
    clock_.now = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
    QTest::mouseClick(Find(panel, "btn_drink_imm"), Qt::LeftButton);
    QCOMPARE(DrinkRows(), QStringList{"250 2026-12-08 14:05:09"});
    QCOMPARE(GetTodayTotal(), 250);
    QVERIFY(!Find(panel, "container_drink_button")->IsVisibleFlag());
    QVERIFY(Find(panel, "container_drink_over")->IsVisibleFlag());
    QCOMPARE(TextOf(panel, "label_drink_size"), QString("1250"));

    QStringList seconds{TextOf(panel, "label_second")};
    for (int i = 0; i < 5; ++i) {
        Advance(clock_, panel->CloseCountdown());
        seconds << TextOf(panel, "label_second");
    }
    QCOMPARE(seconds, QStringList({"6", "5", "4", "3", "2", "1"}));
    QCOMPARE(main_->CurrentPage(), QString("btn_drink_imm"));
    Advance(clock_, panel->CloseCountdown());  // the sixth second: the host is asked to dismiss
    QTRY_COMPARE(main_->CurrentPage(), QString());
    QCOMPARE(DrinkRows().size(), 1);
}

// Nothing to drink: the button waits for an amount, and no row of 0 ml is ever written.
void TestDrinkWindows::nothingToDrink() {
    main_->show();
    main_->ShowPage("btn_drink_imm");
    QCoreApplication::processEvents();  // a page is built when first shown
    CDrinkWaterShowDlg* panel = NowPage();
    auto* amount = Find<ui::Edit>(panel, "edit_target_once");
    QTRY_VERIFY(amount);
    QTest::mouseClick(Find(panel, "btn_modify"), Qt::LeftButton);
    QTest::keyClick(amount->LineEdit(), Qt::Key_Delete);
    amount->Settle();
    QCOMPARE(GetDrinkTargetOnce(), 300);  // no amount reads as the default
    auto* drink = Find<ui::Button>(panel, "btn_drink_imm");
    QVERIFY(!drink->isEnabled());
    QTest::mouseClick(drink, Qt::LeftButton);
    emit drink->clicked();  // even a click that got through records nothing
    QVERIFY(DrinkRows().isEmpty());
    QTest::keyClicks(amount->LineEdit(), "0");
    QVERIFY(!drink->isEnabled());
    QTest::keyClicks(amount->LineEdit(), "5");  // "05"
    QVERIFY(drink->isEnabled());
}

// Leaving the page mid-countdown: the panel is fresh when seen again, and the countdown's end
// asks nothing of a page nobody sees.
void TestDrinkWindows::pageLeftDuringCountdown() {
    main_->show();
    main_->ShowPage("btn_drink_imm");
    QCoreApplication::processEvents();  // a page is built when first shown
    CDrinkWaterShowDlg* panel = NowPage();
    QTRY_VERIFY(Find(panel, "btn_drink_imm"));
    QTest::mouseClick(Find(panel, "btn_drink_imm"), Qt::LeftButton);
    main_->ShowPage("btn_eyeprotect_set");
    QCoreApplication::processEvents();  // a page is built when first shown
    main_->ShowPage("btn_drink_imm");
    QCoreApplication::processEvents();  // a page is built when first shown
    QVERIFY(Find(panel, "container_drink_button")->IsVisibleFlag());
    QVERIFY(!Find(panel, "container_drink_over")->IsVisibleFlag());
    main_->ShowPage("btn_back");
    for (int i = 0; i < 6; ++i) Advance(clock_, panel->CloseCountdown());
    QCoreApplication::processEvents();
    main_->ShowPage("btn_drink_imm");
    QCoreApplication::processEvents();  // a page is built when first shown
    QCoreApplication::processEvents();
    QCOMPARE(main_->CurrentPage(), QString("btn_drink_imm"));
}

// "我的成绩" in the reminder: the frame goes first, then the main window, even hidden, is on the
// achievements page. The reminder came with its sound, the drink none with "喝水音效" off.
void TestDrinkWindows::achievementsLinkFromTheFrame() {
    SetDrinkSound(false);
    desk_.scheduler->Request(ReminderKind::Drink);
    CFramePopupDlg* frame = Ready(desk_.drink->Frame());
    QVERIFY(frame);
    QPointer<CFramePopupDlg> alive(frame);
    auto* panel = qobject_cast<CDrinkWaterShowDlg*>(frame->Content());
    QTRY_VERIFY(Find(panel, "btn_drink_imm"));
    QTest::mouseClick(Find(panel, "btn_drink_imm"), Qt::LeftButton);
    QTest::mouseClick(Find(panel, "btn_drink_achieve"), Qt::LeftButton);
    QTRY_VERIFY(!alive);
    QCOMPARE(desk_.OpenFrames(), 0);
    QCOMPARE(main_->CurrentPage(), QString("btn_achievement"));
    QVERIFY(!main_->isVisible());
    QCOMPARE(DrinkRows().size(), 1);
    QCOMPARE(desk_.sounds.played, QList<int>{int(platform::Cue::Message)});
}

// At most one frame of each kind; a kind does not block the other; a closed frame lets a new
// one open.
void TestDrinkWindows::frameKinds() {
    desk_.scheduler->Request(ReminderKind::Drink);
    desk_.scheduler->Request(ReminderKind::Drink);
    QCOMPARE(desk_.OpenFrames(), (1));
    desk_.relax->OpenSettingsFrame(nullptr);
    desk_.relax->OpenSettingsFrame(nullptr);
    QCOMPARE(desk_.OpenFrames(), (2));
    CFramePopupDlg* drink = Ready(desk_.drink->Frame());
    QVERIFY(drink && Ready(desk_.relax->SettingsFrame()));
    QCOMPARE(TextOf(drink, "label_title"), QString("喝水提醒"));
    QCOMPARE(TextOf(Ready(desk_.relax->SettingsFrame()), "label_title"), QString("休息提醒设置"));
    QVERIFY(drink->windowFlags() & Qt::Tool);
    QVERIFY(drink->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(drink->testAttribute(Qt::WA_ShowWithoutActivating));
    // The drink panel declines: its frame closes and deletes itself.
    QPointer<CFramePopupDlg> alive(drink);
    auto* panel = qobject_cast<CDrinkWaterShowDlg*>(drink->Content());
    QTRY_VERIFY(Find(panel, "btn_drink_no"));
    QTest::mouseClick(Find(panel, "btn_drink_no"), Qt::LeftButton);
    QTRY_VERIFY(!alive);
    QCOMPARE(desk_.OpenFrames(), (1));
    desk_.scheduler->Request(ReminderKind::Drink);
    QCOMPARE(desk_.OpenFrames(), (2));
}

// From just below the work area up into its corner, 4 px every 10 ms; closing mid-way ends it.
void TestDrinkWindows::slideIntoTheCorner() {
    desk_.scheduler->Request(ReminderKind::Drink);
    CFramePopupDlg* frame = Ready(desk_.drink->Frame());
    QVERIFY(frame);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const auto content = [frame] {
        return QRect(frame->geometry().topLeft() + frame->ClientRect().topLeft(),
                     frame->ClientRect().size());
    };
    QCOMPARE(content().size(), QSize(280, 360));
    QCOMPARE(content().topLeft(), QPoint(work.right() + 1 - 280, work.bottom() + 1));
    QVERIFY(frame->IsSliding());
    QCOMPARE(frame->SlideTimer().interval(), 10);
    int ticks = 0;
    while (frame->IsSliding() && ticks < 200) {
        Fire(frame->SlideTimer());
        ++ticks;
        if (frame->IsSliding()) QCOMPARE(content().top(), work.bottom() + 1 - 4 * ticks);
    }
    QCOMPARE(ticks, 360 / 4 + 1);  // ninety steps up, and the one that finds it in place
    QCOMPARE(content().bottomRight(), work.bottomRight());

    QPointer<CFramePopupDlg> alive(frame);
    desk_.scheduler->Request(ReminderKind::Drink);  // a reminder falling due now opens nothing new
    QCOMPARE(desk_.OpenFrames(), (1));
    QTest::mouseClick(Find(frame, "btn_wnd_close"), Qt::LeftButton);
    QTRY_VERIFY(!alive);
}

// "不再弹出" switches drink reminders at once (clock stopped or restarted), the tick shows
// what is in force; "提醒设置" opens the settings page in the main window.
void TestDrinkWindows::frameMenu() {
    desk_.scheduler->Request(ReminderKind::Drink);
    CFramePopupDlg* frame = Ready(desk_.drink->Frame());
    QVERIFY(frame);
    while (frame->IsSliding()) Fire(frame->SlideTimer());
    for (const bool on : {true, false}) {
        QCOMPARE(GetRemindOnTimeDrk(), on);
        QTest::mouseClick(Find(frame, "btn_main_menu"), Qt::LeftButton);
        ui::MenuWnd* menu = OpenMenu("menu_frame.xml");
        QVERIFY(menu);
        QCOMPARE(menu->Item("menu_frame_nopop")->Icon(), on ? QString() : QString("menu_tick.png"));
        const QPoint button = Find(frame, "btn_main_menu")->mapToGlobal(QPoint(0, 20));
        QCOMPARE(menu->mapToGlobal(menu->ClientRect().topLeft()), button + QPoint(-96, 10));
        menu->Choose(menu->Item("menu_frame_nopop"));
        QTRY_COMPARE(GetRemindOnTimeDrk(), !on);
    }
    frame->OnMenuCommand("menu_frame_tipset");
    QVERIFY(main_->isVisible());
    QCOMPARE(main_->CurrentPage(), QString("btn_drinkwater_set"));
    frame->OnMenuCommand("menu_frame_feedback");  // through the scheduler to the program's
    QVERIFY(desk_.drink->Frame());
    QVERIFY(CMessageDlg::Current());
    CMessageDlg::Current()->Close(0);
}

void TestDrinkWindows::settingsEdits_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");  // after selecting all
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("targetDay");
    QTest::addColumn<int>("targetOnce");
    QTest::newRow("daily target 0 becomes 1") << "edit_target_day"
                                              << "0"
                                              << "1" << 1 << 300;
    QTest::newRow("daily target emptied") << "edit_target_day"
                                          << ""
                                          << "1" << 1 << 300;
    QTest::newRow("daily target 2000") << "edit_target_day"
                                       << "2000"
                                       << "2000" << 2000 << 300;
    QTest::newRow("one drink above the target") << "edit_target_once"
                                                << "2000"
                                                << "1500" << 1500 << 1500;
    QTest::newRow("one drink emptied reads as 300") << "edit_target_once"
                                                    << ""
                                                    << "" << 1500 << 300;
    QTest::newRow("one drink 250") << "edit_target_once"
                                   << "250"
                                   << "250" << 1500 << 250;
}

void TestDrinkWindows::settingsEdits() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, targetDay);
    QFETCH(int, targetOnce);
    main_->show();
    main_->ShowPage("btn_drinkwater_set");
    QCoreApplication::processEvents();  // a page is built when first shown
    auto* field = Find<ui::Edit>(SettingsPage(), edit.toLatin1().constData());
    QTRY_VERIFY(field);
    QCOMPARE(field->Text(), edit == "edit_target_day" ? QString("1500") : QString("300"));
    field->SetFocusToEdit();
    field->SetSelAll();
    if (typed.isEmpty())
        QTest::keyClick(field->LineEdit(), Qt::Key_Delete);
    else
        QTest::keyClicks(field->LineEdit(), typed);
    QCOMPARE(field->Text(), shown);
    field->Settle();
    QCOMPARE(GetDrinkTargetDay(), targetDay);
    QCOMPARE(GetDrinkTargetOnce(), targetOnce);
}

// The interval combos: 0 h 0 min is never stored; a choice restarts the drink timer; a stored
// value no item shows reads as the nearest item, which the combo shows.
void TestDrinkWindows::settingsInterval() {
    SetRemindMinuteDrk(7);
    main_->show();
    main_->ShowPage("btn_drinkwater_set");
    QCoreApplication::processEvents();  // a page is built when first shown
    auto* hour = Find<ui::Combo>(SettingsPage(), "combo_remind_hour_drk");
    auto* minute = Find<ui::Combo>(SettingsPage(), "combo_remind_minute_drk");
    QTRY_VERIFY(hour && minute);
    QCOMPARE(hour->SelectedText(), QString("0"));
    QCOMPARE(minute->SelectedText(), QString("5"));  // 7 is no item: the nearest one
    QCOMPARE(GetRemindMinuteDrk(), 5);
    clock_.now = clock_.now.addSecs(600);
    minute->SelectItemByValue(30);
    QCOMPARE(GetRemindMinuteDrk(), 30);
    QCOMPARE(desk_.scheduler->NextDue(ReminderKind::Drink), clock_.now.addSecs(1800));
    hour->SelectItem(1);  // the minutes shown are what is stored with it
    QCOMPARE(GetRemindHourDrk(), 1);
    QCOMPARE(GetRemindMinuteDrk(), 30);
    QCOMPARE(desk_.scheduler->NextDue(ReminderKind::Drink), clock_.now.addSecs(5400));
    minute->SelectItem(0);
    QCOMPARE(desk_.scheduler->NextDue(ReminderKind::Drink), clock_.now.addSecs(3600));
    hour->SelectItem(0);  // 0 h 0 min: the minutes become 5
    QCOMPARE(minute->SelectedText(), QString("5"));
    QCOMPARE(GetRemindHourDrk(), 0);
    QCOMPARE(GetRemindMinuteDrk(), 5);
    QCOMPARE(desk_.scheduler->NextDue(ReminderKind::Drink), clock_.now.addSecs(300));
}

// The switch stops and restarts the clock; the next time shows what is in force, and follows
// changes made elsewhere as they are announced.
void TestDrinkWindows::settingsSwitchAndRefresh() {
    main_->show();
    main_->ShowPage("btn_drinkwater_set");
    QCoreApplication::processEvents();  // a page is built when first shown
    CDrinkWaterDlg* page = SettingsPage();
    QTRY_VERIFY(Find(page, "check_remind_ontime_drk"));
    QCOMPARE(TextOf(page, "label_remind_time_drk"), QString("10:30"));
    QTest::mouseClick(Find(page, "check_remind_ontime_drk"), Qt::LeftButton);
    QVERIFY(!GetRemindOnTimeDrk());
    QCOMPARE(TextOf(page, "label_remind_time_drk"), QString("--"));
    clock_.now = QDateTime(QDate(2026, 12, 8), QTime(23, 45));
    QTest::mouseClick(Find(page, "check_remind_ontime_drk"), Qt::LeftButton);
    QCOMPARE(TextOf(page, "label_remind_time_drk"), QString("00:15"));
    // Switched elsewhere (the reminder's menu): the page follows at once.
    SetRemindOnTimeDrk(false);
    QVERIFY(!Find<ui::CheckBox>(page, "check_remind_ontime_drk")->IsChecked());
    QCOMPARE(TextOf(page, "label_remind_time_drk"), QString("--"));
    // The sound switches only store.
    main_->show();
    QTest::mouseClick(Find(page, "check_drink_sound"), Qt::LeftButton);
    QTest::mouseClick(Find(page, "check_remind_sound_drk"), Qt::LeftButton);
    QVERIFY(!GetDrinkSound() && !GetRemindSoundDrk());
}

QTEST_MAIN(TestDrinkWindows)
#include "tst_drink_windows.moc"
