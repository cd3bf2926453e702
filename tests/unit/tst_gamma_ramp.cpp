#include <QTest>
#include <climits>

#include "eye/gamma_ramp.h"

Q_DECLARE_METATYPE(CrtcRamp)

class TestGammaRamp : public QObject {
    Q_OBJECT

  private slots:
    void blueFollowsStrength_data();
    void blueFollowsStrength();
    void resample_data();
    void resample();
    void recognisesOurRamp_data();
    void recognisesOurRamp();
};

namespace {

CrtcRamp Ours(int percent, int size) {
    const GammaRamp ramp = BuildGammaRamp(percent);
    return {1, ResampleChannel(ramp.red, size), ResampleChannel(ramp.green, size),
            ResampleChannel(ramp.blue, size)};
}

CrtcRamp Changed(CrtcRamp ramp, std::vector<std::uint16_t> CrtcRamp::*channel, int entry, int by) {
    (ramp.*channel)[static_cast<std::size_t>(entry)] += static_cast<std::uint16_t>(by);
    return ramp;
}

}  // namespace

void TestGammaRamp::blueFollowsStrength_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("blue1");  // entry 1 carries the factor itself
    QTest::addColumn<int>("blue128");
    QTest::addColumn<int>("blue255");

    QTest::newRow("0%") << 0 << 256 << 32768 << 65280;
    QTest::newRow("10%") << 10 << 231 << 29568 << 58905;
    QTest::newRow("15%") << 15 << 218 << 27904 << 55590;
    QTest::newRow("20%") << 20 << 205 << 26240 << 52275;
    QTest::newRow("30%") << 30 << 180 << 23040 << 45900;
    QTest::newRow("100%") << 100 << 0 << 0 << 0;
    // Out of range clamps to the nearest end instead of overflowing the factor or the channel.
    QTest::newRow("-1%") << -1 << 256 << 32768 << 65280;
    QTest::newRow("101%") << 101 << 0 << 0 << 0;
    QTest::newRow("INT_MIN") << INT_MIN << 256 << 32768 << 65280;
    QTest::newRow("INT_MAX") << INT_MAX << 0 << 0 << 0;
}

void TestGammaRamp::blueFollowsStrength() {
    QFETCH(int, percent);
    QFETCH(int, blue1);
    QFETCH(int, blue128);
    QFETCH(int, blue255);

    QCOMPARE(BlueFactor(percent), blue1);
    const GammaRamp ramp = BuildGammaRamp(percent);
    QCOMPARE(ramp.blue[1], blue1);
    QCOMPARE(ramp.blue[128], blue128);
    QCOMPARE(ramp.blue[255], blue255);
    for (int i = 0; i < kGammaRampSize; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QCOMPARE(ramp.red[at], i * 256);
        QCOMPARE(ramp.green[at], i * 256);
        if (i > 0) QVERIFY(ramp.blue[at] >= ramp.blue[at - 1]);
    }
    QCOMPARE(ramp == IdentityGammaRamp(), blue255 == 65280);  // only 0 % is the identity
}

void TestGammaRamp::resample_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");

    QTest::newRow("2") << 15 << 2 << 1 << 55590;
    QTest::newRow("3, halfway between 127 and 128") << 0 << 3 << 1 << 32640;
    QTest::newRow("16, on the grid") << 20 << 16 << 7 << 119 * 205;
    QTest::newRow("256 is the source") << 15 << 256 << 128 << 27904;
    QTest::newRow("1024, between 127 and 128") << 15 << 1024 << 512 << 27822;
    // Products of 16-bit values and large sizes exceed 32 bits.
    QTest::newRow("40000") << 0 << 40000 << 39999 << 65280;
    QTest::newRow("1 is too small") << 15 << 1 << 0 << 0;
    QTest::newRow("INT_MIN is too small") << 15 << INT_MIN << 0 << 0;
}

void TestGammaRamp::resample() {
    QFETCH(int, percent);
    QFETCH(int, size);
    QFETCH(int, index);
    QFETCH(int, expected);

    const GammaChannel blue = BuildGammaRamp(percent).blue;
    const std::vector<std::uint16_t> out = ResampleChannel(blue, size);
    if (size < 2) {
        QVERIFY(out.empty());
        return;
    }
    QCOMPARE(out.size(), static_cast<std::size_t>(size));
    QCOMPARE(out[static_cast<std::size_t>(index)], expected);
    QCOMPARE(out.front(), blue.front());
    QCOMPARE(out.back(), blue.back());
    for (std::size_t j = 1; j < out.size(); ++j) QVERIFY(out[j] >= out[j - 1]);
    if (size == kGammaRampSize) QVERIFY(std::equal(out.begin(), out.end(), blue.begin()));
}

void TestGammaRamp::recognisesOurRamp_data() {
    QTest::addColumn<CrtcRamp>("ramp");
    QTest::addColumn<int>("strength");  // -1: not ours
    QTest::newRow("identity is 0") << Ours(0, 256) << 0;
    QTest::newRow("1, CRTC of 1024") << Ours(1, 1024) << 1;
    QTest::newRow("99, CRTC of 2") << Ours(99, 2) << 99;
    QTest::newRow("100") << Ours(100, 256) << 100;
    QTest::newRow("30, one blue step off") << Changed(Ours(30, 256), &CrtcRamp::blue, 200, 1) << -1;
    QTest::newRow("30, red off at the top")
        << Changed(Ours(30, 256), &CrtcRamp::red, 255, -1) << -1;
    QTest::newRow("nothing read") << CrtcRamp{} << -1;
}

void TestGammaRamp::recognisesOurRamp() {
    QFETCH(CrtcRamp, ramp);
    QFETCH(int, strength);
    QCOMPARE(FilterStrengthOf(ramp), strength);
}

QTEST_APPLESS_MAIN(TestGammaRamp)
#include "tst_gamma_ramp.moc"
