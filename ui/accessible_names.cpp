#include "ui/accessible_names.h"

#include <QPointer>

#include <cstdlib>
#include <optional>

#include "platform/gbk.h"
#include "ui/accessible_widget.h"
#include "ui/form_reader/ids.h"

namespace quorvant::ui::accessibility {

namespace {

using form::Geometry;
namespace type_id = form::type_id;

// How far apart two edges may be and still count as one line.
constexpr int kSameLine = 2;

bool is_label(const FormElement& element) {
  return element.widget != nullptr && element.record->type_id() == type_id::kTransLabel;
}

// The label listed nearest before `position` in the same container: the
// text a reader takes for a control that has none of its own.
std::optional<size_t> label_before(std::span<const FormElement> elements, size_t position) {
  const uint32_t parent = elements[position].record->parent_id();
  for (size_t at = position; at-- > 1;) {
    if (is_label(elements[at]) && elements[at].record->parent_id() == parent) return at;
  }
  return std::nullopt;
}

// The label that carries on the line of label `position`: same container,
// same top, starting where it ends.
std::optional<size_t> label_after_on_line(std::span<const FormElement> elements, size_t position) {
  const form::ElementRecord& first = *elements[position].record;
  const int32_t end = first.geometry(Geometry::kLeft) + first.geometry(Geometry::kWidth);
  for (size_t at = 1; at < elements.size(); ++at) {
    if (at == position || !is_label(elements[at])) continue;
    const form::ElementRecord& next = *elements[at].record;
    if (next.parent_id() == first.parent_id() &&
        std::abs(next.geometry(Geometry::kTop) - first.geometry(Geometry::kTop)) <= kSameLine &&
        std::abs(next.geometry(Geometry::kLeft) - end) <= kSameLine) {
      return at;
    }
  }
  return std::nullopt;
}

void describe_slider(std::span<const FormElement> elements, size_t position) {
  const std::optional<size_t> label = label_before(elements, position);
  if (!label) return;
  const std::optional<size_t> value = label_after_on_line(elements, *label);
  QPointer<QWidget> label_widget = elements[*label].widget;
  QPointer<QWidget> value_widget = value ? elements[*value].widget : nullptr;
  Description description = described_as(QAccessible::Slider, [label_widget] {
    return label_widget ? slider_words(label_widget->accessibleName()).name : QString();
  });
  description.description = [label_widget, value_widget] {
    QString words = label_widget ? slider_words(label_widget->accessibleName()).description : QString();
    if (value_widget && !value_widget->accessibleName().isEmpty()) {
      if (!words.isEmpty()) words += QLatin1Char(' ');
      words += value_widget->accessibleName();
    }
    return words;
  };
  describe(elements[position].widget, std::move(description));
}

// The texts of the labels a box holds, in the order they are listed.
QString texts_inside(const QWidget* box) {
  QStringList texts;
  for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->accessibleName().isEmpty()) texts << child->accessibleName();
  }
  return texts.join(QLatin1Char(' '));
}

}  // namespace

std::string readable_element_name(const std::string& name) {
  const size_t last = name.rfind('_');
  return last == std::string::npos ? name : name.substr(last + 1);
}

SliderWords slider_words(const QString& caption) {
  const QString text = caption.trimmed();
  // Split after the last end of a sentence that has words after it.
  for (qsizetype at = text.size() - 1; at-- > 0;) {
    const QChar c = text[at];
    if (c == QLatin1Char('!') || c == QLatin1Char('?') || c == QChar(0xFF01) || c == QChar(0xFF1F) ||
        c == QChar(0x3002)) {
      return {text.left(at + 1).trimmed(), text.mid(at + 1).trimmed()};
    }
  }
  return {text, {}};
}

void describe_form_window(std::span<const FormElement> elements) {
  if (elements.empty() || elements[0].widget == nullptr) return;
  // A reader calls a top-level window of this role a frame.
  describe(elements[0].widget, described_as(QAccessible::Window));
  for (size_t position = 1; position < elements.size(); ++position) {
    const FormElement& element = elements[position];
    if (element.widget == nullptr) continue;
    const QString own_name = QString::fromStdString(readable_element_name(platform::gbk_to_utf8(element.record->name())));
    switch (element.record->type_id()) {
      case type_id::kTransLabel: {
        QPointer<QWidget> label = element.widget;
        describe(element.widget,
                 described_as(QAccessible::StaticText, [label] { return label ? label->accessibleName() : QString(); }));
        break;
      }
      case type_id::kPicBtn: {
        Description button = described_as(QAccessible::Button, [own_name] { return own_name; });
        button.pressable = true;
        describe(element.widget, std::move(button));
        break;
      }
      case type_id::kShapeBox: {
        // A box shown from the start is a panel; one that appears later
        // (the busy box) is an alert, read out when it appears.
        if ((element.record->state_flags() & form::state_flag::kVisible) != 0) {
          describe(element.widget, described_as(QAccessible::Pane, [] { return QString(); }));
        } else {
          QPointer<QWidget> box = element.widget;
          describe(element.widget,
                   described_as(QAccessible::AlertMessage, [box] { return box ? texts_inside(box) : QString(); }));
        }
        break;
      }
      case type_id::kSliderBar:
        describe_slider(elements, position);
        break;
      case type_id::kListBox:
      case type_id::kEditBox:
        // Qt's own account (the items, the text) stays; only the name,
        // which it would take from the group around, is the control's.
        element.widget->setAccessibleName(own_name);
        break;
      default:
        break;
    }
  }
}

}  // namespace quorvant::ui::accessibility
