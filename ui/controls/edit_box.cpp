// EditBox: a single-line or multi-line text box, read-only or for
// passwords, optionally with spin buttons that step a number in it.
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/gbk.h"
#include "ui/bag_control.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"

namespace quorvant::ui::controls {

namespace {

enum Property {
  kContent = 8,
  kBorder = 9,
  kTextColour = 10,
  kBackground = 11,
  kFont = 12,
  kHideSelection = 13,
  kMaximumLength = 14,
  kMultiLine = 15,
  kScrollBars = 16,
  kAlignment = 17,
  kInputMode = 18,
  kPasswordCharacter = 19,
  kCaseConversion = 20,
  kSpinButtons = 21,
  kSpinFirst = 22,
  kSpinSecond = 23,
  kSelectionStart = 24,
  kSelectionLength = 25,
  kSelectedText = 26,
};
enum InputMode { kNormal = 0, kReadOnly = 1, kPassword = 2 };
enum CaseConversion { kNoCase = 0, kLower = 1, kUpper = 2 };

constexpr int kSpinWidth = 14;

// Positions and lengths of texts count bytes (UTF-8), as everywhere in the
// program; Qt counts characters.
int32_t byte_length(const QString& text) { return static_cast<int32_t>(text.toUtf8().size()); }
int character_position(const QString& text, int32_t bytes) {
  int position = 0;
  int32_t counted = 0;
  while (position < text.size() && counted < bytes) counted += byte_length(text.mid(position++, 1));
  return position;
}

QString converted_case(const QString& text, int32_t conversion) {
  return conversion == kLower ? text.toLower() : conversion == kUpper ? text.toUpper() : text;
}

// A single-line box that draws its border as the border property says
// (Qt's own frame has one look only).
class BorderedLineEdit final : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

  void set_border(int32_t border) {
    border_ = border;
    setFrame(false);
    const int width = border_width(border);
    setContentsMargins(width, width, width, width);
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    paint_border(painter, rect(), border_, palette());
  }

 private:
  int32_t border_ = 0;
};

class EditBoxControl final : public BagControl {
 public:
  EditBoxControl(const CreateParams& params, form::PropertyBag bag) : BagControl(params.type, nullptr, std::move(bag)) {
    QWidget* widget = nullptr;
    if (flag(kMultiLine)) {
      auto* edit = make_owned<QPlainTextEdit>(params.parent);
      edit->setTabChangesFocus(true);
      multi_ = edit;
      widget = edit;
    } else {
      auto* edit = make_owned<BorderedLineEdit>(params.parent);
      single_ = edit;
      widget = edit;
      if (integer(kSpinButtons) != 0) add_spin_buttons(edit);
    }
    place_child(widget, params);
    reset_widget(widget);
    for (int index : {kContent, kBorder, kTextColour, kFont, kMaximumLength, kScrollBars, kAlignment, kInputMode,
                      kCaseConversion, kSelectionStart}) {
      refresh(index);
    }
    if (single_ != nullptr) {
      QObject::connect(single_, &QLineEdit::textEdited, lifetime(), [this](const QString&) { apply_case(); });
    }
  }

  // A multi-line box takes Enter for a new line.
  bool keeps_key(int key) const override {
    return multi_ != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter);
  }

  PropertyValue get(int own_index) override {
    if (own_index + 8 == kSelectedText) {
      capture();
      const QString all = current_text();
      const int start = character_position(all, integer(kSelectionStart));
      const int end = character_position(all, integer(kSelectionStart) + integer(kSelectionLength));
      return all.mid(start, end - start).toStdString();
    }
    return BagControl::get(own_index);
  }

 protected:
  void capture() override {
    if (widget() == nullptr) return;
    const QString all = current_text();
    bag().set(kContent, platform::utf8_to_gbk(all.toStdString()));
    int start = 0;
    int length = 0;
    if (single_ != nullptr && single_->hasSelectedText()) {
      start = single_->selectionStart();
      length = static_cast<int>(single_->selectedText().size());
    } else if (single_ != nullptr) {
      start = single_->cursorPosition();
    } else if (multi_ != nullptr) {
      const QTextCursor cursor = multi_->textCursor();
      start = cursor.selectionStart();
      length = cursor.selectionEnd() - cursor.selectionStart();
    }
    bag().set(kSelectionStart, byte_length(all.left(start)));
    bag().set(kSelectionLength, byte_length(all.mid(start, length)));
  }

  bool refresh(int index) override {
    if (widget() == nullptr) return false;
    switch (index) {
      case kMultiLine:
        return true;  // a different kind of box
      case kSpinButtons:
        return (integer(kSpinButtons) != 0) != (spin_ != nullptr) && single_ != nullptr;
      case kContent:
        set_current_text(converted_case(text(kContent), integer(kCaseConversion)));
        break;
      case kBorder:
        if (multi_ != nullptr) {
          apply_border(multi_, integer(kBorder));
        } else {
          static_cast<BorderedLineEdit*>(single_.data())->set_border(integer(kBorder));
        }
        break;
      case kTextColour:
      case kBackground:
        apply_colours(widget(), static_cast<uint32_t>(integer(kTextColour)),
                      static_cast<uint32_t>(integer(kBackground)), QPalette::Text, QPalette::Base);
        break;
      case kFont:
        widget()->setFont(to_qfont(font(kFont)));
        break;
      case kMaximumLength:
        if (single_ != nullptr) single_->setMaxLength(integer(kMaximumLength) > 0 ? integer(kMaximumLength) : 32767);
        break;
      case kScrollBars:
        if (multi_ != nullptr) {
          const int bars = integer(kScrollBars);
          multi_->setHorizontalScrollBarPolicy((bars & 1) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
          multi_->setVerticalScrollBarPolicy((bars & 2) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
          multi_->setLineWrapMode((bars & 1) != 0 ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        }
        break;
      case kAlignment:
        if (single_ != nullptr) {
          const int alignment = integer(kAlignment);
          single_->setAlignment((alignment == 1   ? Qt::AlignHCenter
                                 : alignment == 2 ? Qt::AlignRight
                                                  : Qt::AlignLeft) |
                                Qt::AlignVCenter);
        }
        break;
      case kInputMode:
      case kPasswordCharacter:
        apply_input_mode();
        break;
      case kCaseConversion:
        apply_case();
        break;
      case kSelectionStart:
      case kSelectionLength:
        apply_selection();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QString current_text() const {
    if (single_ != nullptr) return single_->text();
    return multi_ != nullptr ? multi_->toPlainText() : QString{};
  }

  void set_current_text(const QString& value) {
    if (single_ != nullptr) single_->setText(value);
    if (multi_ != nullptr) multi_->setPlainText(value);
  }

  void apply_input_mode() {
    const int mode = integer(kInputMode);
    if (single_ != nullptr) {
      single_->setReadOnly(mode == kReadOnly);
      // In read-only mode the password character has no effect.
      single_->setEchoMode(mode == kPassword ? QLineEdit::Password : QLineEdit::Normal);
      const int character = integer(kPasswordCharacter) & 0xFF;
      single_->setStyleSheet(mode == kPassword && character != 0
                                 ? QStringLiteral("QLineEdit { lineedit-password-character: %1 }").arg(character)
                                 : QString{});
    } else if (multi_ != nullptr) {
      multi_->setReadOnly(mode == kReadOnly);
    }
  }

  void apply_case() {
    const int conversion = integer(kCaseConversion);
    if (conversion == kNoCase || single_ == nullptr) return;
    const int cursor = single_->cursorPosition();
    single_->setText(converted_case(single_->text(), conversion));
    single_->setCursorPosition(cursor);
  }

  void apply_selection() {
    const QString all = current_text();
    const int start = character_position(all, integer(kSelectionStart));
    const int end = character_position(all, integer(kSelectionStart) + integer(kSelectionLength));
    if (single_ != nullptr) {
      single_->setSelection(start, end - start);
    } else if (multi_ != nullptr) {
      QTextCursor cursor = multi_->textCursor();
      cursor.setPosition(start);
      cursor.setPosition(end, QTextCursor::KeepAnchor);
      multi_->setTextCursor(cursor);
      multi_->ensureCursorVisible();
    }
  }

  // Two small buttons at the box's right edge that step the number in it
  // through the range of properties 22 and 23.
  void add_spin_buttons(QLineEdit* edit) {
    spin_ = make_owned<QWidget>(edit);
    auto* layout = make_owned<QVBoxLayout>(spin_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int step : {1, -1}) {
      auto* button = make_owned<QToolButton>(spin_);
      button->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
      button->setFocusPolicy(Qt::NoFocus);
      button->setAutoRepeat(true);
      layout->addWidget(button);
      QObject::connect(button, &QToolButton::clicked, lifetime(), [this, step] { spin(step); });
    }
    edit->setTextMargins(0, 0, kSpinWidth, 0);
    spin_->setGeometry(edit->width() - kSpinWidth, 0, kSpinWidth, edit->height());
    edit->installEventFilter(&resize_watch_);
    resize_watch_.edit = edit;
    resize_watch_.spin = spin_;
  }

  void spin(int step) {
    const int low = std::min(integer(kSpinFirst), integer(kSpinSecond));
    const int high = std::max(integer(kSpinFirst), integer(kSpinSecond));
    const int value = std::clamp(single_->text().toInt() + step, low, high);
    single_->setText(QString::number(value));
  }

  // Keeps the spin buttons at the right edge when the box changes size.
  struct ResizeWatch : QObject {
    QLineEdit* edit = nullptr;
    QWidget* spin = nullptr;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (watched == edit && event->type() == QEvent::Resize && spin != nullptr) {
        spin->setGeometry(edit->width() - kSpinWidth, 0, kSpinWidth, edit->height());
      }
      return false;
    }
  };

  QPointer<QLineEdit> single_;
  QPointer<QPlainTextEdit> multi_;
  QPointer<QWidget> spin_;
  ResizeWatch resize_watch_;
};

}  // namespace

std::unique_ptr<Control> create_edit_box(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<EditBoxControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
