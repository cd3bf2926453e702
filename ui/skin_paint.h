#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "ui/layout_model.h"

class QPainter;

// How the layouts' images and texts are drawn.
namespace ui {

class SkinPackage;

// Draws an image attribute into `rect`: the `source` part of the picture (all of it by
// default) stretched over `dest` (offset from rect's top-left; all of rect by default),
// keeping `corner` borders unstretched, with `fade` as opacity. False when there is nothing
// to draw (no file, missing picture, empty source).
bool DrawSkinImage(QPainter& painter, const QRect& rect, const SkinImage& image,
                   const SkinPackage& package);

// The rectangle an image attribute covers inside `rect`.
QRect ImageDestRect(const QRect& rect, const SkinImage& image);

// The smallest a text is made to fit its place.
inline constexpr int kSmallestFittedPx = 8;
// `font`, made smaller (by whole pixels, not under kSmallestFittedPx) until the ink of `text`
// fits in `width` on one line: a number is shown whole rather than cut. A text that fits keeps
// the font.
QFont FittedFont(const QFont& font, const QString& text, int width);

void DrawSkinText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                  const QColor& color, Qt::Alignment align, bool wordWrap = false,
                  bool endEllipsis = false);

}  // namespace ui
