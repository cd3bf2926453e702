#include <QtTest>
#include <climits>
#include <cmath>
#include <vector>

#include "tests/gui/skin_fixture.h"
#include "ui/report_line.h"

namespace {

const QColor kBackground(0xF7, 0xFF, 0xFF);
const QColor kBelowTarget(0xF8, 0xEB, 0xD4);
const QColor kReached(0xCB, 0xE9, 0xFB);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QSize kChart(310, 196);  // as on the achievements page
constexpr int kBase = 196 - 30;

QStringList Labels(int n) {
    QStringList labels;
    for (int i = 0; i < n; ++i) labels << QString::number(i);
    return labels;
}

struct Chart {
    CReportLineUI control;
    QImage image;
    Chart(const std::vector<int>& values, int target, QSize size = kChart) {
        control.resize(size);
        control.SetAttribute("bkcolor", "#FFF7FFFF");
        control.SetData(target, values, Labels(int(values.size())));
        image = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QColor At(QPointF p) const { return image.pixelColor(qRound(p.x()), qRound(p.y())); }
    QColor At(int x, int y) const { return image.pixelColor(x, y); }
    // The first row from the top in column x that is not the background.
    int TopInk(int x) const {
        for (int y = 0; y < image.height(); ++y)
            if (At(x, y) != kBackground) return y;
        return -1;
    }
    // Some 2×2 block of `colour`: an area, not a blend at an edge that happens to match it.
    bool HasArea(const QColor& colour) const {
        for (int y = 0; y + 1 < image.height(); ++y)
            for (int x = 0; x + 1 < image.width(); ++x)
                if (At(x, y) == colour && At(x + 1, y) == colour && At(x, y + 1) == colour &&
                    At(x + 1, y + 1) == colour)
                    return true;
        return false;
    }
};

}  // namespace

class TestReportLine : public QObject {
    Q_OBJECT

  private slots:
    void scaleAndPlacement();
    void segmentColours_data();
    void segmentColours();
    void oddSeries_data();
    void oddSeries();
    void labelsCentredInTheControlsFont();
    void labelAttributes();
};

// The example of the chart's description, read back from the pixels: 24 pixels in on either
// side, a step of 262 / 6, the base line 30 pixels above the bottom, 1800 at 80 % of 166.
void TestReportLine::scaleAndPlacement() {
    const Chart chart({0, 300, 600, 1500, 900, 0, 1800}, 1500);
    const double step = 262.0 / 6;
    const double rise[] = {0, 22.13, 44.27, 110.67, 66.4, 0, 132.8};
    for (int i = 0; i < 7; ++i) {
        const QPointF expected(24 + step * i, kBase - rise[i]);
        QCOMPARE(chart.control.PointAt(i).x(), expected.x());
        QVERIFY2(std::abs(chart.control.PointAt(i).y() - expected.y()) < 0.01,
                 qPrintable(QString::number(chart.control.PointAt(i).y())));
        QCOMPARE(chart.At(expected), kWhite);  // the point's white centre
    }
    // The ring round the highest point is the highest ink: 3 pixels over 166 - 132.8.
    QCOMPARE(chart.TopInk(286), 30);
    // The base line runs the full width, from the left edge to the right one.
    for (int x : {0, 12, 150, 309}) QVERIFY(chart.At(x, kBase) != kBackground);
    QCOMPARE(chart.At(12, kBase - 2), kBackground);
}

void TestReportLine::segmentColours_data() {
    QTest::addColumn<std::vector<int>>("values");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("colours");  // of each segment, R reached, B below the target
    QTest::newRow("the example") << std::vector<int>{0, 300, 600, 1500, 900, 0, 1800} << 1500
                                 << "BBRBBR";
    QTest::newRow("target 0: all reached") << std::vector<int>{0, 300, 600, 1500} << 0 << "RRR";
    QTest::newRow("target above all") << std::vector<int>{900, 300, 1800} << INT_MAX << "BB";
    QTest::newRow("a negative target") << std::vector<int>{5, 300} << -100 << "R";
}

// A segment's area takes the colour of its right-hand point, just above the base line.
void TestReportLine::segmentColours() {
    QFETCH(std::vector<int>, values);
    QFETCH(int, target);
    QFETCH(QString, colours);
    const Chart chart(values, target);
    QString found;
    for (int i = 1; i < int(values.size()); ++i) {
        const double x = (chart.control.PointAt(i - 1).x() + chart.control.PointAt(i).x()) / 2;
        const QColor c = chart.At(qRound(x), kBase - 3);
        found += c == kReached ? 'R' : c == kBelowTarget ? 'B' : '?';
    }
    QCOMPARE(found, colours);
}

void TestReportLine::oddSeries_data() {
    QTest::addColumn<std::vector<int>>("values");
    QTest::addColumn<QList<int>>("rises");  // pixels above the base line, rounded
    QTest::newRow("all zero: on the base line")
        << std::vector<int>(7, 0) << QList<int>{0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("one value: at the left edge, no area")
        << std::vector<int>{700} << QList<int>{133};
    QTest::newRow("largest ints") << std::vector<int>{INT_MAX, 0, INT_MAX / 2}
                                  << QList<int>{133, 0, 66};
    QTest::newRow("negatives stay on the base line")
        << std::vector<int>{-500, 100, INT_MIN} << QList<int>{0, 133, 0};
    QTest::newRow("all negative") << std::vector<int>{-5, -10} << QList<int>{0, 0};
}

// Series the description leaves open are drawn inside the control: no division by zero, no
// overflow, no point below the base line.
void TestReportLine::oddSeries() {
    QFETCH(std::vector<int>, values);
    QFETCH(QList<int>, rises);
    const Chart chart(values, 1500);
    QList<int> found;
    for (int i = 0; i < int(values.size()); ++i) {
        const QPointF p = chart.control.PointAt(i);
        found << qRound(kBase - p.y());
        QCOMPARE(chart.At(p), kWhite);
    }
    QCOMPARE(found, rises);
    if (values.size() == 1) QCOMPARE(chart.control.PointAt(0).x(), 24.0);
    const bool flat = std::all_of(rises.begin(), rises.end(), [](int r) { return r == 0; });
    if (flat || values.size() == 1) {
        QVERIFY(!chart.HasArea(kReached));
        QVERIFY(!chart.HasArea(kBelowTarget));
    }
}

// Labels are measured in the control's own font and centred under their points, in the band
// from 24 to 8 pixels above the bottom; the control's alignment (left by default) does not move
// them.
void TestReportLine::labelsCentredInTheControlsFont() {
    SkinFixture skin;
    skin.Write("chart.xml", R"(<Window size="310,196">
      <Font id="0" name="微软雅黑" size="12" default="true"/>
      <Font id="1" name="微软雅黑" size="20" bold="true"/>
      <Container><ReportLine name="chart" float="true" pos="0,0,310,196" bkcolor="#FFF7FFFF"
        textcolor="#FF0000FF" font="1"/></Container></Window>)");
    skin.Install();
    struct Window : ui::WindowBase {
        QString LayoutFile() const override { return "chart.xml"; }
        ui::Control* CreateControl(const QString& tag) override {
            return tag == "ReportLine" ? new CReportLineUI : nullptr;
        }
    } window;
    QVERIFY(window.Create(nullptr));
    auto* chart = qobject_cast<CReportLineUI*>(window.FindControl("chart"));
    QVERIFY(chart);
    QCOMPARE(chart->font().pixelSize(), 20);
    const QStringList labels{"1/31", "2/1", "12/25", "8周", "10月", "W", "9"};  // apart
    chart->SetData(1500, {1, 2, 3, 4, 5, 6, 7}, labels);
    const QImage image = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);

    for (int i = 0; i < labels.size(); ++i) {
        const double x = chart->PointAt(i).x();
        const int half = int(chart->PointAt(1).x() - chart->PointAt(0).x()) / 2;
        int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
        for (int y = kBase + 1; y < image.height(); ++y) {
            for (int px = int(x) - half; px <= int(x) + half; ++px) {
                const QColor c = image.pixelColor(std::clamp(px, 0, image.width() - 1), y);
                if (c.blue() > 180 && c.red() < 140 && c.green() < 140) {  // blue ink
                    left = std::min(left, px), right = std::max(right, px);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            }
        }
        QVERIFY2(left <= right, qPrintable(labels[i]));
        QVERIFY2(
            std::abs((left + right + 1) / 2.0 - (x + 0.5)) <= 1.5,
            qPrintable(
                QString("%1: ink %2..%3 around %4").arg(labels[i]).arg(left).arg(right).arg(x)));
        // Centred in the band (a 20-pixel font is taller than the band's 16 pixels).
        QVERIFY2(std::abs((top + bottom + 1) / 2.0 - (196 - 16)) <= 2,
                 qPrintable(QString("%1: rows %2..%3").arg(labels[i]).arg(top).arg(bottom)));
    }
}

void TestReportLine::labelAttributes() {
    CReportLineUI chart;
    chart.SetAttribute("textpadding", "3,0,5,0");
    chart.SetText("一二三");
    QCOMPARE(chart.FixedWidth(), 0);  // not automatic yet
    chart.SetAttribute("autocalcwidth", "true");
    QCOMPARE(chart.FixedWidth(), 8 + chart.fontMetrics().horizontalAdvance("一二三"));
    chart.SetText("一");
    QCOMPARE(chart.FixedWidth(), 8 + chart.fontMetrics().horizontalAdvance("一"));
}

QTEST_MAIN(TestReportLine)
#include "tst_report_line.moc"
