#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "data/settings_store.h"
#include "eye/eye_protect_page.h"
#include "eye/gamma_filter.h"
#include "eye/gamma_ramp.h"
#include "platform/gamma.h"
#include "ui/circle_slider.h"
#include "ui/controls.h"

namespace {

// The strength of each ramp loaded, with what the store held when it came.
struct FakeBackend final : GammaBackend {
    struct Seen {
        int percent;
        int stored;
    };
    const char* Name() const override { return "fake"; }
    bool ReachesScreen() const override { return reaches; }
    bool Apply(const GammaRamp& ramp) override {
        int percent = -1;
        for (int p = 0; p <= 100 && percent < 0; ++p)
            if (BuildGammaRamp(p) == ramp) percent = p;
        seen.push_back({percent, SettingsStore::GetPercent()});
        return true;
    }
    QList<int> Percents() const {
        QList<int> out;
        for (const Seen& s : seen) out << s.percent;
        return out;
    }
    std::vector<Seen> seen;
    bool reaches = true;
};

const char* const kOptions[] = {"opt_inter", "opt_office", "opt_game", "opt_movie"};
const QString kNoModeTip = "建议开启智能模式，可有效过滤蓝光辐射";

using Step = std::function<void(CEyeProtectDlg&)>;

ui::Control* Ctl(const CEyeProtectDlg& page, const char* name) {
    return page.FindControl(QString::fromLatin1(name));
}

CCircleSliderUI* Gauge(const CEyeProtectDlg& page) {
    return qobject_cast<CCircleSliderUI*>(Ctl(page, "progress_blue_avoid"));
}

// The thumb's place for a strength (0…150 round the whole ring), in the gauge.
QPoint ThumbOf(const CCircleSliderUI& gauge, int percent) {
    return (gauge.ArcPoint(150, percent * 2.4) + QPointF(1, 0)).toPoint();
}

Step Click(const char* name) {
    return [name](CEyeProtectDlg& page) { QTest::mouseClick(Ctl(page, name), Qt::LeftButton); };
}

Step Drag(std::initializer_list<int> percents) {
    const std::vector<int> path(percents);
    return [path](CEyeProtectDlg& page) {
        CCircleSliderUI* g = Gauge(page);
        QTest::mousePress(g, Qt::LeftButton, {}, ThumbOf(*g, path.front()));
        for (std::size_t i = 1; i < path.size(); ++i) QTest::mouseMove(g, ThumbOf(*g, path[i]));
        QTest::mouseRelease(g, Qt::LeftButton, {}, ThumbOf(*g, path.back()));
    };
}

Step Wheel(int delta) {
    return [delta](CEyeProtectDlg& page) {
        CCircleSliderUI* g = Gauge(page);
        const QPointF at(103, 103);
        QWheelEvent event(at, g->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(g, &event);
    };
}

Step Key(Qt::Key key) {
    return [key](CEyeProtectDlg& page) { QTest::keyClick(Gauge(page), key); };
}

// The page as the user sees it: the switch, the options (enabled or not, the selected one),
// the percentage, the tip, the gauge and whether it can be moved.
QString Describe(const CEyeProtectDlg& page) {
    const auto* check = qobject_cast<ui::Option*>(Ctl(page, "check_blue_avoid"));
    QStringList enabled, selected;
    for (const char* name : kOptions) {
        const auto* option = qobject_cast<ui::Option*>(Ctl(page, name));
        enabled << (option->isEnabled() ? "on" : "off");
        if (option->IsSelected()) selected << QString::fromLatin1(name);
    }
    enabled.removeDuplicates();
    const QString tip = Ctl(page, "label_tips")->Text();
    return QStringList{check->IsSelected() ? "switch on" : "switch off",
                       "options " + enabled.join('/'),
                       selected.isEmpty() ? "no mode" : selected.join('+'),
                       Ctl(page, "label_percent")->Text(),
                       QString("gauge %1").arg(Gauge(page)->Value()),
                       Gauge(page)->IsAdjustable() ? "adjustable" : "fixed",
                       tip == kNoModeTip ? "advice" : tip}
        .join(", ");
}

}  // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(std::vector<Step>)

class TestEyePage : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void actions_data();
    void actions();
    void dragStoresOnceOnRelease();
    void dragFollowsAtMostOncePerFrame();
    void refreshedWhenShownAgain();
    void closeIsNotForPages();
    void saysWhereNoFilterWorks();

  private:
    // Stores the filter, then builds and shows the page (on `preview` ms a frame).
    void Open(bool on, int percent, int preview = 0);

    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<FakeBackend> fake_;
    std::unique_ptr<CEyeProtectDlg> page_;
};

void TestEyePage::init() {
    qunsetenv("DISPLAY");  // a call that missed the fake must not reach a real screen
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
    QVERIFY(SettingsStore::OpenSettings());
    fake_ = std::make_unique<FakeBackend>();
    SetGammaBackendForTests(fake_.get());
    ForgetFoundRampsForTests();
}

void TestEyePage::cleanup() {
    page_.reset();
    SetGammaBackendForTests(nullptr);
    SettingsStore::CloseSettings();
}

void TestEyePage::Open(bool on, int percent, int preview) {
    SettingsStore::StorePercent(percent);
    SettingsStore::StoreEyeProtectOn(on);
    page_ = std::make_unique<CEyeProtectDlg>();
    page_->SetPreviewInterval(preview);
    QVERIFY2(page_->Create(nullptr), qPrintable(page_->ErrorText()));
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
    QTRY_COMPARE(Ctl(*page_, "label_percent")->Text(),
                 QString("%1%").arg(on ? std::clamp(percent, 0, 100) : 0));
    fake_->seen.clear();
}

void TestEyePage::actions_data() {
    QTest::addColumn<bool>("on");  // stored before the page opens
    QTest::addColumn<int>("percent");
    QTest::addColumn<std::vector<Step>>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored");  // "on 15": the switch and the strength kept
    QTest::addColumn<QList<int>>("ramps");

    const QString officeTip = "适当过滤蓝色光，便于在工作中集中注意力";
    QTest::newRow("off at start") << false << 0 << std::vector<Step>{}
                                  << "switch off, options off, no mode, 0%, gauge 0, fixed, advice"
                                  << "off 0" << QList<int>{};
    QTest::newRow("a mode's strength at start")
        << true << 20 << std::vector<Step>{}
        << "switch on, options on, opt_office, 20%, gauge 20, adjustable, " + officeTip << "on 20"
        << QList<int>{};
    QTest::newRow("25: no mode")
        << true << 25 << std::vector<Step>{}
        << "switch on, options on, no mode, 25%, gauge 25, adjustable, advice"
        << "on 25" << QList<int>{};
    QTest::newRow("switching on starts at 15, whatever came before")
        << false << 30 << std::vector<Step>{Click("check_blue_avoid")}
        << "switch on, options on, opt_inter, 15%, gauge 15, adjustable, "
           "根据晨夜光感不同，智能调节防蓝光强度"
        << "on 15" << QList<int>{15};
    // Off puts back what the screen had before this run's loads: here there were none.
    QTest::newRow("switching off: 0 stored and shown")
        << true << 30 << std::vector<Step>{Click("check_blue_avoid")}
        << "switch off, options off, no mode, 0%, gauge 0, fixed, advice"
        << "off 0" << QList<int>{};
    // A file that says off with a strength: the screen has no filter, so none is shown.
    QTest::newRow("stored off at 30")
        << false << 30 << std::vector<Step>{}
        << "switch off, options off, no mode, 0%, gauge 0, fixed, advice"
        << "off 30" << QList<int>{};
    QTest::newRow("off, on, a mode")
        << false << 0
        << std::vector<Step>{Click("check_blue_avoid"), Click("check_blue_avoid"),
                             Click("check_blue_avoid"), Click("opt_movie")}
        << "switch on, options on, opt_movie, 30%, gauge 30, adjustable, "
           "增强防蓝光强度，烘托影片氛围"
        << "on 30" << QList<int>{15, 0, 15, 30};
    QTest::newRow("each mode") << true << 15
                               << std::vector<Step>{Click("opt_game"), Click("opt_office"),
                                                    Click("opt_inter")}
                               << "switch on, options on, opt_inter, 15%, gauge 15, adjustable, "
                                  "根据晨夜光感不同，智能调节防蓝光强度"
                               << "on 15" << QList<int>{10, 20, 15};
    QTest::newRow("modes are disabled while off")
        << false << 0 << std::vector<Step>{Click("opt_movie")}
        << "switch off, options off, no mode, 0%, gauge 0, fixed, advice"
        << "off 0" << QList<int>{};
    // Odd stored values show as the strength the filter loads for them.
    QTest::newRow("stored beyond 100") << true << 250 << std::vector<Step>{}
                                       << "switch on, options on, no mode, 100%, gauge 100, "
                                          "adjustable, advice"
                                       << "on 250" << QList<int>{};
    QTest::newRow("stored below 0") << true << -7 << std::vector<Step>{}
                                    << "switch on, options on, no mode, 0%, gauge 0, adjustable, "
                                       "advice"
                                    << "on -7" << QList<int>{};

    // The gauge by hand: any strength from 0 to 100, a mode's only when it lands on one.
    QTest::newRow("drag to a custom strength")
        << true << 15 << std::vector<Step>{Drag({15, 30, 44})}
        << "switch on, options on, no mode, 44%, gauge 44, adjustable, advice"
        << "on 44" << QList<int>{30, 44, 44};
    QTest::newRow("drag onto a mode's strength")
        << true << 44 << std::vector<Step>{Drag({44, 20})}
        << "switch on, options on, opt_office, 20%, gauge 20, adjustable, " + officeTip << "on 20"
        << QList<int>{20, 20};
    QTest::newRow("wheel up a notch") << true << 15 << std::vector<Step>{Wheel(120)}
                                      << "switch on, options on, opt_office, 20%, gauge 20, "
                                         "adjustable, " +
                                             officeTip
                                      << "on 20" << QList<int>{20};
    QTest::newRow("wheel down to 0, then no further")
        << true << 10 << std::vector<Step>{Wheel(-120), Wheel(-120), Wheel(-120)}
        << "switch on, options on, no mode, 0%, gauge 0, adjustable, advice"
        << "on 0" << QList<int>{5, 0};
    QTest::newRow("keys") << true << 15
                          << std::vector<Step>{Key(Qt::Key_Right), Key(Qt::Key_PageUp),
                                               Key(Qt::Key_Left)}
                          << "switch on, options on, no mode, 25%, gauge 25, adjustable, advice"
                          << "on 25" << QList<int>{16, 26, 25};
    QTest::newRow("end, beyond, home")
        << true << 15 << std::vector<Step>{Key(Qt::Key_End), Key(Qt::Key_Up), Key(Qt::Key_Home)}
        << "switch on, options on, no mode, 0%, gauge 0, adjustable, advice"
        << "on 0" << QList<int>{100, 0};
    QTest::newRow("switched off: the gauge stops")
        << true << 15
        << std::vector<Step>{Click("check_blue_avoid"), Key(Qt::Key_End), Wheel(120), Drag({0, 40})}
        << "switch off, options off, no mode, 0%, gauge 0, fixed, advice"
        << "off 0" << QList<int>{};
    QTest::newRow("switched on again: it moves")
        << false << 0 << std::vector<Step>{Click("check_blue_avoid"), Wheel(-120)}
        << "switch on, options on, opt_game, 10%, gauge 10, adjustable, "
           "完美展示特效，颜色比例保持真实度"
        << "on 10" << QList<int>{15, 10};
}

void TestEyePage::actions() {
    QFETCH(bool, on);
    QFETCH(int, percent);
    QFETCH(std::vector<Step>, steps);
    Open(on, percent);
    for (const Step& step : steps) step(*page_);
    QTEST(Describe(*page_), "shown");
    // Kept: what a restart reads back.
    SettingsStore::CloseSettings();
    QVERIFY(SettingsStore::OpenSettings());
    QTEST(QString("%1 %2")
              .arg(SettingsStore::GetEyeProtectOn() ? "on" : "off")
              .arg(SettingsStore::GetPercent()),
          "stored");
    QTEST(fake_->Percents(), "ramps");
}

// The screen follows the drag; the store hears of it once, where it ends.
void TestEyePage::dragStoresOnceOnRelease() {
    Open(true, 15);
    CCircleSliderUI* g = Gauge(*page_);
    QTest::mousePress(g, Qt::LeftButton, {}, ThumbOf(*g, 15));
    for (int p : {20, 30, 40, 52}) {
        QTest::mouseMove(g, ThumbOf(*g, p));
        QCOMPARE(Ctl(*page_, "label_percent")->Text(), QString("%1%").arg(p));
        QCOMPARE(fake_->seen.back().percent, p);
        QCOMPARE(SettingsStore::GetPercent(), 15);
    }
    QTest::mouseRelease(g, Qt::LeftButton, {}, ThumbOf(*g, 52));
    QCOMPARE(SettingsStore::GetPercent(), 52);
    QCOMPARE(fake_->seen.back().percent, 52);
    QCOMPARE(fake_->seen.back().stored, 52);  // stored, then loaded
    QCOMPARE(fake_->seen.size(), 5u);
}

// A drag faster than the screen loads one ramp a frame: the first move at once, then the latest
// value when its frame comes; the release loads the final one.
void TestEyePage::dragFollowsAtMostOncePerFrame() {
    Open(true, 15, 1000 * 60 * 60);  // a frame that never ends within the test
    CCircleSliderUI* g = Gauge(*page_);
    QTest::mousePress(g, Qt::LeftButton, {}, ThumbOf(*g, 15));
    for (int p = 16; p <= 60; ++p) QTest::mouseMove(g, ThumbOf(*g, p));
    QCOMPARE(fake_->Percents(), QList<int>{16});
    QTest::mouseRelease(g, Qt::LeftButton, {}, ThumbOf(*g, 60));
    QCOMPARE(fake_->Percents(), (QList<int>{16, 60}));
    QCOMPARE(SettingsStore::GetPercent(), 60);

    // Frames of 30 ms: what waits is loaded when its frame comes, and only the latest.
    page_->SetPreviewInterval(30);
    QTest::qWait(60);  // the frame of the last ramp is over
    fake_->seen.clear();
    QTest::mousePress(g, Qt::LeftButton, {}, ThumbOf(*g, 60));
    for (int p = 59; p >= 40; --p) QTest::mouseMove(g, ThumbOf(*g, p));
    QTRY_COMPARE(fake_->Percents().size(), 2);
    QCOMPARE(fake_->Percents().back(), 40);
    QTest::qWait(100);
    QCOMPARE(fake_->Percents().size(), 2);  // nothing more until the pointer moves again
    QTest::mouseRelease(g, Qt::LeftButton, {}, ThumbOf(*g, 40));
    QCOMPARE(fake_->Percents().back(), 40);
    QCOMPARE(SettingsStore::GetPercent(), 40);
}

// What the store holds is read again each time the page comes into view.
void TestEyePage::refreshedWhenShownAgain() {
    Open(false, 0);
    page_->hide();
    SettingsStore::StorePercent(30);
    SettingsStore::StoreEyeProtectOn(true);
    QCOMPARE(Ctl(*page_, "label_percent")->Text(), QString("0%"));
    page_->show();
    QCOMPARE(Describe(*page_),
             QString("switch on, options on, opt_movie, 30%, gauge 30, adjustable, "
                     "增强防蓝光强度，烘托影片氛围"));
    QVERIFY(fake_->seen.empty());  // showing the page loads no ramp

    // Shown before its controls are looked up: nothing to refresh yet, and no harm.
    CEyeProtectDlg early;
    QVERIFY(early.Create(nullptr));
    early.show();
    early.hide();
    QTRY_COMPARE(Ctl(early, "label_percent")->Text(), QString("30%"));
}

void TestEyePage::closeIsNotForPages() {
    Open(true, 20);
    page_->OnSystemCommand(ui::SystemCommand::Close);
    QCoreApplication::processEvents();
    QVERIFY(!page_->IsClosed());
    QVERIFY(page_->isVisible());
}

// Where no ramp reaches the screen the tip says so whatever the mode; the switch keeps working.
void TestEyePage::saysWhereNoFilterWorks() {
    fake_->reaches = false;
    Open(false, 0);
    const QString line = "当前桌面暂不支持防蓝光滤镜";
    QCOMPARE(Describe(*page_), "switch off, options off, no mode, 0%, gauge 0, fixed, " + line);
    QTest::mouseClick(Ctl(*page_, "check_blue_avoid"), Qt::LeftButton);
    QTest::mouseClick(Ctl(*page_, "opt_movie"), Qt::LeftButton);
    QCOMPARE(Describe(*page_),
             "switch on, options on, opt_movie, 30%, gauge 30, adjustable, " + line);
    QVERIFY(SettingsStore::GetEyeProtectOn());
    QCOMPARE(SettingsStore::GetPercent(), 30);
}

QTEST_MAIN(TestEyePage)
#include "tst_eye_page.moc"
