#include "ui/accessible_widget.h"

#include <QAbstractSlider>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

namespace quorvant::ui::accessibility {

namespace {

const char* const kHolderName = "quorvant-accessible-description";

// Keeps a widget's description with the widget (a child object goes with
// its parent), and announces an alert each time the widget is shown.
class DescriptionHolder final : public QObject {
 public:
  DescriptionHolder(QWidget* widget, Description description)
      : QObject(widget), description_(std::move(description)) {
    setObjectName(kHolderName);
    if (description_.role == QAccessible::AlertMessage) widget->installEventFilter(this);
  }
  const Description& description() const { return description_; }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      QAccessibleEvent shown(watched, QAccessible::Alert);
      QAccessible::updateAccessibility(&shown);
    }
    return false;
  }

 private:
  Description description_;
};

const DescriptionHolder* holder_of(QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  return dynamic_cast<const DescriptionHolder*>(
      object->findChild<QObject*>(QString::fromLatin1(kHolderName), Qt::FindDirectChildrenOnly));
}

bool never_focusable(QAccessible::Role role) {
  return role == QAccessible::StaticText || role == QAccessible::Pane || role == QAccessible::AlertMessage ||
         role == QAccessible::Window;
}

class DescribedWidget final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  DescribedWidget(QWidget* widget, const Description& description)
      : QAccessibleWidget(widget, description.role), description_(description) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && description_.name) return description_.name();
    if (kind == QAccessible::Description && description_.description) return description_.description();
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    if (never_focusable(description_.role)) state.focusable = false;
    return state;
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (description_.pressable) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& action) override {
    if (description_.pressable && action == pressAction()) {
      click();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface && slider() != nullptr) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return slider()->value(); }
  void setCurrentValue(const QVariant& value) override { slider()->setValue(value.toInt()); }
  QVariant maximumValue() const override { return slider()->maximum(); }
  QVariant minimumValue() const override { return slider()->minimum(); }
  QVariant minimumStepSize() const override { return slider()->singleStep(); }

 private:
  QAbstractSlider* slider() const { return qobject_cast<QAbstractSlider*>(widget()); }

  // A press and a release of the left button at the centre: the widget
  // answers it as it answers a person's click.
  void click() {
    QWidget* target = widget();
    const QPointF at = QRectF(target->rect()).center();
    const QPointF global = target->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
  }

  Description description_;
};

QAccessibleInterface* described_interface(const QString&, QObject* object) {
  const DescriptionHolder* holder = holder_of(object);
  if (holder == nullptr) return nullptr;
  return new DescribedWidget(static_cast<QWidget*>(object), holder->description());  // NOLINT: Qt's cache owns it
}

}  // namespace

void describe(QWidget* widget, Description description) {
  static const bool installed = [] {
    QAccessible::installFactory(described_interface);
    return true;
  }();
  (void)installed;
  new DescriptionHolder(widget, std::move(description));  // NOLINT: the widget owns it
  // Qt makes and keeps its own account of a widget as soon as the widget
  // announces a change, reader or not (a label's name or a slider's value
  // set while it was made): that one goes, so the next question finds
  // this one.
  if (QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(widget);
      existing != nullptr && dynamic_cast<DescribedWidget*>(existing) == nullptr) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
  }
}

}  // namespace quorvant::ui::accessibility
