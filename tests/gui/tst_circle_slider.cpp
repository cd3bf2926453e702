#include <QPainter>
#include <QtTest>
#include <cmath>
#include <memory>

#include "tests/gui/skin_fixture.h"
#include "ui/circle_slider.h"

namespace {

// The page's gauge: 206 × 206, ring 8 wide, so its arcs run on the circle of radius 95 around
// (103, 103) and the thumb sits at ArcPoint on the circle of radius 96.5 around (103.5, 103.5).
constexpr int kSide = 206;
constexpr QPointF kCentre(103, 103);
constexpr double kRadius = 95;
constexpr QRgb kFg = 0xFFFF0000;
constexpr QRgb kBg = 0xFF0000FF;
constexpr QRgb kThumb = 0xFF00C000;
const QString kBase = "circular=true;circlewidth=8;min=0;max=150;fgcolor=#FFFF0000";

const QByteArray kLayout = R"(<Window size="260,260">
  <Container>
    <CircleSlider name="gauge" float="true" pos="20,20,226,226" circular="true" circlewidth="8"
                  min="0" max="150" value="15" fgcolor="#FF3DC633" thumbimage="thumb.png"/>
  </Container>
</Window>)";

void Apply(CCircleSliderUI& slider, const QString& attributes) {
    for (const QString& pair : attributes.split(';', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf('=');
        slider.SetAttribute(pair.left(eq), pair.mid(eq + 1));
    }
}

QImage Paint(CCircleSliderUI& slider) {
    QImage image(slider.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    slider.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The pixel on the arcs' middle line at a clockwise screen angle.
QRgb At(const QImage& image, double degrees, double radius = kRadius) {
    const double a = degrees * M_PI / 180;
    return image.pixel(
        QPointF(kCentre.x() + radius * std::cos(a), kCentre.y() + radius * std::sin(a)).toPoint());
}

QString Name(QRgb pixel) {
    switch (pixel) {
        case kFg:
            return "fg";
        case kBg:
            return "bg";
        case kThumb:
            return "thumb";
        default:
            return qAlpha(pixel) == 0 ? "clear" : QString::number(pixel, 16);
    }
}

QImage Solid(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

class SliderWindow : public RecordingWindow {
  public:
    SliderWindow() : RecordingWindow("slider.xml") {}
    ui::Control* CreateControl(const QString& tag) override {
        return tag == QLatin1String("CircleSlider") ? new CCircleSliderUI : nullptr;
    }
    CCircleSliderUI* Gauge() const { return Find<CCircleSliderUI>("gauge"); }
    // What the gauge told, "signal:value".
    QStringList log;

  protected:
    void OnInit() override {
        connect(Gauge(), &CCircleSliderUI::valueChanging, this,
                [this](int v) { log << QString("valuechanging:gauge:%1").arg(v); });
        connect(Gauge(), &CCircleSliderUI::valueChanged, this,
                [this](int v) { log << QString("valuechanged:gauge:%1").arg(v); });
        ++inits;
    }
};

// Where the thumb of `value` is drawn (0…150 over 360°), in the gauge.
QPoint ThumbOf(const CCircleSliderUI& gauge, int value) {
    return (gauge.ArcPoint(150, value * 360.0 / 150) + QPointF(1, 0)).toPoint();
}

}  // namespace

class TestCircleSlider : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void sweep_data();
    void sweep();
    void arcPoint_data();
    void arcPoint();
    void rings_data();
    void rings();
    void notCircularPaintsOnlyTheBackground();
    void emptyRangeIsWidened();
    void circleEffect();
    void capAndThumb();
    void attributes_data();
    void attributes();
    void indicatorTurns_data();
    void indicatorTurns();
    void valueToward_data();
    void valueToward();
    void hands_data();
    void hands();
    void gaugeTakesNoInput();

  private:
    SkinFixture skin_;
};

void TestCircleSlider::initTestCase() {
    skin_.Write("slider.xml", kLayout);
    QImage indicator(4, 2, QImage::Format_ARGB32);
    indicator.fill(kFg);
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 4; ++x) indicator.setPixel(x, y, kBg);  // left red, right blue
    QVERIFY(indicator.save(skin_.Path() + "/indicator.png"));
    QVERIFY(Solid(QSize(18, 18), kThumb).save(skin_.Path() + "/thumb.png"));
    skin_.Install();
}

void TestCircleSlider::sweep_data() {
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("sweep");
    QTest::newRow("15 of 150") << "min=0;max=150;value=15" << 36;
    QTest::newRow("100 ends the background") << "min=0;max=150;value=100" << 240;
    QTest::newRow("150: a full turn") << "min=0;max=150;value=150" << 360;
    QTest::newRow("counter-clockwise") << "clockwise=false;min=0;max=150;value=15" << -36;
    QTest::newRow("truncated") << "min=0;max=7;value=1" << 51;
    QTest::newRow("truncated toward zero") << "clockwise=false;min=0;max=7;value=1" << -51;
    QTest::newRow("negative range") << "min=-10;max=10;value=0" << 180;
    QTest::newRow("whole int range") << "min=-2147483648;max=2147483647;value=0" << 180;
    QTest::newRow("empty range") << "min=5;max=5;value=5" << 0;
}

void TestCircleSlider::sweep() {
    QFETCH(QString, attributes);
    CCircleSliderUI slider;
    Apply(slider, attributes);
    QTEST(slider.Sweep(), "sweep");
}

void TestCircleSlider::arcPoint_data() {
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::newRow("start") << 150.0 << 0.0;
    QTest::newRow("15 of 150") << 150.0 << 36.0;
    QTest::newRow("top") << 150.0 << 120.0;
    QTest::newRow("end of background") << 150.0 << 240.0;
    QTest::newRow("counter-clockwise") << 150.0 << -36.0;
}

// Clockwise on screen: the angle a + b measured from three o'clock towards six o'clock.
void TestCircleSlider::arcPoint() {
    QFETCH(double, a);
    QFETCH(double, b);
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    slider.SetCircleWidth(8);
    const QPointF p = slider.ArcPoint(a, b) - QPointF(103.5, 103.5);
    QVERIFY(std::abs(std::hypot(p.x(), p.y()) - 96.5) < 1e-3);
    const double angle = std::remainder(std::atan2(p.y(), p.x()) * 180 / M_PI - (a + b), 360);
    QVERIFY2(std::abs(angle) < 1e-3, qPrintable(QString::number(angle)));
}

void TestCircleSlider::rings_data() {
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QString>("colour");
    // 15 on 0…150 sweeps 36°: from 150° to 186°.
    QTest::newRow("15: inside the arc") << "value=15" << 170.0 << "fg";
    QTest::newRow("15: before its end") << "value=15" << 183.0 << "fg";
    QTest::newRow("15: past its end") << "value=15" << 189.0 << "clear";
    QTest::newRow("15: not before the start") << "value=15" << 140.0 << "clear";
    QTest::newRow("100: the end of the background") << "value=100" << 27.0 << "fg";
    QTest::newRow("100: not past it") << "value=100" << 35.0 << "clear";
    // The full range is a full turn: past the background, through the opening at the bottom.
    QTest::newRow("150: across the opening") << "value=150" << 90.0 << "fg";
    QTest::newRow("150: just before the start") << "value=150" << 140.0 << "fg";
    QTest::newRow("counter-clockwise: down from the start")
        << "clockwise=false;value=15" << 125.0 << "fg";
    QTest::newRow("counter-clockwise: not up") << "clockwise=false;value=15" << 175.0 << "clear";
    QTest::newRow("unset bgcolor: a clear background") << "value=0" << 270.0 << "clear";
    QTest::newRow("bgcolor: the background arc") << "bgcolor=#FF0000FF;value=0" << 270.0 << "bg";
    QTest::newRow("bgcolor: not in the opening") << "bgcolor=#FF0000FF;value=0" << 90.0 << "clear";
    QTest::newRow("value over background") << "bgcolor=#FF0000FF;value=75" << 270.0 << "fg";
    QTest::newRow("background after the value") << "bgcolor=#FF0000FF;value=75" << 345.0 << "bg";
}

void TestCircleSlider::rings() {
    QFETCH(QString, attributes);
    QFETCH(double, angle);
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    Apply(slider, kBase + ";" + attributes);
    QTEST(Name(At(Paint(slider), angle)), "colour");
}

void TestCircleSlider::notCircularPaintsOnlyTheBackground() {
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    Apply(slider, kBase + ";circular=false;bgcolor=#FF0000FF;value=75;bkcolor=#FF112233");
    const QImage image = Paint(slider);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY2(image.pixel(x, y) == 0xFF112233, qPrintable(QString("%1,%2").arg(x).arg(y)));
}

void TestCircleSlider::emptyRangeIsWidened() {
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    Apply(slider, kBase + ";min=5;max=5;value=9");
    QCOMPARE(slider.Maximum(), 5);
    Paint(slider);
    QCOMPARE(slider.Minimum(), 5);
    QCOMPARE(slider.Maximum(), 6);  // kept
    QCOMPARE(slider.Value(), 5);
}

// A full ring from the top in the background colour, the value from the top in a vertical
// gradient: colour 1 at both ends, nine tenths of the way to colour 2 in the middle.
void TestCircleSlider::circleEffect() {
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    Apply(slider,
          kBase +
              ";enablecircleeffect=true;gradientcolor1=#FFFF0000;gradientcolor2=#FF0000FF;"
              "bgcolor=#FF00FF00;value=75");  // from the top, half way round to the bottom
    const QImage image = Paint(slider);
    const QColor middle = QColor::fromRgba(At(image, 0));
    QVERIFY2(std::abs(middle.red() - 26) <= 3 && middle.green() == 0 &&
                 std::abs(middle.blue() - 230) <= 3,
             qPrintable(middle.name()));
    const QColor top = QColor::fromRgba(At(image, 275));
    QVERIFY2(top.red() > 230 && top.blue() < 25, qPrintable(top.name()));
    QCOMPARE(Name(At(image, 180)), QString("ff00ff00"));  // the rest of the ring
    QCOMPARE(Name(At(image, 100)), QString("ff00ff00"));
    QCOMPARE(Name(At(image, 200, 60)), QString("clear"));  // no cap, no thumb, no fill
}

void TestCircleSlider::capAndThumb() {
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    Apply(slider, kBase + ";thumbimage=thumb.png;value=50");
    const QImage image = Paint(slider);
    // The thumb's 18 × 18 box around the arc's end, one pixel to the right of it.
    const QPointF end = slider.ArcPoint(150, 120);
    QCOMPARE(Name(image.pixel((end + QPointF(1, 0)).toPoint())), QString("thumb"));
    QCOMPARE(Name(image.pixel((end + QPointF(-6, -7)).toPoint())), QString("thumb"));
    QCOMPARE(Name(image.pixel((end + QPointF(1, 14)).toPoint())), QString("clear"));
    // The round start cap: a circle of the ring's width, its box at (x − 3, y − 6).
    const QPointF start = slider.ArcPoint(150, 0);
    QCOMPARE(Name(image.pixel((start + QPointF(1, -2)).toPoint())), QString("fg"));
    // A thumb that cannot be loaded is left out.
    slider.SetAttribute("thumbimage", "file='missing.png'");
    QCOMPARE(Name(Paint(slider).pixel((end + QPointF(-6, -7)).toPoint())), QString("clear"));
}

using Read = std::function<QVariant(const CCircleSliderUI&)>;
Q_DECLARE_METATYPE(Read)

void TestCircleSlider::attributes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<Read>("read");
    QTest::addColumn<QVariant>("expected");
    const Read circular = [](auto& s) { return QVariant(s.IsCircular()); };
    const Read clockwise = [](auto& s) { return QVariant(s.IsClockwise()); };
    const Read width = [](auto& s) { return QVariant(s.CircleWidth()); };
    const Read fg = [](auto& s) { return QVariant(s.FgColor()); };
    const Read bg = [](auto& s) { return QVariant(s.BgColor()); };
    const Read effect = [](auto& s) { return QVariant(s.IsCircleEffect()); };
    const Read g1 = [](auto& s) { return QVariant(s.GradientColor1()); };
    QTest::newRow("defaults") << ""
                              << "" << Read([](auto& s) {
                                     return QVariant(QVariantList{s.IsCircular(), s.IsClockwise(),
                                                                  s.CircleWidth(), s.BgColor(),
                                                                  s.FgColor(), s.IsCircleEffect()});
                                 })
                              << QVariant(QVariantList{false, true, 10, 0u, 0u, false});
    QTest::newRow("circular") << "circular"
                              << "true" << circular << QVariant(true);
    QTest::newRow("circular: only \"true\"") << "circular"
                                             << "True" << circular << QVariant(false);
    QTest::newRow("clockwise") << "clockwise"
                               << "false" << clockwise << QVariant(false);
    QTest::newRow("circlewidth") << "circlewidth"
                                 << "12" << width << QVariant(12);
    QTest::newRow("circlewidth: negative kept out") << "circlewidth"
                                                    << "-3" << width << QVariant(10);
    QTest::newRow("circlewidth: no number") << "circlewidth"
                                            << "wide" << width << QVariant(10);
    QTest::newRow("fgcolor") << "fgcolor"
                             << "#FF3DC633" << fg << QVariant(0xFF3DC633u);
    // The number is 0xAARRGGBB: six digits leave the alpha at 0.
    QTest::newRow("fgcolor: six digits") << "fgcolor"
                                         << "#3DC633" << fg << QVariant(0x003DC633u);
    QTest::newRow("fgcolor: not hexadecimal") << "fgcolor"
                                              << "#FF3DC6ZZ" << fg << QVariant(0u);
    QTest::newRow("fgcolor: beyond 32 bits") << "fgcolor"
                                             << "#1FF3DC633" << fg << QVariant(0u);
    QTest::newRow("bgcolor") << "bgcolor"
                             << "#80FFFFFF" << bg << QVariant(0x80FFFFFFu);
    QTest::newRow("gradientcolor1") << "gradientcolor1"
                                    << "#FF000001" << g1 << QVariant(0xFF000001u);
    QTest::newRow("enablecircleeffect") << "enablecircleeffect"
                                        << "true" << effect << QVariant(true);
    QTest::newRow("thumbimage in the image dialect")
        << "thumbimage"
        << "file='Slider.png' source='0,0,18,18'" << Read([](auto& s) {
               return QVariant(s.ThumbImage().file + ":" +
                               (s.ThumbImage().source ? "cut" : "whole"));
           })
        << QVariant("Slider.png:cut");
    QTest::newRow("max: the progress bar's")
        << "max"
        << "150" << Read([](auto& s) { return QVariant(s.Maximum()); }) << QVariant(150);
}

void TestCircleSlider::attributes() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(Read, read);
    CCircleSliderUI slider;
    if (!name.isEmpty()) slider.SetAttribute(name, value);
    QTEST(read(slider), "expected");
}

void TestCircleSlider::indicatorTurns_data() {
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("top");  // the colour of the turned picture's top row
    QTest::addColumn<QSize>("size");
    // A quarter clockwise brings the picture's left edge to the top.
    QTest::newRow("clockwise: 90°") << "indicator=indicator.png"
                                    << "fg" << QSize(2, 4);
    QTest::newRow("counter-clockwise: 270°") << "clockwise=false;indicator=indicator.png"
                                             << "bg" << QSize(2, 4);
    QTest::newRow("direction changed after: 180° more") << "indicator=indicator.png;clockwise=false"
                                                        << "bg" << QSize(2, 4);
    QTest::newRow("and back") << "indicator=indicator.png;clockwise=false;clockwise=true"
                              << "fg" << QSize(2, 4);
    QTest::newRow("same direction again: no turn") << "indicator=indicator.png;clockwise=true"
                                                   << "fg" << QSize(2, 4);
    QTest::newRow("missing picture: none") << "indicator=nothing.png"
                                           << "none" << QSize(0, 0);
}

void TestCircleSlider::indicatorTurns() {
    QFETCH(QString, attributes);
    CCircleSliderUI slider;
    if (attributes.contains("nothing"))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("indicator"));
    Apply(slider, attributes);
    const QImage& bitmap = slider.IndicatorBitmap();
    QTEST(bitmap.size(), "size");
    QTEST(bitmap.isNull() ? QString("none") : Name(bitmap.pixel(0, 0)), "top");
    if (!bitmap.isNull()) QCOMPARE(Name(bitmap.pixel(1, 0)), Name(bitmap.pixel(0, 0)));
}

void TestCircleSlider::valueToward_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<double>("angle");  // where the pointer is, on the ring
    QTest::addColumn<int>("value");
    QTest::newRow("along the arc") << 15 << 150 + 40 * 2.4 << 40;
    QTest::newRow("back down") << 40 << 150 + 15 * 2.4 << 15;
    QTest::newRow("the top") << 0 << 270.0 << 50;
    QTest::newRow("past the end holds at 100") << 95 << 45.0 << 100;
    QTest::newRow("in the opening, from the end") << 100 << 90.0 << 100;
    QTest::newRow("across the opening: still the end") << 100 << 160.0 << 100;
    QTest::newRow("in the opening, from the start") << 5 << 100.0 << 0;
    QTest::newRow("across the opening: still the start") << 0 << 25.0 << 0;
    QTest::newRow("a value beyond the user's starts at the end") << 150 << 270.0 << 50;
}

void TestCircleSlider::valueToward() {
    QFETCH(int, from);
    QFETCH(double, angle);
    CCircleSliderUI slider;
    slider.resize(kSide, kSide);
    Apply(slider, kBase);
    QCOMPARE(slider.UserMaximum(), 100);  // the values along the background arc
    const double a = angle * M_PI / 180;
    const QPointF pointer = QPointF(103.5, 103.5) + 96.5 * QPointF(std::cos(a), std::sin(a));
    QTEST(slider.ValueToward(pointer, from), "value");
}

using Hand = std::function<void(CCircleSliderUI&)>;
Q_DECLARE_METATYPE(Hand)

namespace {

Hand Drag(std::initializer_list<int> values, bool release = true) {
    const std::vector<int> path(values);
    return [path, release](CCircleSliderUI& g) {
        QTest::mousePress(&g, Qt::LeftButton, {}, ThumbOf(g, path.front()));
        for (std::size_t i = 1; i < path.size(); ++i) QTest::mouseMove(&g, ThumbOf(g, path[i]));
        if (release) QTest::mouseRelease(&g, Qt::LeftButton, {}, ThumbOf(g, path.back()));
    };
}

Hand Wheel(int delta) {
    return [delta](CCircleSliderUI& g) {
        const QPointF at(103, 103);
        QWheelEvent event(at, g.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&g, &event);
    };
}

Hand Key(Qt::Key key) {
    return [key](CCircleSliderUI& g) { QTest::keyClick(&g, key); };
}

}  // namespace

void TestCircleSlider::hands_data() {
    QTest::addColumn<Hand>("hand");
    QTest::addColumn<int>("value");
    QTest::addColumn<QStringList>("told");  // what the window heard, in order
    QTest::newRow("drag the thumb")
        << Drag({15, 20, 30, 40}) << 40
        << QStringList{"valuechanging:gauge:20", "valuechanging:gauge:30", "valuechanging:gauge:40",
                       "valuechanged:gauge:40"};
    QTest::newRow("drag back to the start: settled again")
        << Drag({15, 30, 15}) << 15
        << QStringList{"valuechanging:gauge:30", "valuechanging:gauge:15", "valuechanged:gauge:15"};
    QTest::newRow("a press without a move tells nothing") << Drag({15}) << 15 << QStringList{};
    QTest::newRow("still held: nothing settled")
        << Drag({15, 25}, false) << 25 << QStringList{"valuechanging:gauge:25"};
    QTest::newRow("a press on the arc brings the thumb") << Hand([](CCircleSliderUI& g) {
        QTest::mouseClick(&g, Qt::LeftButton, {}, ThumbOf(g, 60));
    }) << 60 << QStringList{"valuechanging:gauge:60", "valuechanged:gauge:60"};
    QTest::newRow("a press off the ring does nothing") << Hand([](CCircleSliderUI& g) {
        QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(103, 103));
        QTest::mouseMove(&g, ThumbOf(g, 60));
        QTest::mouseRelease(&g, Qt::LeftButton, {}, ThumbOf(g, 60));
    }) << 15 << QStringList{};
    QTest::newRow("escape: back to where the drag began") << Hand([](CCircleSliderUI& g) {
        Drag({15, 35}, false)(g);
        QTest::keyClick(&g, Qt::Key_Escape);
        QTest::mouseRelease(&g, Qt::LeftButton, {}, ThumbOf(g, 35));
    }) << 15 << QStringList{"valuechanging:gauge:35", "valuechanged:gauge:15"};
    QTest::newRow("hidden while dragging: what was shown stays") << Hand([](CCircleSliderUI& g) {
        Drag({15, 35}, false)(g);
        g.Window()->hide();
    }) << 35 << QStringList{"valuechanging:gauge:35", "valuechanged:gauge:35"};
    QTest::newRow("wheel: half a notch twice")
        << Hand([](CCircleSliderUI& g) { Wheel(60)(g), Wheel(60)(g); }) << 20
        << QStringList{"valuechanged:gauge:20"};
}

void TestCircleSlider::hands() {
    QFETCH(Hand, hand);
    SliderWindow window;
    QVERIFY(window.Create(nullptr));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CCircleSliderUI* gauge = window.Gauge();
    QVERIFY(gauge);
    gauge->SetAdjustable(true);
    QTRY_COMPARE(window.inits, 1);
    hand(*gauge);
    QTEST(gauge->Value(), "value");
    QTEST(window.log, "told");
}

// Unless the window makes it adjustable, the gauge moves for nothing the user does.
void TestCircleSlider::gaugeTakesNoInput() {
    SliderWindow window;
    QVERIFY(window.Create(nullptr));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CCircleSliderUI* gauge = window.Gauge();
    QTRY_COMPARE(window.inits, 1);
    QCOMPARE(gauge->focusPolicy(), Qt::NoFocus);
    for (bool adjustable : {false, true}) {
        gauge->SetAdjustable(adjustable);
        gauge->setEnabled(adjustable);  // disabled: no input either
        gauge->SetAdjustable(!adjustable);
        gauge->SetAdjustable(false);
        Drag({15, 40})(*gauge);
        Wheel(120)(*gauge);
        Key(Qt::Key_Right)(*gauge);
    }
    QCOMPARE(gauge->Value(), 15);
    QCOMPARE(window.log, QStringList{});
    // Made adjustable, then not, in the middle of a drag: the drag ends with nothing settled.
    gauge->setEnabled(true);
    gauge->SetAdjustable(true);
    Drag({15, 30}, false)(*gauge);
    gauge->SetAdjustable(false);
    QTest::mouseRelease(gauge, Qt::LeftButton, {}, ThumbOf(*gauge, 30));
    QCOMPARE(window.log, QStringList{"valuechanging:gauge:30"});
    QVERIFY(!gauge->IsDragging());
}

QTEST_MAIN(TestCircleSlider)
#include "tst_circle_slider.moc"
