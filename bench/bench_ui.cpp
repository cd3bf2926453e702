// Times building the main window's layout from the embedded skin package (parse, widgets,
// first placement), cold (first window, images decoded) and warm, and reports the package and
// what one play of the drink panels' glass animations costs to decode.
//
//   build/bench/bench_ui [runs]     (runs for the warm figure, default 30)

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/layout_builder.h"
#include "ui/skin_package.h"
#include "ui/window_base.h"

namespace {

class Frame : public ui::WindowBase {
  public:
    QString LayoutFile() const override { return QStringLiteral("main_frame.xml"); }
};

// Builds the window and paints it once offscreen, as showing it would.
double BuildAndPaintMicros() {
    QElapsedTimer timer;
    timer.start();
    Frame frame;
    if (!frame.Create(nullptr)) {
        std::fprintf(stderr, "bench_ui: %s\n", qPrintable(frame.ErrorText()));
        std::exit(1);
    }
    frame.grab();
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0;
}

double BuildOnlyMicros() {
    QElapsedTimer timer;
    timer.start();
    Frame frame;
    frame.Create(nullptr);
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0;
}

struct Play {
    int frames = 0;
    int millis = 0;  // the sum of the frames' delays
    double decodeMicros = 0;
};

// Decodes every frame of a GIF of the package once, as the panel's animation does in one play.
Play DecodeOnce(const QByteArray& gif) {
    Play play;
    QElapsedTimer timer;
    timer.start();
    QBuffer buffer;
    buffer.setData(gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    for (QImage frame; reader.read(&frame);) {
        ++play.frames;
        play.millis += reader.nextImageDelay();
    }
    play.decodeMicros = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
    return play;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::InstallFontSubstitutions();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    const ui::SkinPackage& package = ui::SkinPackage::Current();
    const double cold = BuildAndPaintMicros();
    std::vector<double> warm, buildOnly, parse;
    for (int i = 0; i < runs; ++i) {
        warm.push_back(BuildAndPaintMicros());
        buildOnly.push_back(BuildOnlyMicros());
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!ui::LayoutBuilder::Load(QStringLiteral("main_frame.xml"), &error)) return 1;
        parse.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    int layouts = 0, images = 0;
    for (const QString& name : package.EntryNames())
        (name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ? layouts : images)++;
    std::printf("skin package: %lld bytes, %d layouts, %d images\n",
                static_cast<long long>(package.ByteSize()), layouts, images);
    std::printf("main_frame.xml read + parse:           %8.0f us (median of %d)\n", Median(parse),
                runs);
    std::printf("main_frame.xml build (no paint):       %8.0f us (median of %d)\n",
                Median(buildOnly), runs);
    std::printf("main_frame.xml build + first paint:    %8.0f us (median of %d)\n", Median(warm),
                runs);
    std::printf("  first window of the process (cold):  %8.0f us\n", cold);
    for (const char* name : {"gif_drink.gif", "gif_drink_large.gif"}) {
        const QByteArray gif = package.Read(QString::fromLatin1(name));
        if (gif.isEmpty()) continue;
        std::vector<double> decode;
        Play play;
        for (int i = 0; i < runs; ++i) {
            play = DecodeOnce(gif);
            decode.push_back(play.decodeMicros);
        }
        std::printf(
            "%s: %lld bytes, %d frames, %d ms a play, all frames decoded in %.0f us "
            "(median of %d)\n",
            name, static_cast<long long>(gif.size()), play.frames, play.millis, Median(decode),
            runs);
    }
    return 0;
}
