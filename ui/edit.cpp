#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QValidator>

#include "ui/controls.h"
#include "ui/skin_paint.h"

namespace ui {

namespace {

// How long a field waits after the last key before what was typed counts as settled.
constexpr int kSettleMs = 600;
// What the line edit keeps free beside the text for its cursor.
constexpr int kCursorRoom = 4;

// Digits without their leading zeros; "0" for zeros alone.
QString NormalNumber(const QString& digits) {
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == u'0') ++first;
    return digits.mid(first);
}

// What a field takes: at most its maxchar characters and, for a number field, digits only. A text
// that breaks either, typed or pasted, is refused whole rather than cut to what fits. A plain
// loop rather than a regular expression, whose compilation would cost every number field a
// millisecond or more when its window is built.
class FieldValidator final : public QValidator {
  public:
    FieldValidator(const Edit& edit, QObject* parent) : QValidator(parent), edit_(edit) {}
    State validate(QString& input, int&) const override {
        if (input.size() > edit_.MaxChar()) return Invalid;
        if (edit_.IsNumberOnly())
            for (const QChar c : input)
                if (c < u'0' || c > u'9') return Invalid;
        return Acceptable;
    }

  private:
    const Edit& edit_;
};

}  // namespace

Edit::Edit(QWidget* parent) : Label(parent), edit_(new QLineEdit(this)) {
    edit_->setFrame(false);
    edit_->setValidator(new FieldValidator(*this, edit_));
    edit_->installEventFilter(this);
    // A click on the padding around the text still lands in the line edit.
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(edit_);
    setCursor(Qt::IBeamCursor);
    // Typing, pasting and deleting only; SetText goes through textChanged alone.
    // The line edit's own text, not the signals' copies: a handler that corrects the text while
    // it is being typed (a target of 0 turned into 1) is followed by the signals of the typing,
    // which still carry the text from before the correction.
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, [this] { emit settled(edit_->text()); });
    connect(edit_, &QLineEdit::textEdited, this, [this] {
        text_ = edit_->text();
        settle_->start();
        emit textEdited(text_);
    });
    connect(edit_, &QLineEdit::returnPressed, this, &Edit::Settle);
    connect(edit_, &QLineEdit::textChanged, this, [this] {
        text_ = edit_->text();
        FitText();
    });
    ApplyStyle();
}

Edit::~Edit() = default;

void Edit::SetAttribute(const QString& name, const QString& value) {
    if (images_.SetAttribute(name, value)) {
        update();
    } else if (name == QLatin1String("numberonly")) {
        if (auto b = ParseBool(value)) SetNumberOnly(*b);
    } else if (name == QLatin1String("readonly")) {
        if (auto b = ParseBool(value)) SetReadOnly(*b);
    } else if (name == QLatin1String("maxchar")) {
        if (auto v = ParseInt(value)) SetMaxChar(*v);
    } else {
        Label::SetAttribute(name, value);
    }
}

void Edit::SetText(const QString& text) {
    // Without textEdited, the line edit reports nothing the window hears.
    edit_->setText(text);
    text_ = edit_->text();
    update();
}

void Edit::SetReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

void Edit::SetNumberOnly(bool numberOnly) {
    numberOnly_ = numberOnly;
}

void Edit::SetMaxChar(int maxChar) {
    if (maxChar <= 0) return;
    maxChar_ = maxChar;
    if (edit_->text().size() > maxChar) SetText(edit_->text().left(maxChar));
}

void Edit::FitText() {
    // A number is shown whole: the font gives way to a value wider than the field.
    const QRect area = rect().marginsRemoved(textPadding_);
    const QFont fitted = FittedFont(font(), edit_->text(), area.width() - kCursorRoom);
    if (edit_->font() != fitted) edit_->setFont(fitted);
}

void Edit::SetFocusToEdit() {
    edit_->setFocus(Qt::OtherFocusReason);
}
void Edit::SetSelAll() {
    edit_->selectAll();
}

void Edit::Settle() {
    if (!settle_->isActive()) return;
    settle_->stop();
    emit settled(edit_->text());
}

void Edit::hideEvent(QHideEvent* event) {
    Settle();  // a page left while a number was being typed keeps it
    Label::hideEvent(event);
}

void Edit::PaintStatusImage(QPainter& painter) {
    DrawImage(painter, images_.For(isEnabled(), false, edit_->hasFocus(), IsHot()));
}

void Edit::TextStyleChanged() {
    // Colours, alignment and padding of the label are the line edit's.
    ApplyStyle();
    update();
}

void Edit::resizeEvent(QResizeEvent* event) {
    Label::resizeEvent(event);
    edit_->setGeometry(rect().marginsRemoved(textPadding_));
    FitText();
}

void Edit::changeEvent(QEvent* event) {
    Label::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        edit_->setEnabled(isEnabled());
        update();
    } else if (event->type() == QEvent::FontChange) {
        ApplyStyle();
    }
}

bool Edit::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == edit_) {
        if (type == QEvent::FocusIn) {
            update();
        } else if (type == QEvent::FocusOut) {
            update();
            // Another window taking over (also this one closing) or a popup such as the line
            // edit's own context menu is not the user leaving the field.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                // "0050" typed reads as 50: the field says so once the user has left it.
                if (numberOnly_) {
                    const QString plain = NormalNumber(edit_->text());
                    if (plain != edit_->text()) SetText(plain);
                }
                Settle();
                emit focusLost();
            }
        }
    }
    return Label::eventFilter(watched, event);
}

void Edit::ApplyStyle() {
    edit_->setFont(font());
    FitText();
    QPalette palette = edit_->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::transparent);
        palette.setColor(group, QPalette::Window, Qt::transparent);
        palette.setColor(group, QPalette::Text,
                         group == QPalette::Disabled ? disabledTextColor_ : textColor_);
    }
    edit_->setPalette(palette);
    edit_->setAutoFillBackground(false);
    edit_->setAlignment((align_ & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    edit_->setGeometry(rect().marginsRemoved(textPadding_));
}

}  // namespace ui
