#pragma once

// Animated GIF output of the art tool. Qt reads GIF but cannot write it; giflib does the
// encoding, this file the rest: one palette for the whole animation built from the drawing's own
// colours, a transparent palette index, and frames cut to what changed.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRgb>
#include <QString>

#include <vector>

namespace art {

struct AnimationFrame {
    QImage image;
    int delayMs = 0;  // how long the frame stays: stored in hundredths of a second, at least 2
};

struct GifOptions {
    // Partly transparent pixels are blended over this colour (the page the picture stands on),
    // so anti-aliased edges stay smooth without an alpha channel.
    QColor matte = QColor(0xF7, 0xFF, 0xFF);
    // Pixels with an alpha below this are the transparent index.
    int clearBelow = 8;
};

// Index of the transparent colour in every palette this file makes.
inline constexpr int kGifTransparentIndex = 255;

// The colours of the animation as they will be stored: every pixel flattened over the matte,
// then the distinct colours exactly when there are at most 255 of them, otherwise 255
// representatives (variance-splitting median cut refined by a few k-means rounds). No
// dithering: it would crawl from frame to frame and fray the edges.
std::vector<QRgb> GifPalette(const std::vector<AnimationFrame>& frames,
                             const GifOptions& options = {});

// A GIF89a that plays once and stays on its last frame. Empty, with a message in *error, when
// there are no frames, the frames differ in size or the encoder fails.
QByteArray EncodeGif(const std::vector<AnimationFrame>& frames, const GifOptions& options = {},
                     QString* error = nullptr);

}  // namespace art
