#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// The first phase of building a window: the XML of a layout read into plain values, and the
// parsers of the attribute values the layouts use. Nothing here creates a widget.
namespace ui {

using Attribute = std::pair<QString, QString>;
using AttributeList = std::vector<Attribute>;

// Four edge values "l,t,r,b" (insets, paddings, corners, or a position whose right and bottom
// are coordinates).
struct Edges {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Edges&) const = default;
    QMargins ToMargins() const { return {left, top, right, bottom}; }
    // The rectangle from (left, top) to (right, bottom), right and bottom exclusive.
    QRect ToRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
};

std::optional<Edges> ParseEdges(const QString& text);
std::optional<QSize> ParseSize(const QString& text);
// "#AARRGGBB" or "#RRGGBB" (opaque); the '#' may be left out.
std::optional<QColor> ParseColor(const QString& text);
std::optional<int> ParseInt(const QString& text);
// "true"/"false" as the layouts write them; anything else is no value.
std::optional<bool> ParseBool(const QString& text);

// An image attribute: a bare file name, or "file='a.png' source='l,t,r,b' dest='l,t,r,b'
// corner='l,t,r,b' fade='255'".
struct SkinImage {
    QString file;
    std::optional<QRect> source;  // part of the picture to draw (a state of a strip)
    std::optional<QRect> dest;    // place inside the control, relative to its top-left
    Edges corner;                 // borders kept unstretched
    int fade = 255;
    bool IsEmpty() const { return file.isEmpty(); }
    bool operator==(const SkinImage&) const = default;
};
// An empty image for an empty text or a malformed one.
SkinImage ParseImage(const QString& text);

// The value of a <Default> or of an inline attribute string: name="value" pairs, in order.
AttributeList ParseAttributeString(const QString& text);

struct LayoutNode {
    QString tag;
    AttributeList attributes;
    std::vector<LayoutNode> children;
    // The last value of an attribute, or an empty text.
    QString Value(const QString& name) const;
    bool Has(const QString& name) const;
};

struct FontEntry {
    int id = -1;
    QString family;
    int pixelSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool isDefault = false;
};

struct LayoutDocument {
    AttributeList windowAttributes;
    std::vector<FontEntry> fonts;
    // Class name (as written in <Default name="...">) with its default attributes.
    std::vector<std::pair<QString, AttributeList>> defaults;
    LayoutNode root;  // the one root container

    const AttributeList* DefaultsFor(const QString& tag) const;
};

// Window-level settings taken from the <Window> attributes.
struct WindowSettings {
    QSize size;
    std::optional<QSize> minSize;
    std::optional<QSize> maxSize;
    Edges caption;
    QString shadowImage;
    Edges shadowCorner;
};
WindowSettings ReadWindowSettings(const AttributeList& attributes);

// Parses a layout. On malformed XML, a root that is not <Window>, or no root container, gives
// no document and sets *error to a message naming the line.
std::optional<LayoutDocument> ParseLayout(const QByteArray& xml, QString* error);

}  // namespace ui
