// What a screen reader is told about a widget where Qt's own account is
// wrong for a form window: Qt calls a custom-drawn widget a "filler" with
// no name, and names every control inside a group box after the group.
#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

#include <functional>

namespace quorvant::ui::accessibility {

struct Description {
  QAccessible::Role role = QAccessible::Client;
  // Asked each time a reader wants it, so that it follows the window: an
  // empty function leaves the widget's own accessible name.
  std::function<QString()> name;
  std::function<QString()> description;
  // Offers a press action that clicks the widget at its centre, as a
  // person would.
  bool pressable = false;
};

// A description of `role` named by `name`.
inline Description described_as(QAccessible::Role role, std::function<QString()> name = {}) {
  Description description;
  description.role = role;
  description.name = std::move(name);
  return description;
}

// Replaces Qt's account of `widget` by `description`. Call it before a
// reader can have asked about the widget (before the widget is shown).
// A slider keeps its value (current, least, greatest and step); static
// text, panels, alerts and windows are never announced as focusable; an
// alert is announced each time it is shown.
void describe(QWidget* widget, Description description);

}  // namespace quorvant::ui::accessibility
