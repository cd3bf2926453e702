// Saves what an X server shows, as a PNG: the whole screen, or a rectangle of it.
//   vita-x11-grab OUT.png [X Y WIDTH HEIGHT]
// Used by the end-to-end tests and scripts/screenshots on a private Xvfb.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 6) {
        std::fprintf(stderr, "usage: vita-x11-grab OUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    int box[4] = {0, 0, -1, -1};
    for (int i = 0; i < 4 && args.size() == 6; ++i) {
        bool ok = false;
        box[i] = args[2 + i].toInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "vita-x11-grab: not a number: %s\n", qPrintable(args[2 + i]));
            return 2;
        }
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap shot = screen ? screen->grabWindow(0, box[0], box[1], box[2], box[3]) : QPixmap();
    if (shot.isNull() || !shot.save(args[1], "PNG")) {
        std::fprintf(stderr, "vita-x11-grab: could not grab or save %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
