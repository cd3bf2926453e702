#include "ui/layout_model.h"

#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>

namespace ui {

namespace {

std::optional<std::vector<int>> ParseInts(const QString& text, int count) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count) return std::nullopt;
    std::vector<int> values;
    for (const QString& part : parts) {
        const std::optional<int> v = ParseInt(part);
        if (!v) return std::nullopt;
        values.push_back(*v);
    }
    return values;
}

}  // namespace

std::optional<int> ParseInt(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}

std::optional<Edges> ParseEdges(const QString& text) {
    const auto v = ParseInts(text, 4);
    if (!v) return std::nullopt;
    return Edges{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
}

std::optional<QSize> ParseSize(const QString& text) {
    const auto v = ParseInts(text, 2);
    if (!v || (*v)[0] < 0 || (*v)[1] < 0) return std::nullopt;
    return QSize((*v)[0], (*v)[1]);
}

std::optional<QColor> ParseColor(const QString& text) {
    QString hex = text.trimmed();
    if (hex.startsWith(QLatin1Char('#'))) hex.remove(0, 1);
    if (hex.size() != 6 && hex.size() != 8) return std::nullopt;
    bool ok = false;
    const uint value = hex.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    const QRgb argb = hex.size() == 6 ? (0xFF000000u | value) : value;
    return QColor::fromRgba(argb);
}

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed();
    if (t == QLatin1String("true")) return true;
    if (t == QLatin1String("false")) return false;
    return std::nullopt;
}

namespace {

// Scans name="value" (or name='value') pairs. False at the first malformed pair; `out` then
// holds the pairs before it.
bool ScanPairs(const QString& text, AttributeList& out) {
    int i = 0;
    const int n = static_cast<int>(text.size());
    auto skipSpace = [&] {
        while (i < n && text[i].isSpace()) ++i;
    };
    for (skipSpace(); i < n; skipSpace()) {
        const int keyStart = i;
        while (i < n && text[i] != QLatin1Char('=') && !text[i].isSpace()) ++i;
        const QString key = text.mid(keyStart, i - keyStart);
        skipSpace();
        if (key.isEmpty() || i >= n || text[i] != QLatin1Char('=')) return false;
        ++i;
        skipSpace();
        if (i >= n || (text[i] != QLatin1Char('"') && text[i] != QLatin1Char('\''))) return false;
        const int end = static_cast<int>(text.indexOf(text[i], i + 1));
        if (end < 0) return false;
        out.emplace_back(key, text.mid(i + 1, end - i - 1));
        i = end + 1;
    }
    return true;
}

}  // namespace

SkinImage ParseImage(const QString& text) {
    SkinImage image;
    const QString t = text.trimmed();
    if (t.isEmpty()) return image;
    if (!t.contains(QLatin1Char('='))) {
        image.file = t;
        return image;
    }
    AttributeList pairs;
    if (!ScanPairs(t, pairs)) return {};
    for (const auto& [key, value] : pairs) {
        if (key == QLatin1String("file") || key == QLatin1String("res")) {
            image.file = value.trimmed();
        } else if (key == QLatin1String("source") || key == QLatin1String("dest")) {
            const std::optional<Edges> e = ParseEdges(value);
            if (!e || e->right < e->left || e->bottom < e->top) return {};
            (key == QLatin1String("source") ? image.source : image.dest) =
                QRect(e->left, e->top, e->right - e->left, e->bottom - e->top);
        } else if (key == QLatin1String("corner")) {
            const std::optional<Edges> e = ParseEdges(value);
            if (!e || e->left < 0 || e->top < 0 || e->right < 0 || e->bottom < 0) return {};
            image.corner = *e;
        } else if (key == QLatin1String("fade")) {
            const std::optional<int> f = ParseInt(value);
            if (!f) return {};
            image.fade = std::clamp(*f, 0, 255);
        }
        // Other keys of the dialect (mask, hole, ...) are not used by the layouts.
    }
    return image;
}

AttributeList ParseAttributeString(const QString& text) {
    AttributeList list;
    ScanPairs(text, list);
    return list;
}

QString LayoutNode::Value(const QString& name) const {
    for (auto it = attributes.rbegin(); it != attributes.rend(); ++it)
        if (it->first == name) return it->second;
    return {};
}

bool LayoutNode::Has(const QString& name) const {
    for (const Attribute& a : attributes)
        if (a.first == name) return true;
    return false;
}

const AttributeList* LayoutDocument::DefaultsFor(const QString& tag) const {
    for (const auto& [name, attributes] : defaults)
        if (name.compare(tag, Qt::CaseInsensitive) == 0) return &attributes;
    return nullptr;
}

WindowSettings ReadWindowSettings(const AttributeList& attributes) {
    WindowSettings s;
    for (const auto& [name, value] : attributes) {
        if (name == QLatin1String("size")) {
            if (auto v = ParseSize(value)) s.size = *v;
        } else if (name == QLatin1String("mininfo")) {
            if (auto v = ParseSize(value)) s.minSize = *v;
        } else if (name == QLatin1String("maxinfo")) {
            if (auto v = ParseSize(value)) s.maxSize = *v;
        } else if (name == QLatin1String("caption")) {
            if (auto v = ParseEdges(value)) s.caption = *v;
        } else if (name == QLatin1String("shadowimage")) {
            s.shadowImage = value.trimmed();
        } else if (name == QLatin1String("shadowcorner")) {
            if (auto v = ParseEdges(value)) s.shadowCorner = *v;
        }
    }
    return s;
}

namespace {

AttributeList ReadAttributes(const QXmlStreamReader& xml) {
    AttributeList list;
    for (const QXmlStreamAttribute& a : xml.attributes())
        list.emplace_back(a.name().toString(), a.value().toString());
    return list;
}

// Reads the element the reader stands on, with its children, up to its end tag.
LayoutNode ReadNode(QXmlStreamReader& xml) {
    LayoutNode node;
    node.tag = xml.name().toString();
    node.attributes = ReadAttributes(xml);
    while (xml.readNextStartElement()) node.children.push_back(ReadNode(xml));
    return node;
}

FontEntry ReadFont(const LayoutNode& node, int index) {
    FontEntry f;
    f.id = ParseInt(node.Value(QStringLiteral("id"))).value_or(index);
    f.family = node.Value(QStringLiteral("name"));
    f.pixelSize = std::max(1, ParseInt(node.Value(QStringLiteral("size"))).value_or(12));
    f.bold = ParseBool(node.Value(QStringLiteral("bold"))).value_or(false);
    f.italic = ParseBool(node.Value(QStringLiteral("italic"))).value_or(false);
    f.underline = ParseBool(node.Value(QStringLiteral("underline"))).value_or(false);
    f.isDefault = ParseBool(node.Value(QStringLiteral("default"))).value_or(false);
    return f;
}

}  // namespace

std::optional<LayoutDocument> ParseLayout(const QByteArray& xmlText, QString* error) {
    auto fail = [error](const QString& message) -> std::optional<LayoutDocument> {
        if (error) *error = message;
        return std::nullopt;
    };
    QXmlStreamReader xml(xmlText);
    if (!xml.readNextStartElement())
        return fail(xml.hasError()
                        ? QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString())
                        : QStringLiteral("empty layout"));
    if (xml.name() != QLatin1String("Window"))
        return fail(QStringLiteral("line %1: the root element is <%2>, not <Window>")
                        .arg(xml.lineNumber())
                        .arg(xml.name().toString()));
    const LayoutNode window = ReadNode(xml);
    // Anything after the root element must still be well-formed.
    while (!xml.atEnd() && !xml.hasError()) xml.readNext();
    if (xml.hasError())
        return fail(QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString()));

    LayoutDocument doc;
    doc.windowAttributes = window.attributes;
    bool haveRoot = false;
    int fontIndex = 0;
    for (const LayoutNode& child : window.children) {
        if (child.tag == QLatin1String("Font")) {
            doc.fonts.push_back(ReadFont(child, fontIndex++));
        } else if (child.tag == QLatin1String("Default")) {
            doc.defaults.emplace_back(child.Value(QStringLiteral("name")),
                                      ParseAttributeString(child.Value(QStringLiteral("value"))));
        } else if (child.tag == QLatin1String("Image") || child.tag == QLatin1String("Style")) {
            // Preloading hints of the dialect: images load on first use anyway.
        } else if (!haveRoot) {
            doc.root = child;
            haveRoot = true;
        }
    }
    if (!haveRoot) return fail(QStringLiteral("the layout has no root container"));
    return doc;
}

}  // namespace ui
