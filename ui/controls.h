#pragma once

#include <QPointer>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "ui/control.h"

class QLineEdit;
class QTimer;
class QMovie;
class QBuffer;

// The leaf controls of the layouts.
namespace ui {

// Wrapped text ("TextUI": stays clickable in a caption band).
class Text : public Label {
    Q_OBJECT
  public:
    explicit Text(QWidget* parent = nullptr);
};

// A label with state images (normal, hot, pushed, disabled) that emits clicked() on a full
// press and release inside it, or on Space or Return while it has the focus.
class Button : public Label {
    Q_OBJECT
  public:
    explicit Button(QWidget* parent = nullptr);
    void SetAttribute(const QString& name, const QString& value) override;

    bool IsPushed() const { return pushed_; }
    // What a click does: emits clicked(). Options then toggle.
    virtual void Activate();

  signals:
    void clicked();

  protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    StateImages images_;
    SkinImage foreImage_;
    QColor hotTextColor_, pushedTextColor_;
    bool pushed_ = false;

  private:
    bool pressedInside_ = false;  // the left button went down inside; pushed_ follows the cursor
};

// A button that stays selected; options of one group in a window keep one selected.
class Option : public Button {
    Q_OBJECT
  public:
    explicit Option(QWidget* parent = nullptr);
    void SetAttribute(const QString& name, const QString& value) override;

    bool IsSelected() const { return selected_; }
    // Selecting one of a group deselects the others of the group in the same window; each
    // option whose state changes emits toggled(), the peers first.
    void Selected(bool selected);
    QString Group() const { return group_; }
    // clicked() first, with the state from before the click, then the toggle (a grouped option
    // only ever selects itself).
    void Activate() override;

  signals:
    void toggled(bool selected);

  protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;

    bool selected_ = false;
    QString group_;
    SkinImage selectedImage_, selectedHotImage_;
    QColor selectedTextColor_;

  private:
    void DeselectGroupPeers();
};

class CheckBox : public Option {
    Q_OBJECT
  public:
    explicit CheckBox(QWidget* parent = nullptr);
    bool IsChecked() const { return IsSelected(); }
    void SetCheck(bool checked) { Selected(checked); }
};

// Calls `apply` with the state each click of the user is about to give `box` (a check box tells
// its click before it toggles); states set from code call nothing.
template <typename Apply>
void OnUserToggle(CheckBox* box, const QObject* context, Apply apply) {
    if (box)
        QObject::connect(box, &CheckBox::clicked, context,
                         [box, apply] { apply(!box->IsChecked()); });
}

// A horizontal bar between min and max: `bkimage` or `bgcolor` behind, `foreimage` or
// `fgcolor` for the filled part.
class Progress : public Label {
    Q_OBJECT
  public:
    explicit Progress(QWidget* parent = nullptr);
    void SetAttribute(const QString& name, const QString& value) override;
    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    int Value() const { return value_; }
    void SetValue(int value);  // clamped to [min, max]
    void SetRange(int min, int max);

  protected:
    void PaintStatusImage(QPainter& painter) override;
    int min_ = 0, max_ = 100, value_ = 0;
    QColor fgColor_, bgColor_;
    SkinImage foreImage_;
};

// A ring 0–100: `bgcolor` for the track, `fgcolor` for the arc from twelve o'clock clockwise,
// `circlewidth` for its width.
class CircleProgress : public Progress {
    Q_OBJECT
  public:
    explicit CircleProgress(QWidget* parent = nullptr);
    void SetAttribute(const QString& name, const QString& value) override;
    int CircleWidth() const { return circleWidth_; }

  protected:
    void PaintStatusImage(QPainter& painter) override;
    int circleWidth_ = 6;
};

// An animated GIF of the package (`bkimage`), played once from the first frame.
class GifAnim : public Control {
    Q_OBJECT
  public:
    explicit GifAnim(QWidget* parent = nullptr);
    ~GifAnim() override;
    void SetAttribute(const QString& name, const QString& value) override;
    void DoInit() override;
    void PlayGif();  // from the first frame, once, stopping on the last
    void StopGif();  // back to the first frame
    bool IsPlaying() const;
    int FrameCount() const;
    int CurrentFrame() const;

  protected:
    void PaintBkImage(QPainter& painter) override;

  private:
    void Load();
    QString file_;
    bool autoPlay_ = true;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QMovie> movie_;
};

// An item of a combo's list.
class ListLabelElement : public Label {
    Q_OBJECT
  public:
    explicit ListLabelElement(QWidget* parent = nullptr);
    // "selected": the item the combo shows when its window opens.
    void SetAttribute(const QString& name, const QString& value) override;
    bool IsSelectedInLayout() const { return selectedInLayout_; }

  private:
    bool selectedInLayout_ = false;
};

// A drop-down list. currentIndexChanged() whenever the selection changes, also from code;
// choosing the selected item again emits nothing.
class Combo : public Label {
    Q_OBJECT
  public:
    explicit Combo(QWidget* parent = nullptr);
    ~Combo() override;
    void SetAttribute(const QString& name, const QString& value) override;
    bool Add(Control* child) override;  // takes ListLabelElement items
    // Shows the item the layout marks selected, quietly: the window has not opened yet.
    void DoInit() override;

    int GetCount() const { return static_cast<int>(items_.size()); }
    ListLabelElement* GetItemAt(int index) const;
    int GetCurSel() const { return current_; }
    // The text of the chosen item: what the box shows (empty while none is chosen).
    QString SelectedText() const;
    // Selects, without taking the focus, the first item whose text reads as `value` (leniently,
    // as GetControlInt reads). False, and the selection left as it is, when none does.
    bool SelectItemByValue(int value);
    // Selects without taking the focus. False for an index out of range (nothing changes).
    bool SelectItem(int index);
    void OpenDropDown();
    void CloseDropDown();
    bool IsDropDownOpen() const;

  signals:
    void currentIndexChanged(int index);

  protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    friend class ComboDropDown;
    std::vector<ListLabelElement*> items_;  // owned by the combo (not shown in it)
    int current_ = -1;
    StateImages images_;
    QMargins itemTextPadding_;
    QColor itemTextColor_{0x30, 0x30, 0x30};
    QColor itemSelectedBkColor_{0xDD, 0xFF, 0xF9};
    QColor itemHotBkColor_{0xEE, 0xFF, 0xFB};
    QColor itemBkColor_{0xFF, 0xFF, 0xFF};
    QSize dropBoxSize_{0, 150};
    QPointer<QWidget> dropDown_;
};

// One line of input. textEdited() comes from typing only, never from SetText; settled() once the
// user has stopped typing (a moment without a key, the field left, Return, the field hidden), so
// a value is stored once rather than at every key; focusLost() when the user moves the focus
// elsewhere in the window.
class Edit : public Label {
    Q_OBJECT
  public:
    explicit Edit(QWidget* parent = nullptr);
    ~Edit() override;
    void SetAttribute(const QString& name, const QString& value) override;
    void SetText(const QString& text) override;  // no textEdited()

    void SetReadOnly(bool readOnly);
    void SetNumberOnly(bool numberOnly);
    bool IsNumberOnly() const { return numberOnly_; }
    // Longer texts are refused whole when typed or pasted; a text already there is cut.
    void SetMaxChar(int maxChar);
    int MaxChar() const { return maxChar_; }
    void SetFocusToEdit();
    void SetSelAll();
    // What was typed and not settled yet is settled now.
    void Settle();
    QLineEdit* LineEdit() const { return edit_; }

  signals:
    void textEdited(const QString& text);
    void settled(const QString& text);
    void focusLost();

  protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter&) override {}  // the line edit draws the text
    void TextStyleChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyStyle();
    QTimer* settle_ = nullptr;
    void FitText();
    QLineEdit* edit_ = nullptr;
    bool numberOnly_ = false;
    int maxChar_ = 255;  // a field without maxchar
    StateImages images_;
};

// The integer accessors of a control's text: SetControlInt writes the decimal text,
// GetControlInt reads the leading integer (0 when there is none).
void SetControlInt(Control* control, int value);
int GetControlInt(const Control* control);
// The leading integer of a text by the same rule.
int LenientIntOf(const QString& text);

}  // namespace ui
