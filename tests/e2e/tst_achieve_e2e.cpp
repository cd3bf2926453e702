// The drink achievements of the real program on a private Xvfb: a log written through the store
// into the desk's data folder, real clicks on the page's four options, and what the screen then
// shows compared pixel for pixel with the page drawn in this process from the same store.
//
// The program lets no text out, so its numbers are read through pictures: here the same page
// class, on the same store and day, is checked to show the hand-computed figures, and drawn.
// Both processes draw with Qt's raster engine and the same fonts, so a page showing the same
// figures gives the same pixels; a page showing any other figure, or another view, does not.

#include <QApplication>

#include "data/database_session.h"
#include "data/drink_log.h"
#include "drink/drink_achieve_page.h"
#include "drink/drink_dates.h"
#include "tests/e2e/desk.h"
#include "tests/support/achieve_page_text.h"

namespace {

using namespace e2e;

const QSize kPageSize(350, 424);
const QPoint kPageOrigin(0, 26);  // below the header
// Client points of the main window: the drink tile, its achievements button, the options.
const QPoint kDrinkTile(254, 130);
const QPoint kAchievementButton(307, 85);
struct View {
    const char* option;
    QPoint at;
};
const View kViews[] = {{"opt_day", {80, 63}},
                       {"opt_week", {136, 63}},
                       {"opt_month", {196, 63}},
                       {"opt_total", {255, 63}}};

// A drink on `day`, or with the date column written as the SQL literal `date`.
void Insert(long long size, const std::string& dateLiteral) {
    QCOMPARE(SettingsStore::Session().ExecStatement(
                 "insert into DrinkWaterRecord values(?, " + dateLiteral + ", '08:00:00')", {size}),
             101);
}
std::string Quoted(const QDate& day) {
    return "'" + DrinkLog::FormatDrinkDate(day) + "'";
}

// Where two pictures differ, for a failure's message.
QString Difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return QString("sizes %1x%2 and %3x%4")
            .arg(a.width())
            .arg(a.height())
            .arg(b.width())
            .arg(b.height());
    QRect box;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) ++count, box |= QRect(x, y, 1, 1);
    return QString("%1 pixels differ within (%2,%3 %4x%5)")
        .arg(count)
        .arg(box.x())
        .arg(box.y())
        .arg(box.width())
        .arg(box.height());
}

}  // namespace

class TestAchieveE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void viewsShowTheLog();
};

void TestAchieveE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    ui::InstallFontSubstitutions();  // as the program does
}

void TestAchieveE2e::viewsShowTheLog() {
    Desk desk;
    const QDate today = QDate::currentDate();
    const QString md = QString("%1月%2日").arg(today.month()).arg(today.day());
    const int block = DrinkDates::WeekOfYear(today);
    // Today 300 + 500 + 700 reach the daily 1500; one drink 400 days ago; and records whose
    // dates are no real day though their texts sort into today and this month.
    const QString expected[] = {
        md + "喝水量 1500 已达标 当天喝水(次)=3 平均每次(毫升)=500 | chart 0,0,0,0,0,0,1500",
        QString("第%1周喝水量 1500 已达标 达标天数(天)=1 平均每天(毫升)=1500 | chart "
                "0,0,0,0,0,0,1500")
            .arg(block),
        QString("%1月喝水量 1500 已达标 达标天数(天)=1 平均每天(毫升)=1500 | chart "
                "0,0,0,0,0,0,1500")
            .arg(today.month()),
        "累计喝水量 2500 已达标 达标天数(天)=1 平均每天(毫升)=1250 | ring 2/401 0%",
    };

    // The store of the desk's data folder, before the program starts: the log, then the page
    // drawn from it in each view.
    std::vector<QImage> references;
    const bool stored = desk.WithStore([&] {
        for (long long size : {300, 500, 700}) Insert(size, Quoted(today));
        Insert(1000, Quoted(today.addDays(-400)));
        Insert(5000, "'" + DrinkLog::FormatDrinkDate(today) + " 08:00:00'");
        Insert(5000, QString("'%1-%2-1'")
                         .arg(today.year())
                         .arg(today.month(), 2, 10, QChar('0'))
                         .toStdString());
        Insert(5000, "'abc'");

        QWidget host;
        host.resize(kPageSize);
        auto* page = new CDrinkWaterAchieveDlg;
        QVERIFY2(page->CreateChild(&host), qPrintable(page->ErrorText()));
        page->setGeometry(QRect(QPoint(0, 0), kPageSize));
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(page->FindControl(kViews[i].option), Qt::LeftButton);
            const QString shown = achieve_text::Describe(*page);
            QVERIFY2(shown.startsWith(expected[i]), qPrintable(shown));
            references.push_back(page->grab().toImage().convertToFormat(QImage::Format_RGB32));
        }
    });
    QVERIFY(stored);
    QCOMPARE(references.size(), size_t(4));

    QVERIFY2(desk.Open(), desk.Failure());
    const QPoint origin = desk.Main().rect.topLeft();
    const QRect page(origin + kPageOrigin, kPageSize);
    const auto shows = [&](const QImage& reference) {
        return desk.Grab(page).convertToFormat(QImage::Format_RGB32) == reference;
    };
    // The achievements button shows while the pointer is on the drink tile; the page opens in
    // the total view.
    desk.Xdotool({"mousemove", QString::number(origin.x() + kDrinkTile.x()),
                  QString::number(origin.y() + kDrinkTile.y())});
    QTest::qWait(300);
    desk.Click(origin + kAchievementButton);
    QTRY_VERIFY2_WITH_TIMEOUT(
        shows(references[3]),
        qPrintable(
            Difference(desk.Grab(page).convertToFormat(QImage::Format_RGB32), references[3])),
        kWaitMs);
    for (int i = 0; i < 4; ++i) {
        desk.Click(origin + kViews[i].at);
        QTRY_VERIFY2_WITH_TIMEOUT(
            shows(references[size_t(i)]),
            qPrintable(QString(kViews[i].option) + ": " +
                       Difference(desk.Grab(page).convertToFormat(QImage::Format_RGB32),
                                  references[size_t(i)])),
            kWaitMs);
    }
    // Each view looks its own: the comparison above could not pass on a wrong one.
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) QVERIFY(references[size_t(i)] != references[size_t(j)]);
}

QTEST_MAIN(TestAchieveE2e)
#include "tst_achieve_e2e.moc"
