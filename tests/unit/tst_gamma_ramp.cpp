#include <QTest>
#include <climits>

#include "eye/gamma_ramp.h"

class TestGammaRamp : public QObject {
    Q_OBJECT

  private slots:
    void blueFollowsStrength_data();
    void blueFollowsStrength();
    void everyStrengthGivesSaneRamp();
    void identityIsZeroPercent();
    void resample_data();
    void resample();
    void resampleSameSizeIsUnchanged_data();
    void resampleSameSizeIsUnchanged();
    void resampleStaysMonotonic_data();
    void resampleStaysMonotonic();
    void resampleTooSmall_data();
    void resampleTooSmall();
};

void TestGammaRamp::blueFollowsStrength_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("factor");
    QTest::addColumn<int>("blue1");
    QTest::addColumn<int>("blue128");
    QTest::addColumn<int>("blue255");

    QTest::newRow("0%") << 0 << 256 << 256 << 32768 << 65280;
    QTest::newRow("10%") << 10 << 231 << 231 << 29568 << 58905;
    QTest::newRow("15%") << 15 << 218 << 218 << 27904 << 55590;
    QTest::newRow("20%") << 20 << 205 << 205 << 26240 << 52275;
    QTest::newRow("30%") << 30 << 180 << 180 << 23040 << 45900;
    QTest::newRow("99%") << 99 << 3 << 3 << 384 << 765;
    QTest::newRow("100%") << 100 << 0 << 0 << 0 << 0;
    // Out of range clamps to the nearest end instead of overflowing the factor or the channel.
    QTest::newRow("-5%") << -5 << 256 << 256 << 32768 << 65280;
    QTest::newRow("-1%") << -1 << 256 << 256 << 32768 << 65280;
    QTest::newRow("101%") << 101 << 0 << 0 << 0 << 0;
    QTest::newRow("150%") << 150 << 0 << 0 << 0 << 0;
    QTest::newRow("INT_MIN") << INT_MIN << 256 << 256 << 32768 << 65280;
    QTest::newRow("INT_MAX") << INT_MAX << 0 << 0 << 0 << 0;
}

void TestGammaRamp::blueFollowsStrength() {
    QFETCH(int, percent);
    QFETCH(int, factor);
    QFETCH(int, blue1);
    QFETCH(int, blue128);
    QFETCH(int, blue255);

    QCOMPARE(BlueFactor(percent), factor);
    const GammaRamp ramp = BuildGammaRamp(percent);
    QCOMPARE(ramp.blue[0], 0);
    QCOMPARE(ramp.blue[1], blue1);
    QCOMPARE(ramp.blue[128], blue128);
    QCOMPARE(ramp.blue[255], blue255);
    for (int i = 0; i < kGammaRampSize; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QCOMPARE(ramp.blue[at], i * factor);
    }
}

// Every strength the slider or a stored value could hold: red and green never move, blue never
// exceeds them and never falls as the input rises.
void TestGammaRamp::everyStrengthGivesSaneRamp() {
    for (int percent = -2; percent <= 102; ++percent) {
        const GammaRamp ramp = BuildGammaRamp(percent);
        for (int i = 0; i < kGammaRampSize; ++i) {
            const auto at = static_cast<std::size_t>(i);
            QCOMPARE(ramp.red[at], i * 256);
            QCOMPARE(ramp.green[at], i * 256);
            QVERIFY2(ramp.blue[at] <= ramp.red[at], qPrintable(QString::number(percent)));
            if (i > 0) QVERIFY(ramp.blue[at] >= ramp.blue[at - 1]);
        }
        if (percent > -2) {
            // A stronger filter never leaves more blue than a weaker one.
            const GammaRamp weaker = BuildGammaRamp(percent - 1);
            QVERIFY(ramp.blue[255] <= weaker.blue[255]);
        }
    }
}

void TestGammaRamp::identityIsZeroPercent() {
    const GammaRamp identity = IdentityGammaRamp();
    QVERIFY(identity == BuildGammaRamp(0));
    QVERIFY(identity.blue == identity.red);
    QVERIFY(!(identity == BuildGammaRamp(1)));
}

void TestGammaRamp::resample_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expectedBlue");

    // Both ends always land on the source ends.
    QTest::newRow("1024 first") << 15 << 1024 << 0 << 0;
    QTest::newRow("1024 last") << 15 << 1024 << 1023 << 55590;
    QTest::newRow("2 first") << 15 << 2 << 0 << 0;
    QTest::newRow("2 last") << 15 << 2 << 1 << 55590;
    QTest::newRow("16 last") << 20 << 16 << 15 << 52275;
    // 1024: entry 512 sits at 127.62..., between 27686 and 27904; 218 * 130560 / 1023 rounds
    // to 27822.
    QTest::newRow("1024 middle") << 15 << 1024 << 512 << 27822;
    // 1024: entry 4 sits at 0.997..., just short of source entry 1.
    QTest::newRow("1024 near 1") << 15 << 1024 << 4 << 217;
    // 16: entry j sits exactly on source entry 17 * j.
    QTest::newRow("16 on grid") << 20 << 16 << 7 << 119 * 205;
    QTest::newRow("16 identity") << 0 << 16 << 1 << 17 * 256;
    // 3: the middle sits halfway between 127 and 128.
    QTest::newRow("3 middle") << 0 << 3 << 1 << (127 * 256 + 128 * 256) / 2;
    QTest::newRow("3 middle 15%") << 15 << 3 << 1 << 27795;
    // 4096 (deep-colour CRTCs): the last entry is still exact.
    QTest::newRow("4096 last") << 30 << 4096 << 4095 << 45900;
    QTest::newRow("100% stays dark") << 100 << 1024 << 700 << 0;
}

void TestGammaRamp::resample() {
    QFETCH(int, percent);
    QFETCH(int, size);
    QFETCH(int, index);
    QFETCH(int, expectedBlue);

    const GammaRamp ramp = BuildGammaRamp(percent);
    const std::vector<std::uint16_t> blue = ResampleChannel(ramp.blue, size);
    QCOMPARE(blue.size(), static_cast<std::size_t>(size));
    QCOMPARE(blue[static_cast<std::size_t>(index)], expectedBlue);
}

void TestGammaRamp::resampleSameSizeIsUnchanged_data() {
    QTest::addColumn<int>("percent");
    QTest::newRow("0%") << 0;
    QTest::newRow("15%") << 15;
    QTest::newRow("100%") << 100;
}

void TestGammaRamp::resampleSameSizeIsUnchanged() {
    QFETCH(int, percent);
    const GammaRamp ramp = BuildGammaRamp(percent);
    for (const GammaChannel* channel : {&ramp.red, &ramp.green, &ramp.blue}) {
        const std::vector<std::uint16_t> out = ResampleChannel(*channel, kGammaRampSize);
        QVERIFY(std::equal(out.begin(), out.end(), channel->begin(), channel->end()));
    }
}

void TestGammaRamp::resampleStaysMonotonic_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("2") << 2;
    QTest::newRow("3") << 3;
    QTest::newRow("16") << 16;
    QTest::newRow("255") << 255;
    QTest::newRow("257") << 257;
    QTest::newRow("1024") << 1024;
    QTest::newRow("65536") << 65536;
}

// A saturated channel (values up to 65535) must not wrap while interpolating.
void TestGammaRamp::resampleStaysMonotonic() {
    QFETCH(int, size);
    GammaChannel saturated{};
    for (std::size_t i = 0; i < saturated.size(); ++i) {
        saturated[i] = static_cast<std::uint16_t>(std::min<std::size_t>(i * 300, 65535));
    }
    const std::vector<std::uint16_t> out = ResampleChannel(saturated, size);
    QCOMPARE(out.size(), static_cast<std::size_t>(size));
    QCOMPARE(out.front(), saturated.front());
    QCOMPARE(out.back(), saturated.back());
    for (std::size_t j = 1; j < out.size(); ++j) QVERIFY(out[j] >= out[j - 1]);
}

void TestGammaRamp::resampleTooSmall_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("1") << 1;
    QTest::newRow("0") << 0;
    QTest::newRow("negative") << -3;
    QTest::newRow("INT_MIN") << INT_MIN;
}

void TestGammaRamp::resampleTooSmall() {
    QFETCH(int, size);
    QVERIFY(ResampleChannel(IdentityGammaRamp().blue, size).empty());
}

QTEST_APPLESS_MAIN(TestGammaRamp)
#include "tst_gamma_ramp.moc"
