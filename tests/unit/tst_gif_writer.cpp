#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "res/art/gif_writer.h"

using namespace art;

namespace {

using Frames = std::vector<AnimationFrame>;
using FrameMaker = std::function<Frames()>;

const GifOptions kOptions;  // the page colour as matte

QImage Canvas(QSize size = QSize(40, 30)) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// An anti-aliased disc on a transparent canvas: soft edges of many alphas.
QImage Disc(QPointF centre, qreal radius, QColor colour, QImage image = Canvas()) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
    return image;
}

// A smooth two-way gradient: far more colours than a GIF palette holds.
QImage Gradient(int shift) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb((x * 4 + shift) % 256, y * 4, 255 - x * 2));
    return image;
}

// What a pixel must read back as: transparent, or opaque and flattened over the matte.
QRgb Expected(QRgb premultiplied) {
    const int a = qAlpha(premultiplied);
    if (a < kOptions.clearBelow) return 0;
    const QRgb m = kOptions.matte.rgb();
    const auto over = [a](int c, int back) {
        return std::min(255, c + (back * (255 - a) + 127) / 255);
    };
    return qRgb(over(qRed(premultiplied), qRed(m)), over(qGreen(premultiplied), qGreen(m)),
                over(qBlue(premultiplied), qBlue(m)));
}

struct Decoded {
    int count = 0;
    QSize size;
    int loopCount = 0;
    std::vector<QImage> frames;
    std::vector<int> delays;
};

Decoded Decode(const QByteArray& gif) {
    QBuffer buffer;
    buffer.setData(gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    Decoded d;
    d.count = reader.imageCount();
    d.size = reader.size();
    d.loopCount = reader.loopCount();
    for (QImage frame; reader.read(&frame);) {
        d.frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
        d.delays.push_back(reader.nextImageDelay());
    }
    return d;
}

}  // namespace

class TestGifWriter : public QObject {
    Q_OBJECT

  private slots:
    void playsBackWhatWasDrawn_data() {
        QTest::addColumn<FrameMaker>("make");
        QTest::addColumn<int>("tolerance");         // largest channel error allowed
        QTest::addColumn<double>("meanTolerance");  // the same, on average over all pixels

        QTest::newRow("one frame, three flat colours") << FrameMaker([] {
            QImage image = Canvas();
            image.fill(QColor(0x20, 0x80, 0xC0));
            QPainter(&image).fillRect(QRect(5, 5, 10, 10), QColor(0xFF, 0x9F, 0x43));
            QPainter(&image).fillRect(QRect(20, 5, 10, 10), Qt::white);
            return Frames{{image, 100}};
        }) << 0 << 0.0;
        QTest::newRow("a disc moving: soft edges over the matte") << FrameMaker([] {
            Frames frames;
            for (int i = 0; i < 6; ++i)
                frames.push_back({Disc(QPointF(8 + 4 * i, 15), 6.5, QColor(0x1F, 0xC3, 0xA0)), 50});
            return frames;
        }) << 0 << 0.0;
        QTest::newRow("a disc shrinking: opaque pixels turn transparent") << FrameMaker([] {
            Frames frames;
            for (int i = 0; i < 5; ++i)
                frames.push_back(
                    {Disc(QPointF(20, 15), 12 - 2.5 * i, QColor(0x3B, 0xA4, 0xF5)), 40});
            return frames;
        }) << 0 << 0.0;
        QTest::newRow("a disc leaving, then coming back") << FrameMaker([] {
            const QColor c(0xC8, 0x65, 0x1B);
            return Frames{{Disc(QPointF(10, 10), 6, c), 30},
                          {Disc(QPointF(30, 20), 6, c), 30},
                          {Canvas(), 30},
                          {Disc(QPointF(30, 20), 6, c), 30}};
        }) << 0 << 0.0;
        QTest::newRow("from nothing, identical frames in between") << FrameMaker([] {
            const QImage disc = Disc(QPointF(20, 15), 8, QColor(0x54, 0xDD, 0xBD));
            return Frames{{Canvas(), 20}, {disc, 20}, {disc, 20}, {disc, 70}};
        }) << 0 << 0.0;
        QTest::newRow("thousands of colours: quantised") << FrameMaker([] {
            return Frames{{Gradient(0), 50}, {Gradient(4), 50}, {Gradient(8), 50}};
        }) << 16 << 6.0;
    }

    // Frame count, size, delays and pixels as Qt's reader (the program's) sees them.
    void playsBackWhatWasDrawn() {
        QFETCH(FrameMaker, make);
        QFETCH(int, tolerance);
        QFETCH(double, meanTolerance);
        const Frames frames = make();
        QString error;
        const QByteArray gif = EncodeGif(frames, kOptions, &error);
        QVERIFY2(!gif.isEmpty(), qPrintable(error));
        QVERIFY(gif.startsWith("GIF89a"));

        const Decoded d = Decode(gif);
        QCOMPARE(d.count, static_cast<int>(frames.size()));
        QCOMPARE(d.size, frames.front().image.size());
        QCOMPARE(d.frames.size(), frames.size());
        // No loop: once through, and the last frame stays.
        QCOMPARE(d.loopCount, 0);
        double errorSum = 0;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            QCOMPARE(d.delays[i], frames[i].delayMs);
            const QImage drawn =
                frames[i].image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage& read = d.frames[i];
            QCOMPARE(read.size(), drawn.size());
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) {
                    const QRgb want = Expected(drawn.pixel(x, y));
                    const QRgb got = read.pixel(x, y);
                    const QString where = QStringLiteral("frame %1 at %2,%3: want %4 got %5")
                                              .arg(i)
                                              .arg(x)
                                              .arg(y)
                                              .arg(want, 8, 16, QLatin1Char('0'))
                                              .arg(got, 8, 16, QLatin1Char('0'));
                    if (qAlpha(want) == 0) {
                        QVERIFY2(qAlpha(got) == 0, qPrintable(where));
                        continue;
                    }
                    QVERIFY2(qAlpha(got) == 255, qPrintable(where));
                    const int worst = std::max({std::abs(qRed(got) - qRed(want)),
                                                std::abs(qGreen(got) - qGreen(want)),
                                                std::abs(qBlue(got) - qBlue(want))});
                    errorSum += worst;
                    QVERIFY2(worst <= tolerance, qPrintable(where));
                }
            }
        }
        // Beyond the worst pixel, the picture as a whole stays close.
        const double pixels = static_cast<double>(frames.size()) * frames.front().image.width() *
                              frames.front().image.height();
        QVERIFY2(errorSum / pixels <= meanTolerance,
                 qPrintable(QString::number(errorSum / pixels)));
    }

    void delays_data() {
        QTest::addColumn<int>("drawnMs");
        QTest::addColumn<int>("readMs");  // GIF keeps hundredths of a second
        // Shorter than two hundredths would play as a tenth of a second.
        QTest::newRow("none") << 0 << 20;
        QTest::newRow("a hundredth") << 10 << 20;
        QTest::newRow("24") << 24 << 20;
        QTest::newRow("25") << 25 << 30;
        QTest::newRow("44") << 44 << 40;
        QTest::newRow("45") << 45 << 50;
        QTest::newRow("a second") << 1000 << 1000;
        QTest::newRow("longer than a GIF can say") << 700000 << 655350;
        QTest::newRow("negative") << -30 << 20;
    }

    void delays() {
        QFETCH(int, drawnMs);
        QFETCH(int, readMs);
        const QImage dot = Disc(QPointF(20, 15), 5, Qt::black);
        const Decoded d = Decode(EncodeGif({{Canvas(), drawnMs}, {dot, drawnMs}}, kOptions));
        QCOMPARE(d.delays.size(), std::size_t(2));
        QCOMPARE(d.delays[0], readMs);
        QCOMPARE(d.delays[1], readMs);
    }

    void palette_data() {
        QTest::addColumn<FrameMaker>("make");
        QTest::addColumn<int>("size");

        QTest::newRow("nothing but transparency") << FrameMaker([] {
            return Frames{{Canvas(), 10}};
        }) << 0;
        QTest::newRow("two colours, half transparent pixels blended") << FrameMaker([] {
            QImage image = Canvas();
            QPainter(&image).fillRect(QRect(0, 0, 10, 10), QColor(0, 0, 0));
            QPainter(&image).fillRect(QRect(10, 0, 10, 10), QColor(255, 0, 0, 128));
            return Frames{{image, 10}};
        }) << 2;
        QTest::newRow("more colours than fit") << FrameMaker([] {
            return Frames{{Gradient(0), 10}};
        }) << kGifTransparentIndex;
    }

    // Exact while the colours fit, never more than the index below the transparent one.
    void palette() {
        QFETCH(FrameMaker, make);
        QFETCH(int, size);
        const std::vector<QRgb> palette = GifPalette(make(), kOptions);
        QCOMPARE(static_cast<int>(palette.size()), size);
        QCOMPARE(std::set<QRgb>(palette.begin(), palette.end()).size(), palette.size());
    }

    void refusesWhatCannotBeStored_data() {
        QTest::addColumn<FrameMaker>("make");
        QTest::newRow("no frames") << FrameMaker([] { return Frames{}; });
        QTest::newRow("an empty frame") << FrameMaker([] { return Frames{{QImage(), 10}}; });
        QTest::newRow("frames of two sizes") << FrameMaker([] {
            return Frames{{Canvas(), 10}, {Canvas(QSize(41, 30)), 10}};
        });
        QTest::newRow("wider than a GIF can say") << FrameMaker([] {
            return Frames{{Canvas(QSize(70000, 1)), 10}};
        });
    }

    void refusesWhatCannotBeStored() {
        QFETCH(FrameMaker, make);
        QString error;
        QVERIFY(EncodeGif(make(), kOptions, &error).isEmpty());
        QVERIFY(!error.isEmpty());
    }

    // The art tool must give the same bytes for the same drawing.
    void sameDrawingSameBytes() {
        Frames frames;
        for (int i = 0; i < 4; ++i) frames.push_back({Gradient(i * 20), 50});
        QCOMPARE(EncodeGif(frames, kOptions), EncodeGif(frames, kOptions));
    }

    // A frame stores only what changed: a still stretch of the animation costs next to nothing.
    void unchangedFramesCostLittle() {
        const QImage still = Gradient(0);
        const qsizetype one = EncodeGif({{still, 50}}, kOptions).size();
        Frames many(20, AnimationFrame{still, 50});
        many.push_back({Disc(QPointF(30, 30), 3, Qt::black, still), 50});
        const qsizetype all = EncodeGif(many, kOptions).size();
        QVERIFY2(all < one + 20 * 40 + 400,
                 qPrintable(QStringLiteral("%1 vs %2").arg(all).arg(one)));
    }
};

QTEST_MAIN(TestGifWriter)
#include "tst_gif_writer.moc"
