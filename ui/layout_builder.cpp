#include "ui/layout_builder.h"

#include <functional>

#include "ui/control.h"
#include "ui/controls.h"
#include "ui/skin_package.h"
#include "ui/window_base.h"

namespace ui {

std::optional<LayoutDocument> LayoutBuilder::Load(const QString& file, QString* error) {
    const QByteArray xml = SkinPackage::Current().Read(file);
    if (xml.isEmpty()) {
        if (error) *error = QStringLiteral("%1: not in the skin package").arg(file);
        return std::nullopt;
    }
    QString parseError;
    std::optional<LayoutDocument> doc = ParseLayout(xml, &parseError);
    if (!doc && error) *error = QStringLiteral("%1: %2").arg(file, parseError);
    return doc;
}

Control* LayoutBuilder::CreateBuiltIn(const QString& tag) {
    using Factory = std::function<Control*()>;
    static const QHash<QString, Factory> factories = {
        {QStringLiteral("Control"), [] { return new Control; }},
        {QStringLiteral("Container"), [] { return new Container; }},
        {QStringLiteral("VerticalLayout"), [] { return new VerticalLayout; }},
        {QStringLiteral("HorizontalLayout"), [] { return new HorizontalLayout; }},
        {QStringLiteral("TabLayout"), [] { return new TabLayout; }},
        {QStringLiteral("Label"), [] { return new Label; }},
        {QStringLiteral("Text"), [] { return new Text; }},
        {QStringLiteral("Button"), [] { return new Button; }},
        {QStringLiteral("Option"), [] { return new Option; }},
        {QStringLiteral("CheckBox"), [] { return new CheckBox; }},
        {QStringLiteral("Progress"), [] { return new Progress; }},
        {QStringLiteral("CircleProgress"), [] { return new CircleProgress; }},
        {QStringLiteral("GifAnim"), [] { return new GifAnim; }},
        {QStringLiteral("Combo"), [] { return new Combo; }},
        {QStringLiteral("ListLabelElement"), [] { return new ListLabelElement; }},
        {QStringLiteral("Edit"), [] { return new Edit; }},
    };
    const auto it = factories.constFind(tag);
    return it == factories.constEnd() ? nullptr : (*it)();
}

void LayoutBuilder::ApplyAttributes(Control* control, const LayoutNode& node,
                                    const LayoutDocument& doc) {
    if (const AttributeList* defaults = doc.DefaultsFor(node.tag))
        for (const auto& [name, value] : *defaults) control->SetAttribute(name, value);
    for (const auto& [name, value] : node.attributes) control->SetAttribute(name, value);
}

namespace {

void BuildChildren(const LayoutNode& node, Control* parent, const LayoutDocument& doc,
                   WindowBase* window, std::vector<Control*>& built);

Control* BuildNode(const LayoutNode& node, Control* parent, const LayoutDocument& doc,
                   WindowBase* window, std::vector<Control*>& built) {
    Control* control = window->CreateControl(node.tag);
    if (!control) control = LayoutBuilder::CreateBuiltIn(node.tag);
    if (!control) return nullptr;
    control->SetOwnerWindow(window);
    // Added before its attributes are applied, so fonts and groups resolve in its window.
    if (parent) {
        if (!parent->Add(control)) {
            delete control;
            return nullptr;
        }
    } else {
        control->setParent(window);
    }
    LayoutBuilder::ApplyAttributes(control, node, doc);
    // The window sees presses on its controls first, for the caption drag.
    control->installEventFilter(window);
    built.push_back(control);
    BuildChildren(node, control, doc, window, built);
    return control;
}

void BuildChildren(const LayoutNode& node, Control* parent, const LayoutDocument& doc,
                   WindowBase* window, std::vector<Control*>& built) {
    for (const LayoutNode& child : node.children) BuildNode(child, parent, doc, window, built);
}

}  // namespace

Control* LayoutBuilder::Build(const LayoutDocument& doc, WindowBase* window) {
    std::vector<Control*> built;
    Control* root = BuildNode(doc.root, nullptr, doc, window, built);
    for (Control* control : built) control->DoInit();
    return root;
}

}  // namespace ui
