#include "res/art/gif_writer.h"

#include <gif_lib.h>

#include <QRect>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <unordered_map>

namespace art {

namespace {

constexpr QRgb kClear = 0;  // a flattened pixel is either this or fully opaque
constexpr int kMaxColours = 255;
constexpr int kRefineRounds = 6;
// Readers, Qt's among them, play a delay under two hundredths of a second as a tenth of one;
// storing at least two keeps short frames short.
constexpr int kShortestDelay = 2;

// Green counts most and blue least, roughly as the eye weighs them.
constexpr std::array<int, 3> kWeight{3, 4, 2};

int Channel(QRgb c, int axis) {
    return axis == 0 ? qRed(c) : axis == 1 ? qGreen(c) : qBlue(c);
}

int Distance(QRgb a, QRgb b) {
    int sum = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const int d = Channel(a, axis) - Channel(b, axis);
        sum += kWeight[static_cast<std::size_t>(axis)] * d * d;
    }
    return sum;
}

// Every pixel either kClear or opaque: partly transparent ones blended over the matte.
std::vector<QRgb> Flatten(const QImage& image, const GifOptions& options) {
    const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb matte = options.matte.rgb();
    std::vector<QRgb> out;
    out.reserve(static_cast<std::size_t>(src.width()) * static_cast<std::size_t>(src.height()));
    for (int y = 0; y < src.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            if (a < options.clearBelow) {
                out.push_back(kClear);
                continue;
            }
            // Premultiplied: the colour already carries its alpha; the matte fills the rest.
            const auto over = [a](int premultiplied, int back) {
                return std::min(255, premultiplied + (back * (255 - a) + 127) / 255);
            };
            out.push_back(qRgb(over(qRed(p), qRed(matte)), over(qGreen(p), qGreen(matte)),
                               over(qBlue(p), qBlue(matte))));
        }
    }
    return out;
}

struct Weighted {
    QRgb colour;
    std::uint64_t count;
};

// A run of the colour list that becomes one palette entry.
struct Box {
    std::size_t begin, end;
    std::uint64_t count = 0;
    std::array<double, 3> mean{};
    std::array<double, 3> spread{};  // count-weighted sum of squared deviations per channel
    double Error() const { return spread[0] + spread[1] + spread[2]; }
};

void Measure(Box& box, const std::vector<Weighted>& colours) {
    box.count = 0;
    std::array<double, 3> sum{}, squares{};
    for (std::size_t i = box.begin; i < box.end; ++i) {
        const double n = static_cast<double>(colours[i].count);
        box.count += colours[i].count;
        for (int axis = 0; axis < 3; ++axis) {
            const double v = Channel(colours[i].colour, axis);
            sum[static_cast<std::size_t>(axis)] += n * v;
            squares[static_cast<std::size_t>(axis)] += n * v * v;
        }
    }
    const double total = static_cast<double>(box.count);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        box.mean[axis] = sum[axis] / total;
        box.spread[axis] =
            std::max(0.0, squares[axis] - sum[axis] * sum[axis] / total) * kWeight[axis];
    }
}

QRgb Rounded(const std::array<double, 3>& mean) {
    const auto c = [](double v) { return std::clamp(static_cast<int>(v + 0.5), 0, 255); };
    return qRgb(c(mean[0]), c(mean[1]), c(mean[2]));
}

// Splits the box with the largest error at the weighted median of its widest channel until
// there are enough boxes or none can be split.
std::vector<QRgb> MedianCut(std::vector<Weighted>& colours) {
    std::vector<Box> boxes{{0, colours.size()}};
    Measure(boxes.front(), colours);
    while (boxes.size() < static_cast<std::size_t>(kMaxColours)) {
        std::size_t worst = boxes.size();
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2) continue;
            if (worst == boxes.size() || boxes[i].Error() > boxes[worst].Error()) worst = i;
        }
        if (worst == boxes.size()) break;
        Box box = boxes[worst];
        const int axis = static_cast<int>(std::max_element(box.spread.begin(), box.spread.end()) -
                                          box.spread.begin());
        const auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.begin);
        const auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.end);
        std::sort(first, last, [axis](const Weighted& a, const Weighted& b) {
            const int ca = Channel(a.colour, axis);
            const int cb = Channel(b.colour, axis);
            return ca != cb ? ca < cb : a.colour < b.colour;
        });
        std::uint64_t seen = 0;
        std::size_t cut = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end - 1; ++i) {
            seen += colours[i].count;
            cut = i + 1;
            if (2 * seen >= box.count) break;
        }
        Box low{box.begin, cut};
        Box high{cut, box.end};
        Measure(low, colours);
        Measure(high, colours);
        boxes[worst] = low;
        boxes.push_back(high);
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) palette.push_back(Rounded(box.mean));
    return palette;
}

std::size_t Nearest(QRgb colour, const std::vector<QRgb>& palette) {
    std::size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int d = Distance(colour, palette[i]);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

// Lloyd rounds: each entry moves to the mean of the colours nearest to it.
void Refine(std::vector<QRgb>& palette, const std::vector<Weighted>& colours) {
    for (int round = 0; round < kRefineRounds; ++round) {
        std::vector<std::array<double, 3>> sum(palette.size(), std::array<double, 3>{});
        std::vector<std::uint64_t> count(palette.size(), 0);
        for (const Weighted& w : colours) {
            const std::size_t k = Nearest(w.colour, palette);
            count[k] += w.count;
            for (int axis = 0; axis < 3; ++axis)
                sum[k][static_cast<std::size_t>(axis)] +=
                    static_cast<double>(w.count) * Channel(w.colour, axis);
        }
        for (std::size_t k = 0; k < palette.size(); ++k) {
            if (count[k] == 0) continue;
            const double n = static_cast<double>(count[k]);
            palette[k] = Rounded({sum[k][0] / n, sum[k][1] / n, sum[k][2] / n});
        }
    }
}

std::vector<QRgb> PaletteOf(const std::vector<std::vector<QRgb>>& flat) {
    std::unordered_map<QRgb, std::uint64_t> histogram;
    for (const auto& pixels : flat)
        for (const QRgb p : pixels)
            if (p != kClear) ++histogram[p];
    std::vector<Weighted> colours;
    colours.reserve(histogram.size());
    for (const auto& [colour, count] : histogram) colours.push_back({colour, count});
    // Sorted, so the same drawing always gives the same file.
    std::sort(colours.begin(), colours.end(),
              [](const Weighted& a, const Weighted& b) { return a.colour < b.colour; });
    if (colours.size() <= static_cast<std::size_t>(kMaxColours)) {
        std::vector<QRgb> exact;
        for (const Weighted& w : colours) exact.push_back(w.colour);
        return exact;
    }
    std::vector<Weighted> work = colours;
    std::vector<QRgb> palette = MedianCut(work);
    Refine(palette, colours);
    return palette;
}

// How one frame is stored: the part of the canvas it covers, whether it carries every pixel or
// only those that changed (the others transparent, so the previous frame shows through), and
// what becomes of it before the next frame.
struct FramePlan {
    QRect rect;
    bool whole = true;
    int disposal = DISPOSE_DO_NOT;
};

QRect Bounds(const std::vector<std::uint8_t>& cur, const std::vector<std::uint8_t>* prev,
             int width) {
    QRect bounds;
    for (std::size_t i = 0; i < cur.size(); ++i) {
        const bool counts = prev ? cur[i] != (*prev)[i] : cur[i] != kGifTransparentIndex;
        if (!counts) continue;
        const int x = static_cast<int>(i % static_cast<std::size_t>(width));
        const int y = static_cast<int>(i / static_cast<std::size_t>(width));
        bounds |= QRect(x, y, 1, 1);
    }
    // A frame needs at least one pixel; a transparent one changes nothing.
    return bounds.isEmpty() ? QRect(0, 0, 1, 1) : bounds;
}

std::vector<FramePlan> Plan(const std::vector<std::vector<std::uint8_t>>& indexed, QSize size) {
    const QRect canvas(QPoint(0, 0), size);
    std::vector<FramePlan> plans(indexed.size());
    plans[0].rect = canvas;
    for (std::size_t i = 1; i < indexed.size(); ++i) {
        const auto& prev = indexed[i - 1];
        const auto& cur = indexed[i];
        bool clears = false;
        for (std::size_t p = 0; p < cur.size() && !clears; ++p)
            clears = prev[p] != kGifTransparentIndex && cur[p] == kGifTransparentIndex;
        if (clears) {
            // A transparent pixel in a frame leaves what is below it: only clearing the
            // previous frame's area to the background can take a pixel away, and that area must
            // then be the whole canvas, drawn anew by this frame.
            plans[i - 1].rect = canvas;
            plans[i - 1].disposal = DISPOSE_BACKGROUND;
            plans[i] = {Bounds(cur, nullptr, size.width()), true, DISPOSE_DO_NOT};
        } else {
            plans[i] = {Bounds(cur, &prev, size.width()), false, DISPOSE_DO_NOT};
        }
    }
    return plans;
}

int AppendBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

}  // namespace

std::vector<QRgb> GifPalette(const std::vector<AnimationFrame>& frames, const GifOptions& options) {
    std::vector<std::vector<QRgb>> flat;
    for (const AnimationFrame& frame : frames) flat.push_back(Flatten(frame.image, options));
    return PaletteOf(flat);
}

QByteArray EncodeGif(const std::vector<AnimationFrame>& frames, const GifOptions& options,
                     QString* error) {
    const auto fail = [error](const QString& message) {
        if (error) *error = message;
        return QByteArray();
    };
    if (frames.empty()) return fail(QStringLiteral("no frames"));
    const QSize size = frames.front().image.size();
    if (size.isEmpty() || size.width() > 0xFFFF || size.height() > 0xFFFF)
        return fail(QStringLiteral("a frame of %1×%2 pixels cannot be stored")
                        .arg(size.width())
                        .arg(size.height()));
    for (const AnimationFrame& frame : frames)
        if (frame.image.size() != size) return fail(QStringLiteral("the frames differ in size"));

    std::vector<std::vector<QRgb>> flat;
    for (const AnimationFrame& frame : frames) flat.push_back(Flatten(frame.image, options));
    const std::vector<QRgb> palette = PaletteOf(flat);

    std::unordered_map<QRgb, std::uint8_t> lookup;
    std::vector<std::vector<std::uint8_t>> indexed;
    for (const auto& pixels : flat) {
        std::vector<std::uint8_t>& out = indexed.emplace_back();
        out.reserve(pixels.size());
        for (const QRgb p : pixels) {
            if (p == kClear) {
                out.push_back(kGifTransparentIndex);
                continue;
            }
            auto it = lookup.find(p);
            if (it == lookup.end())
                it = lookup.emplace(p, static_cast<std::uint8_t>(Nearest(p, palette))).first;
            out.push_back(it->second);
        }
    }
    const std::vector<FramePlan> plans = Plan(indexed, size);

    std::array<GifColorType, 256> colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : options.matte.rgb();
        colours[i] = {static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                      static_cast<GifByteType>(qBlue(c))};
    }

    QByteArray bytes;
    int status = 0;
    GifFileType* gif = EGifOpen(&bytes, AppendBytes, &status);
    if (!gif) return fail(QString::fromUtf8(GifErrorString(status)));
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = map != nullptr;
    EGifSetGifVersion(gif, true);
    ok = ok && EGifPutScreenDesc(gif, size.width(), size.height(), 8, kGifTransparentIndex, map) ==
                   GIF_OK;
    std::vector<GifPixelType> line;
    for (std::size_t i = 0; ok && i < frames.size(); ++i) {
        const FramePlan& plan = plans[i];
        GraphicsControlBlock control{};
        control.DisposalMode = plan.disposal;
        control.UserInputFlag = false;
        control.DelayTime = std::clamp((frames[i].delayMs + 5) / 10, kShortestDelay, 0xFFFF);
        control.TransparentColor = kGifTransparentIndex;
        GifByteType extension[4];
        const auto length = static_cast<int>(EGifGCBToExtension(&control, extension));
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, length, extension) == GIF_OK &&
             EGifPutImageDesc(gif, plan.rect.x(), plan.rect.y(), plan.rect.width(),
                              plan.rect.height(), false, nullptr) == GIF_OK;
        const auto& cur = indexed[i];
        const std::vector<std::uint8_t>* prev = i > 0 ? &indexed[i - 1] : nullptr;
        line.resize(static_cast<std::size_t>(plan.rect.width()));
        for (int y = plan.rect.top(); ok && y <= plan.rect.bottom(); ++y) {
            for (int x = plan.rect.left(); x <= plan.rect.right(); ++x) {
                const auto at =
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width()) +
                    static_cast<std::size_t>(x);
                const bool unchanged = !plan.whole && prev && (*prev)[at] == cur[at];
                line[static_cast<std::size_t>(x - plan.rect.left())] =
                    unchanged ? kGifTransparentIndex : cur[at];
            }
            ok = EGifPutLine(gif, line.data(), plan.rect.width()) == GIF_OK;
        }
    }
    const int encodeError = gif->Error;
    int closeError = 0;
    ok = EGifCloseFile(gif, &closeError) == GIF_OK && ok;
    GifFreeMapObject(map);
    if (!ok)
        return fail(
            QStringLiteral("GIF encoder: %1")
                .arg(QString::fromUtf8(GifErrorString(encodeError ? encodeError : closeError))));
    return bytes;
}

}  // namespace art
