// The names and roles a screen reader gives the controls of a form window,
// found as a reader of the desktop finds them: a control with a caption
// says it itself; a slider is named by the label listed just before it in
// its container, and that label's line describes its value; any other
// control without a caption by its element's name.
#pragma once

#include <QString>
#include <QWidget>

#include <span>
#include <string>

#include "ui/form_reader/element_record.h"

namespace quorvant::ui::accessibility {

struct FormElement {
  const form::ElementRecord* record;
  QWidget* widget;  // nullptr: the element has no widget
};

// Describes the window (element 0) and its controls; call once the
// controls are in their containers and before the window is shown.
void describe_form_window(std::span<const FormElement> elements);

// The part of an element's name a person would read: "控件_图形按钮_关闭"
// reads "关闭" (UTF-8 in, UTF-8 out).
std::string readable_element_name(const std::string& name);

// A label's caption as a slider's name and the start of its description:
// "请选择画面质量! 当前选择: " is the name "请选择画面质量!" and the
// description "当前选择:"; a caption of one sentence is all name.
struct SliderWords {
  QString name;
  QString description;
};
SliderWords slider_words(const QString& caption);

}  // namespace quorvant::ui::accessibility
