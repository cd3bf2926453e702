// Draws every picture of the client skin and the desktop icon set. The art_*.cpp files beside
// this one are the editable source of the art: change a colour or a shape there and rerun
// scripts/art.
//
// Usage: vita-draw-art OUTDIR [--icons ICONDIR] [--sounds SOUNDDIR] [--sheet FILE]
//   OUTDIR   receives the client PNGs
//   ICONDIR  receives hicolor/<N>x<N>/apps/vita-companion.png
//   SOUNDDIR receives our own sounds (WAV)
//   FILE     a contact sheet of everything on the window colour, for judging the set together

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include "res/art/art_kit.h"

using namespace art;

namespace {

std::vector<Picture> ClientPictures() {
    std::vector<Picture> all;
    for (auto pictures : {ShellPictures, ControlPictures, EyePictures, DrinkPictures,
                          AchievementPictures, RelaxPictures}) {
        std::vector<Picture> some = pictures();
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

bool Save(const QImage& image, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
        QTextStream(stderr) << "vita-draw-art: cannot write " << path << '\n';
        return false;
    }
    return true;
}

// A still picture as PNG, an animation as GIF.
bool Save(const Picture& picture, const QString& path) {
    if (picture.frames.empty()) return Save(picture.image, path);
    QString error;
    const QByteArray gif = EncodeGif(picture.frames, {.matte = kWindow}, &error);
    QSaveFile file(path);
    if (gif.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(gif) != gif.size() ||
        !file.commit()) {
        QTextStream(stderr) << "vita-draw-art: cannot write " << path
                            << (error.isEmpty() ? QString() : ": " + error) << '\n';
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs fonts but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString outDir;
    QString iconDir;
    QString soundDir;
    QString sheetFile;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--icons" && i + 1 < args.size()) {
            iconDir = args[++i];
        } else if (args[i] == "--sounds" && i + 1 < args.size()) {
            soundDir = args[++i];
        } else if (args[i] == "--sheet" && i + 1 < args.size()) {
            sheetFile = args[++i];
        } else if (outDir.isEmpty() && !args[i].startsWith("--")) {
            outDir = args[i];
        } else {
            outDir.clear();
            break;
        }
    }
    if (outDir.isEmpty()) {
        QTextStream(stderr) << "usage: vita-draw-art OUTDIR [--icons ICONDIR] [--sounds SOUNDDIR] "
                               "[--sheet FILE]\n";
        return 2;
    }

    bool ok = true;
    const std::vector<Picture> client = ClientPictures();
    for (const Picture& picture : client) ok &= Save(picture, outDir + '/' + picture.name);

    std::vector<QImage> icons;
    for (const int n : kAppIconSizes) icons.push_back(AppIcon(n));
    if (!iconDir.isEmpty()) {
        for (std::size_t i = 0; i < icons.size(); ++i) {
            const int n = kAppIconSizes[i];
            ok &= Save(icons[i],
                       QString("%1/hicolor/%2x%2/apps/vita-companion.png").arg(iconDir).arg(n));
        }
    }
    if (!soundDir.isEmpty()) {
        for (const Sound& sound : Sounds()) {
            QSaveFile file(soundDir + '/' + sound.name);
            if (!QDir().mkpath(soundDir) || !file.open(QIODevice::WriteOnly) ||
                file.write(sound.file) != sound.file.size() || !file.commit()) {
                QTextStream(stderr) << "vita-draw-art: cannot write " << file.fileName() << '\n';
                ok = false;
            }
        }
    }
    if (!sheetFile.isEmpty()) ok &= Save(ContactSheet(client, icons), sheetFile);
    return ok ? 0 : 1;
}
