#pragma once

// The drawing kit every picture of the skin is made with: the palette, the common sizes, the
// painting helpers and the state strips. Each feature draws its own pictures in its own file
// (art_<feature>.cpp) and lists them in one function; draw_art.cpp saves them all.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "res/art/gif_writer.h"

namespace art {

// ---- Palette -------------------------------------------------------------------------------

inline QColor Hex(unsigned rgb, int alpha = 255) {
    QColor c = QColor::fromRgb(rgb);
    c.setAlpha(alpha);
    return c;
}

inline const QColor kWindow = Hex(0xF7FFFF);
inline const QColor kTeal = Hex(0x1FC3A0);
inline const QColor kTealHot = Hex(0x3FD3B2);
inline const QColor kTealPressed = Hex(0x17A487);
inline const QColor kTealLight = Hex(0x54DDBD);
inline const QColor kTealDeep = Hex(0x0E8F74);
inline const QColor kBlue = Hex(0x3BA4F5);
inline const QColor kBlueLight = Hex(0x6CC1FF);
inline const QColor kBlueDeep = Hex(0x1B6FC2);
inline const QColor kOrange = Hex(0xFF9F43);
inline const QColor kOrangeLight = Hex(0xFFC36B);
inline const QColor kOrangeHot = Hex(0xFFB366);
inline const QColor kOrangePressed = Hex(0xE88A2E);
inline const QColor kOrangeDeep = Hex(0xC8651B);
inline const QColor kText = Hex(0x303030);
inline const QColor kGrey = Hex(0x959CA1);
inline const QColor kGlyph = Hex(0x7A8A90);
inline const QColor kHotBack = Hex(0xE6F7F3);
inline const QColor kPushedBack = Hex(0xCFEFE7);
inline const QColor kClose = Hex(0xFF6B6B);
inline const QColor kClosePressed = Hex(0xE05555);
inline const QColor kDarkMenu = Hex(0x43494F);
inline const QColor kShadowInk = Hex(0x0C1A20);
inline const QColor kWhite = Hex(0xFFFFFF);

// ---- Sizes ---------------------------------------------------------------------------------

inline constexpr QSize kTitleButton(20, 20);
inline constexpr QSize kTile(152, 185);
inline constexpr QSize kRelaxTile(310, 201);
inline constexpr QSize kTileButton(36, 20);
inline constexpr QSize kRoundButton(86, 32);
inline constexpr QSize kWave(350, 104);
inline constexpr int kMenuIcon = 16;
inline constexpr int kLogo = 18;
inline constexpr qreal kGlyphStroke = 1.6;
inline constexpr qreal kTileRadius = 8;
inline constexpr std::array kAppIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

enum State { kNormal = 0, kHot = 1, kPushed = 2 };

// ---- Painting helpers ----------------------------------------------------------------------

QImage Blank(QSize size);
void Smooth(QPainter& p);
QColor WithAlpha(QColor c, qreal alpha);
QColor Mix(const QColor& a, const QColor& b, qreal t);
QPen Stroke(const QColor& c, qreal width);
QFont UiFont(int pixels, bool bold = false);
// Places the text on whole pixels so the hinted glyphs stay sharp.
void Label(QPainter& p, const QRect& box, Qt::Alignment align, const QString& text,
           const QFont& font, const QColor& color);
// A rounded shape; a border is drawn 1 px wide inside the rectangle so its edge stays crisp.
void RoundedBox(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill,
                const QColor& border = QColor());
void FillPath(QPainter& p, const QPainterPath& path, const QBrush& fill);
QPainterPath Circle(QPointF centre, qreal radius);
// Part of a circle; angles in degrees, counter-clockwise from three o'clock.
QPainterPath Arc(QPointF centre, qreal radius, qreal start, qreal sweep);
void FillCircle(QPainter& p, QPointF centre, qreal radius, const QBrush& fill);
void StrokePath(QPainter& p, const QPainterPath& path, const QPen& pen);
QLinearGradient Diagonal(const QRectF& r, const QColor& from, const QColor& to);
QLinearGradient Vertical(qreal top, qreal bottom, const QColor& from, const QColor& to);
// Three box passes per axis approximate a gaussian blur well enough for soft shadows.
void BoxBlur(QImage& image, int radius);
// A blurred copy of the shape underneath it, in the painter's current coordinates.
void SoftShadow(QPainter& p, const QPainterPath& shape, const QColor& color, QPointF offset,
                int blur);
// A cup's bowl: flat along the rim from `left` to `right`, rounding down to its foot `depth`
// below; `shoulder` is how far down the sides stay upright, `inset` how far in the foot curves.
QPainterPath CupBowl(qreal left, qreal right, qreal rim, qreal depth, qreal shoulder, qreal inset);
// A teardrop: round end around `centre`, point `length` away towards `angle` (degrees, 0 = up,
// clockwise). Turned on its side it reads as a leaf, upright as a drop of water.
QPainterPath Teardrop(QPointF centre, qreal radius, qreal length, qreal angle, qreal belly = 0.55);

// ---- State strips --------------------------------------------------------------------------

using CellPainter = std::function<void(QPainter&, const QRectF& cell, int state)>;

// Draws `states` cells side by side, each with its own origin and clip.
QImage Strip(QSize cell, int states, const CellPainter& draw);
QImage Single(QSize size, const std::function<void(QPainter&)>& draw);

struct PillStyle {
    QSize cell;
    std::array<QColor, 3> fill;  // normal, hot, pushed
    QColor border;               // invalid: none
    QString text;
    QColor textColor;
};
QImage PillStrip(const PillStyle& s);

// ---- Window shadows ------------------------------------------------------------------------

struct ShadowStyle {
    int size;
    QMargins corners;  // the window covers the image minus these
    qreal sideAlpha;   // peak alpha at the window edge, 0..255
    qreal topAlpha;
    qreal bottomAlpha;
};
// Alpha depends only on the distance to the window rectangle, so the bands stretch seamlessly.
QImage NinePatchShadow(const ShadowStyle& s);

// ---- Title-bar buttons and menu icons ------------------------------------------------------

using Glyph = std::function<void(QPainter&)>;
// Normal, hot and pushed cells of a 20 px title button; `danger` for the close button.
QImage TitleButton(const Glyph& glyph, bool danger);
QImage MenuIcon(const Glyph& glyph);
Glyph Tick(const QColor& ink);

// ---- The pictures --------------------------------------------------------------------------

struct Picture {
    QString name;                          // the file name in res/client
    QImage image;                          // a still picture, or the first frame of an animation
    QColor ground = QColor();              // what it is drawn to sit on, when not the window colour
    std::vector<AnimationFrame> frames{};  // an animation, saved as GIF
};

// An animation; its first frame stands for it wherever a still picture is shown.
Picture Animation(const QString& name, std::vector<AnimationFrame> frames);

// Each feature's pictures, in the file named after it.
std::vector<Picture> ShellPictures();        // art_shell.cpp
std::vector<Picture> ControlPictures();      // art_controls.cpp: shared by several pages
std::vector<Picture> EyePictures();          // art_eye.cpp
std::vector<Picture> DrinkPictures();        // art_drink.cpp
std::vector<Picture> AchievementPictures();  // art_achievement.cpp
std::vector<Picture> RelaxPictures();        // art_relax.cpp

// Our own sounds, synthesised (art_sound.cpp): each a file of res/sounds.
struct Sound {
    QString name;
    QByteArray file;
};
std::vector<Sound> Sounds();

// The desktop icon at n × n pixels.
QImage AppIcon(int n);
// Everything on the window colour, for judging the set together.
QImage ContactSheet(const std::vector<Picture>& client, const std::vector<QImage>& icons);

}  // namespace art
