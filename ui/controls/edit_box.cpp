// EditBox: a single-line or multi-line text box, read-only or for
// passwords, optionally with spin buttons that step a number in it.
#include <algorithm>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/gbk.h"
#include "ui/bag_control.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"
#include "ui/keyboard_cues.h"

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

// What typing may put into the box: the inserted text in the box's case,
// cut to the room the maximum length leaves beside `kept` characters. The
// limit restricts typing only; content stored or written by the program
// may be longer.
QString admitted(const QString& inserted, qsizetype kept, int32_t limit, int32_t conversion) {
  const qsizetype room = limit > 0 ? std::max<qsizetype>(0, limit - kept) : inserted.size();
  return converted_case(inserted.left(room), conversion);
}

// Applies the typing rules to a single-line box. The validator sees the
// text as typing would leave it; what was there before is the text the box
// last showed, which it follows through textChanged.
class TypingRules final : public QValidator {
 public:
  TypingRules(QLineEdit* edit, int32_t limit, int32_t conversion)
      : QValidator(edit), before_(edit->text()), limit_(limit), conversion_(conversion) {
    QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
  }

  // While the program sets the content, nothing is typing.
  void set_program_text(bool program) { program_text_ = program; }

  State validate(QString& input, int& cursor) const override {
    if (program_text_) return Acceptable;
    // The typed or pasted part is what lies between the parts that stayed.
    qsizetype head = 0;
    while (head < before_.size() && head < input.size() && before_[head] == input[head]) ++head;
    qsizetype tail = 0;
    while (tail < before_.size() - head && tail < input.size() - head &&
           before_[before_.size() - 1 - tail] == input[input.size() - 1 - tail]) {
      ++tail;
    }
    const QString inserted = input.mid(head, input.size() - head - tail);
    const QString kept = admitted(inserted, input.size() - inserted.size(), limit_, conversion_);
    if (kept != inserted) {
      input = input.left(head) + kept + input.right(tail);
      cursor = static_cast<int>(head + kept.size());
    }
    return Acceptable;
  }

 private:
  QString before_;
  bool program_text_ = false;
  int32_t limit_;
  int32_t conversion_;
};

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
    // Qt hides the caret of a read-only box; the desktop shows it, and it
    // is all that shows the box holds the focus. A steady one, once the
    // keyboard is in use.
    if (isReadOnly() && hasFocus() && keyboard_in_use(*this)) {
      const QRect caret = cursorRect();
      painter.fillRect(QRect(caret.center().x(), caret.top(), 1, caret.height()), palette().color(QPalette::Text));
    }
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
      multi_ = edit;
      widget = edit;
      QObject::connect(edit->document(), &QTextDocument::contentsChange, lifetime(),
                       [this](int at, int, int added) { apply_typing_rules(at, added); });
    } else {
      auto* edit = make_owned<BorderedLineEdit>(params.parent);
      single_ = edit;
      widget = edit;
      if (integer(kSpinButtons) != 0) add_spin_buttons(edit);
    }
    place_child(widget, params);
    reset_widget(widget);
    for (int index : {kContent, kBorder, kTextColour, kFont, kHideSelection, kMaximumLength, kScrollBars, kAlignment,
                      kInputMode, kSelectionStart}) {
      refresh(index);
    }
  }

  // A multi-line box takes Enter for a new line and Tab for a tab.
  bool keeps_key(int key) const override {
    return multi_ != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab);
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
      case kHideSelection:
        apply_colours(widget(), static_cast<uint32_t>(integer(kTextColour)),
                      static_cast<uint32_t>(integer(kBackground)), QPalette::Text, QPalette::Base);
        apply_selection_colours();
        break;
      case kFont:
        widget()->setFont(to_qfont_for_typed_text(font(kFont)));
        break;
      case kMaximumLength:
      case kCaseConversion:
        if (single_ != nullptr) {
          QPointer<TypingRules> previous = rules_;
          rules_ =
              new TypingRules(single_, integer(kMaximumLength), integer(kCaseConversion));  // NOLINT: the box owns it
          single_->setValidator(rules_);
          if (previous) previous->deleteLater();
        }
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
        apply_alignment();
        break;
      case kInputMode:
      case kPasswordCharacter:
        apply_input_mode();
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

  // The program's own content is not typing: no rules apply to it.
  void set_current_text(const QString& value) {
    if (single_ != nullptr) {
      if (rules_) rules_->set_program_text(true);
      single_->setText(value);
      if (rules_) rules_->set_program_text(false);
    }
    if (multi_ != nullptr) {
      setting_text_ = true;
      multi_->setPlainText(value);
      setting_text_ = false;
    }
  }

  // Brings what was just typed into a multi-line box in line with the
  // maximum length and the case conversion.
  void apply_typing_rules(int at, int added) {
    if (setting_text_ || added <= 0 || multi_ == nullptr) return;
    QTextCursor cursor(multi_->document());
    cursor.setPosition(at);
    cursor.setPosition(at + added, QTextCursor::KeepAnchor);
    const QString inserted = cursor.selectedText();
    const qsizetype kept = multi_->document()->characterCount() - 1 - inserted.size();
    const QString rules = admitted(inserted, kept, integer(kMaximumLength), integer(kCaseConversion));
    if (rules == inserted) return;
    setting_text_ = true;
    cursor.insertText(rules);
    setting_text_ = false;
  }

  void apply_alignment() {
    const int alignment = integer(kAlignment);
    const Qt::Alignment horizontal = alignment == 1   ? Qt::AlignHCenter
                                     : alignment == 2 ? Qt::AlignRight
                                                      : Qt::AlignLeft;
    if (single_ != nullptr) single_->setAlignment(horizontal | Qt::AlignVCenter);
    if (multi_ != nullptr) {
      QTextOption option = multi_->document()->defaultTextOption();
      option.setAlignment(horizontal);
      multi_->document()->setDefaultTextOption(option);
    }
  }

  // With hide-selection on, the selection shows only while the box has
  // the focus; off, it stays in view.
  void apply_selection_colours() {
    QPalette palette = widget()->palette();
    const bool hide = flag(kHideSelection);
    palette.setColor(
        QPalette::Inactive, QPalette::Highlight,
        hide ? palette.color(QPalette::Active, QPalette::Base) : palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     hide ? palette.color(QPalette::Active, QPalette::Text)
                          : palette.color(QPalette::Active, QPalette::HighlightedText));
    widget()->setPalette(palette);
  }

  void apply_input_mode() {
    const int mode = integer(kInputMode);
    if (single_ != nullptr) {
      single_->setReadOnly(mode == kReadOnly);
      // In read-only mode the password character has no effect.
      single_->setEchoMode(mode == kPassword ? QLineEdit::Password : QLineEdit::Normal);
      const QString character = QString::fromStdString(character_text(integer(kPasswordCharacter)));
      single_->setStyleSheet(
          mode == kPassword && !character.isEmpty()
              ? QStringLiteral("QLineEdit { lineedit-password-character: %1 }").arg(character.toUcs4().value(0))
              : QString{});
    } else if (multi_ != nullptr) {
      multi_->setReadOnly(mode == kReadOnly);
    }
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
  QPointer<TypingRules> rules_;
  bool setting_text_ = false;
};

}  // namespace

std::unique_ptr<Control> create_edit_box(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<EditBoxControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
