#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "data/clock.h"
#include "data/database_session.h"
#include "data/drink_log.h"
#include "data/settings_store.h"
#include "drink/drink_achieve_page.h"
#include "tests/support/achieve_page_text.h"
#include "ui/controls.h"
#include "ui/report_line.h"
#include "ui/window_base.h"

using namespace SettingsStore;
using namespace DrinkLog;
using achieve_text::Describe;
using achieve_text::Shown;
using achieve_text::TextOf;

namespace {

struct FakeClock final : Clock {
    QDateTime now;
    QDateTime Now() const override { return now; }
};

const QSize kPageSize(350, 424);  // as the main window hosts it

// "2024-03-10=300" a drink on that day, "-9=300" nine days before `today`, "raw:'abc'=300" a
// date column written as the SQL literal after "raw:" ('~' for a blank).
void Seed(const QString& drinks, const QDate& today) {
    for (const QString& entry : drinks.split(' ', Qt::SkipEmptyParts)) {
        const QString when = entry.section('=', 0, -2);
        const long long size = entry.section('=', -1).toLongLong();
        std::string literal;
        if (when.startsWith("raw:")) {
            literal = when.mid(4).replace('~', ' ').toStdString();
        } else {
            bool isOffset = false;
            const int offset = when.toInt(&isOffset);
            const QDate day =
                isOffset ? today.addDays(offset) : QDate::fromString(when, Qt::ISODate);
            QVERIFY2(day.isValid(), qPrintable(entry));
            literal = "'" + FormatDrinkDate(day) + "'";
        }
        QCOMPARE(Session().ExecStatement(
                     "insert into DrinkWaterRecord values(?, " + literal + ", '08:00:00')", {size}),
                 101);
    }
}

}  // namespace

class TestDrinkAchievePage : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void views_data();
    void views();
    void optionKeptAndRecomputedWhenShown();
    void unreadableStoreShowsZeros();

  private:
    // Builds the page in a shown host and waits until it shows its first view.
    void Open();
    void Click(const char* option);

    std::unique_ptr<QTemporaryDir> home_;
    FakeClock clock_;
    std::unique_ptr<QWidget> host_;
    CDrinkWaterAchieveDlg* page_ = nullptr;
};

void TestDrinkAchievePage::init() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
    clock_.now = QDateTime::currentDateTime();
    Clock::Install(&clock_);
    QVERIFY(OpenSettings());
}

void TestDrinkAchievePage::cleanup() {
    host_.reset();
    page_ = nullptr;
    CloseSettings();
    Clock::Install(nullptr);
}

void TestDrinkAchievePage::Open() {
    host_ = std::make_unique<QWidget>();
    host_->resize(kPageSize);
    page_ = new CDrinkWaterAchieveDlg;  // owned by the host from here on
    QVERIFY2(page_->CreateChild(host_.get()), qPrintable(page_->ErrorText()));
    page_->setGeometry(QRect(QPoint(0, 0), kPageSize));
    host_->show();
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    QTRY_VERIFY(!TextOf(*page_, "label_current_date").isEmpty());
}

void TestDrinkAchievePage::Click(const char* option) {
    ui::Control* control = page_->FindControl(QString::fromLatin1(option));
    QVERIFY(control);
    QTest::mouseClick(control, Qt::LeftButton);
}

void TestDrinkAchievePage::views_data() {
    QTest::addColumn<QDate>("today");     // null: the real today (days of use need the file's)
    QTest::addColumn<QString>("drinks");  // see Seed
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");

    const QDate sunday(2024, 3, 10);
    QTest::newRow("fresh install, total")
        << QDate() << "" << 1500 << "opt_total"
        << "累计喝水量 0 未达标 达标天数(天)=0 平均每天(毫升)=0 | ring 0/1 0%";
    QTest::newRow("fresh install, day")
        << sunday << "" << 1500 << "opt_day"
        << "3月10日喝水量 0 未达标 当天喝水(次)=0 平均每次(毫升)=0 | chart 0,0,0,0,0,0,0 "
           "3/4,3/5,3/6,3/7,3/8,3/9,3/10 target=1500";
    QTest::newRow("300 + 500 today")
        << sunday << "0=300 0=500" << 1500 << "opt_day"
        << "3月10日喝水量 800 未达标 当天喝水(次)=2 平均每次(毫升)=400 | chart 0,0,0,0,0,0,800 "
           "3/4,3/5,3/6,3/7,3/8,3/9,3/10 target=1500";
    QTest::newRow("and 700 more: 1500 reaches 1500")
        << sunday << "0=300 0=500 0=700 -1=250 -6=90 -7=999" << 1500 << "opt_day"
        << "3月10日喝水量 1500 已达标 当天喝水(次)=3 平均每次(毫升)=500 | chart "
           "90,0,0,0,0,250,1500 3/4,3/5,3/6,3/7,3/8,3/9,3/10 target=1500";
    QTest::newRow("day view over a new year")
        << QDate(2024, 1, 2) << "2023-12-27=100 2023-12-31=200" << 1500 << "opt_day"
        << "1月2日喝水量 0 未达标 当天喝水(次)=0 平均每次(毫升)=0 | chart 100,0,0,0,200,0,0 "
           "12/27,12/28,12/29,12/30,12/31,1/1,1/2 target=1500";
    // Sunday 10 March: the week began on Monday 4 March (day 64, block 10).
    QTest::newRow("week on a Sunday")
        << sunday << "2024-03-03=200 2024-03-04=500 2024-03-10=1500 2024-03-11=4000" << 1500
        << "opt_week"
        << "第10周喝水量 2000 已达标 达标天数(天)=1 平均每天(毫升)=1000 | chart 0,0,0,0,0,200,2000 "
           "4周,5周,6周,7周,8周,9周,10周 target=1500";
    QTest::newRow("week on a Monday")
        << QDate(2024, 3, 11) << "2024-03-04=500 2024-03-10=1500 2024-03-11=300" << 1500
        << "opt_week"
        << "第11周喝水量 300 未达标 达标天数(天)=0 平均每天(毫升)=300 | chart 0,0,0,0,0,2000,300 "
           "5周,6周,7周,8周,9周,10周,11周 target=1500";
    // Monday 8 January 2024 is the 8th day: block 2; the weeks before reach back into 2023.
    QTest::newRow("week of the 8th day")
        << QDate(2024, 1, 8) << "2024-01-07=700 2023-11-27=50" << 600 << "opt_week"
        << "第2周喝水量 0 未达标 达标天数(天)=0 平均每天(毫升)=0 | chart 50,0,0,0,0,700,0 "
           "48周,49周,50周,51周,52周,1周,2周 target=600";
    // Sunday 15 January 2023 is in block 3, its week's Monday (the 9th) in block 2.
    QTest::newRow("week title from today's block")
        << QDate(2023, 1, 15) << "2023-01-09=100 2023-01-15=200" << 1500 << "opt_week"
        << "第3周喝水量 300 未达标 达标天数(天)=0 平均每天(毫升)=150 | chart 0,0,0,0,0,0,300 "
           "48周,49周,50周,51周,52周,1周,2周 target=1500";
    QTest::newRow("month on 1 March, leap year")
        << QDate(2024, 3, 1)
        << "2023-08-31=999 2023-09-01=70 2024-01-31=50 2024-02-01=100 2024-02-29=400 "
           "2024-03-01=1600 2024-03-02=8"
        << 1500 << "opt_month"
        << "3月喝水量 1608 已达标 达标天数(天)=1 平均每天(毫升)=804 | chart 70,0,0,0,50,500,1608 "
           "9月,10月,11月,12月,1月,2月,3月 target=1500";
    QTest::newRow("month on 1 March, common year")
        << QDate(2023, 3, 1) << "2023-02-28=400 2023-03-31=20" << 1500 << "opt_month"
        << "3月喝水量 20 未达标 达标天数(天)=0 平均每天(毫升)=20 | chart 0,0,0,0,0,400,20 "
           "9月,10月,11月,12月,1月,2月,3月 target=1500";
    QTest::newRow("month view over a new year")
        << QDate(2024, 2, 15) << "2023-08-01=10 2023-12-31=30 2024-01-01=40" << 1500 << "opt_month"
        << "2月喝水量 0 未达标 达标天数(天)=0 平均每天(毫升)=0 | chart 10,0,0,0,30,40,0 "
           "8月,9月,10月,11月,12月,1月,2月 target=1500";
    // Days of use count from the first drink when it is older than the file: ten days, two
    // with a drink, one of them reaching 1500.
    QTest::newRow("total")
        << QDate() << "-9=1000 -9=600 0=300 raw:'2020-1-5'=9000" << 1500 << "opt_total"
        << "累计喝水量 1900 已达标 达标天数(天)=1 平均每天(毫升)=950 | ring 2/10 20%";
    QTest::newRow("total: a drink every day since the first")
        << QDate() << "-2=1 -1=1 0=1" << 1500 << "opt_total"
        << "累计喝水量 3 未达标 达标天数(天)=0 平均每天(毫升)=1 | ring 3/3 100%";
    // Drinks dated after today (the clock set back) count as days but not as days of use.
    QTest::newRow("total: more drink days than days of use")
        << QDate() << "0=100 1=100 2=100" << 1500 << "opt_total"
        << "累计喝水量 100 未达标 达标天数(天)=0 平均每天(毫升)=33 | ring 3/1 100%";
    QTest::newRow("target 0 reaches an empty day view")
        << sunday << "" << 0 << "opt_day"
        << "3月10日喝水量 0 已达标 当天喝水(次)=0 平均每次(毫升)=0 | chart 0,0,0,0,0,0,0 "
           "3/4,3/5,3/6,3/7,3/8,3/9,3/10 target=0";
    // Records whose dates are no real day count nowhere, though their texts sort into today,
    // this week and this month.
    QTest::newRow("malformed dates, day")
        << sunday
        << "0=300 raw:'2024-03-10~08:00:00'=5000 raw:'2024-3-10'=5000 raw:'2024-03-1'=5000 "
           "raw:''=5000 raw:'abc'=5000 raw:NULL=5000"
        << 1500 << "opt_day"
        << "3月10日喝水量 300 未达标 当天喝水(次)=1 平均每次(毫升)=300 | chart 0,0,0,0,0,0,300 "
           "3/4,3/5,3/6,3/7,3/8,3/9,3/10 target=1500";
    QTest::newRow("malformed dates, month")
        << sunday
        << "0=300 raw:'2024-03-10~08:00:00'=5000 raw:'2024-03-1'=5000 raw:'2024-02-30'=5000" << 1500
        << "opt_month"
        << "3月喝水量 300 未达标 达标天数(天)=0 平均每天(毫升)=300 | chart 0,0,0,0,0,0,300 "
           "9月,10月,11月,12月,1月,2月,3月 target=1500";
}

void TestDrinkAchievePage::views() {
    QFETCH(QDate, today);
    QFETCH(QString, drinks);
    QFETCH(int, target);
    QFETCH(QString, option);
    QFETCH(QString, expected);
    if (today.isValid()) clock_.now = QDateTime(today, QTime(21, 30));
    SetDrinkTargetDay(target);
    Seed(drinks, clock_.now.date());
    Open();
    Click(option.toLatin1().constData());
    QCOMPARE(Describe(*page_), expected);
    QCOMPARE(page_->SelectedOption()->Name(), option);
}

// The chosen option stays while the page is out of sight, and its view is worked out again,
// with what was drunk meanwhile, when the page comes back.
void TestDrinkAchievePage::optionKeptAndRecomputedWhenShown() {
    clock_.now = QDateTime(QDate(2024, 3, 10), QTime(9, 0));
    Seed("0=300", clock_.now.date());
    Open();
    // The total view comes first, without a click.
    QCOMPARE(page_->SelectedOption()->Name(), QString("opt_total"));
    QVERIFY(Describe(*page_).startsWith("累计喝水量 300 未达标"));
    QVERIFY(!Shown(*page_, "report_line") && Shown(*page_, "container_total"));

    Click("opt_week");
    QVERIFY(Describe(*page_).startsWith("第10周喝水量 300 未达标"));
    host_->hide();
    QVERIFY(AddDrink(1200));
    QVERIFY(Describe(*page_).startsWith("第10周喝水量 300 未达标"));  // nothing while hidden
    host_->show();
    QTRY_VERIFY(Describe(*page_).startsWith("第10周喝水量 1500 已达标"));
    QCOMPARE(page_->SelectedOption()->Name(), QString("opt_week"));
    QVERIFY(Shown(*page_, "report_line"));

    // The next day, the page shown again shows the new day.
    clock_.now = clock_.now.addDays(1);
    Click("opt_day");
    host_->hide();
    host_->show();
    QTRY_VERIFY(Describe(*page_).startsWith("3月11日喝水量 0 未达标"));
}

// A store that cannot answer leaves zeros, an empty ring over "/1" and a trace.
void TestDrinkAchievePage::unreadableStoreShowsZeros() {
    Seed("0=300 -1=2000", clock_.now.date());
    QVERIFY(QFile::remove(DatabasePath()));  // the open file still answers; its birth is gone
    Open();
    QCOMPARE(Describe(*page_),
             QString("累计喝水量 2300 已达标 达标天数(天)=1 平均每天(毫升)=1150 | ring 2/1 0%"));
    CloseSettings();
    QTest::ignoreMessage(QtWarningMsg, "drink statistics unreadable; showing zeros");
    QTest::ignoreMessage(QtWarningMsg, "the drink log cannot be read for its daily totals");
    Click("opt_day");
    QVERIFY(Describe(*page_).contains(
        " 0 未达标 当天喝水(次)=0 平均每次(毫升)=0 | chart 0,0,0,0,0,0,0"));
}

QTEST_MAIN(TestDrinkAchievePage)
#include "tst_drink_achieve_page.moc"
