#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include "ui/layout_model.h"

// The control base every layout element is built on, the label that draws text, and the
// containers that place children the way the layouts describe.
namespace ui {

class WindowBase;

// Whether the keyboard focus is shown, for the whole program: from a Tab (or Backtab) until the
// next press of a mouse button, as desktops do, so that clicks leave no marks behind.
class FocusMarks : public QObject {
    Q_OBJECT
  public:
    static FocusMarks& Instance();
    bool Shown() const { return shown_; }
    void SetShown(bool shown);

  signals:
    void ShownChanged(bool shown);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    FocusMarks();
    bool shown_ = false;
};

class Control : public QWidget {
    Q_OBJECT
  public:
    explicit Control(QWidget* parent = nullptr);
    ~Control() override;

    // Applies one layout attribute. Subclasses handle their own names and pass the rest down;
    // unknown names and malformed values are ignored.
    virtual void SetAttribute(const QString& name, const QString& value);
    // A child element from the layout. False when this control takes no children.
    virtual bool Add(Control* child);
    // Called once the whole tree of the window is built.
    virtual void DoInit() {}

    // Places the control at rc, in its parent's coordinates.
    virtual void SetPos(const QRect& rc);

    // The control's own visibility flag; ancestors may still hide it. Changing it re-places the
    // siblings in a linear layout.
    void setVisible(bool visible) override;
    bool IsVisibleFlag() const { return visibleFlag_; }
    // Own flag and every ancestor control's flag up to the window.
    bool IsVisibleInWindow() const;

    // Hints for the parent's layout.
    bool IsFloat() const { return float_; }
    const Edges& FloatPos() const { return floatPos_; }
    int FixedWidth() const { return fixedWidth_; }    // 0: share the free space
    int FixedHeight() const { return fixedHeight_; }  // 0: share the free space
    const QMargins& Padding() const { return padding_; }
    const QMargins& Inset() const { return inset_; }
    void SetFixedWidth(int w);
    void SetFixedHeight(int h);
    void SetFloatPos(const Edges& pos);

    QString Text() const { return text_; }
    virtual void SetText(const QString& text);
    QString Name() const { return objectName(); }

    const QColor& BkColor() const { return bkColor_; }
    const SkinImage& BkImage() const { return bkImage_; }
    void SetBkImage(const QString& image);

    // The window the control belongs to: the nearest window up the widget tree, or the one
    // given when it was built outside any (combo items, menu items).
    WindowBase* Window() const;
    void SetOwnerWindow(WindowBase* window);

    // Whether the pointer is over the control (for a menu item: also the keyboard's choice).
    bool IsHot() const { return hot_; }
    // Sets the hot state; the control repaints when it changes.
    virtual void SetHot(bool hot);

    // Whether the control shows the keyboard focus now: it (or the widget it hands the focus
    // to) has the focus, and focus marks are shown.
    bool ShowsFocusMark() const;

    // Draws an image attribute inside rect(), honouring source, dest, corner and fade.
    bool DrawImage(QPainter& painter, const SkinImage& image) const;
    bool DrawImage(QPainter& painter, const SkinImage& image, const QRect& rect) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Painting order: background colour, background image, state images, text, border.
    virtual void PaintBkColor(QPainter& painter);
    virtual void PaintBkImage(QPainter& painter);
    virtual void PaintStatusImage(QPainter&) {}
    virtual void PaintText(QPainter&) {}
    virtual void PaintBorder(QPainter& painter);
    // The focus mark: a rounded green outline with a white line inside it, seen on light, dark
    // and green backgrounds alike.
    virtual void PaintFocusMark(QPainter& painter);
    // Re-places the parent's children after a change of a layout hint.
    void RelayoutParent();

    QString text_;
    QColor bkColor_;
    SkinImage bkImage_;
    int borderSize_ = 0;
    QColor borderColor_;
    int borderRound_ = 0;

  private:
    bool hot_ = false;
    bool visibleFlag_ = true;
    bool float_ = false;
    Edges floatPos_;
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    QMargins padding_;
    QMargins inset_;
    QPointer<WindowBase> ownerWindow_;
};

// The state pictures of a control that reacts to the pointer; a state without a picture of
// its own falls back to a plainer one.
struct StateImages {
    SkinImage normal, hot, pushed, focused, disabled;
    // Takes "normalimage", "hotimage", "pushedimage", "focusedimage" and "disabledimage".
    bool SetAttribute(const QString& name, const QString& value);
    // Disabled: disabled, else normal. Pushed: pushed, else hot, else normal. Focused: focused,
    // else normal. Hot: hot, else normal. Otherwise normal.
    const SkinImage& For(bool enabled, bool pushed, bool focused, bool hot) const;
};

// Text in one line (or wrapped, for Text), with colour, font, alignment and padding.
class Label : public Control {
    Q_OBJECT
  public:
    using Control::Control;
    void SetAttribute(const QString& name, const QString& value) override;

    const QColor& TextColor() const { return textColor_; }
    void SetTextColor(const QColor& color);
    Qt::Alignment TextAlignment() const { return align_; }
    const QMargins& TextPadding() const { return textPadding_; }

  protected:
    void PaintText(QPainter& painter) override;
    // After a change of colour, alignment or padding of the text; the base repaints.
    virtual void TextStyleChanged() { update(); }
    // Draws text in rect() less the text padding with the label's alignment and wrapping.
    void DrawLabelText(QPainter& painter, const QString& text, const QColor& color) const;

    QColor textColor_{0x30, 0x30, 0x30};
    QColor disabledTextColor_{0xA0, 0xA0, 0xA0};
    Qt::Alignment align_ = Qt::AlignLeft | Qt::AlignVCenter;
    QMargins textPadding_;
    bool wordWrap_ = false;
    bool endEllipsis_ = false;
};

// Holds children: floating ones at their pos, the others over the whole inset area.
class Container : public Control {
    Q_OBJECT
  public:
    using Control::Control;
    ~Container() override;
    void SetAttribute(const QString& name, const QString& value) override;
    bool Add(Control* child) override;
    void SetPos(const QRect& rc) override;

    int ChildPadding() const { return childPadding_; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    Control* ChildAt(int index) const;
    // Places every child anew in the current geometry.
    void Relayout();

  protected:
    // Places the non-floating children inside `area` (the control's rect less its inset).
    virtual void PlaceChildren(const QRect& area);
    // One child after another along `orientation`: fixed sizes first, the others share what is
    // left (the last one takes the remainder); paddings and childpadding between.
    void PlaceLinear(const QRect& area, Qt::Orientation orientation);
    static QRect FloatRect(const Control& child);

    std::vector<Control*> children_;
    int childPadding_ = 0;
};

// Children one under another: fixed heights first, the rest share what is left.
class VerticalLayout : public Container {
    Q_OBJECT
  public:
    using Container::Container;

  protected:
    void PlaceChildren(const QRect& area) override;
};

// Children side by side: fixed widths first, the rest share what is left.
class HorizontalLayout : public Container {
    Q_OBJECT
  public:
    using Container::Container;

  protected:
    void PlaceChildren(const QRect& area) override;
};

// One child shown at a time, chosen by index.
class TabLayout : public Container {
    Q_OBJECT
  public:
    using Container::Container;
    void SetAttribute(const QString& name, const QString& value) override;
    bool Add(Control* child) override;
    void DoInit() override;

    int CurrentIndex() const { return current_; }
    // False for an index out of range; the current page stays.
    bool SelectItem(int index);

  private:
    int current_ = 0;
};

}  // namespace ui
