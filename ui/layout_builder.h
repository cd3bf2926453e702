#pragma once

#include <QString>

#include "ui/layout_model.h"

// The second phase of building a window: widgets made from a parsed layout.
namespace ui {

class Control;
class WindowBase;

class LayoutBuilder {
  public:
    // Reads `file` from the skin package and parses it. No document (and *error set) when the
    // file is missing or malformed.
    static std::optional<LayoutDocument> Load(const QString& file, QString* error);

    // Builds the tree of `doc` for `window`: fonts, class defaults, then every element. Tags the
    // builder does not know go to the window's control factory; an element nobody makes is left
    // out with its children. Returns the root control, parented to `window`.
    static Control* Build(const LayoutDocument& doc, WindowBase* window);

    // A control of one of the built-in classes ("Button", "VerticalLayout", ...), or nullptr.
    static Control* CreateBuiltIn(const QString& tag);

    // Applies class defaults and the element's own attributes to `control`.
    static void ApplyAttributes(Control* control, const LayoutNode& node,
                                const LayoutDocument& doc);
};

}  // namespace ui
