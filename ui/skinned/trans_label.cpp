// TransLabel: a caption drawn straight onto whatever lies beneath it, with an
// optional engraved, embossed or shadowed look. It paints no background, so
// the window's own background shows between the letters, and a change of
// caption or place repaints what lies beneath before the new text.
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "platform/desktop_look.h"
#include "ui/bag_control.h"
#include "ui/coordinates.h"
#include "ui/controls/widget_setup.h"
#include "ui/skinned/skinned_types.h"

namespace quorvant::ui::skinned {

namespace {

enum Property {
  kCaption = 8,
  kEffect = 9,
  kFont = 10,
  kTextColour = 11,
  kHorizontal = 12,
  kWordWrap = 13,
  kVertical = 14
};
enum Effect { kPlain, kEngraved, kEmbossed, kShadowed };

struct LabelLook {
  QString caption;
  int effect = 0;
  QFont font;
  QColor colour;
  int horizontal = 0;
  bool wrap = false;
  int vertical = 1;
};

// The widest copy an effect draws beside the text.
constexpr int kEffectReach = 2;

class LabelWidget final : public QWidget {
 public:
  explicit LabelWidget(QWidget* parent) : QWidget(parent) {
    // Only the letters are painted: the parent shows everywhere else.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
  }

  void set_look(LabelLook look) {
    look_ = std::move(look);
    setFont(look_.font);
    // What a screen reader reads: the caption, its line breaks as they show.
    QString readable = look_.caption;
    readable.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (accessibleName() != readable) setAccessibleName(readable);
    reach_for_text();
    see_through_repaint();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (look_.caption.isEmpty()) return;
    QPainter painter(this);
    const int flags = layout_flags();
    QRect area(QPoint(0, 0), placed_size(*this));
    auto draw = [&](const QColor& colour, const QRect& where) {
      painter.setPen(colour);
      painter.drawText(where, flags, look_.caption);
    };
    // Disabled, or inside a disabled group, the text is greyed and engraved
    // as the desktop draws disabled text. A window made busy as a whole
    // leaves its labels as they are: the please-wait text must stay
    // readable.
    if (!isEnabledTo(window())) {
      draw(Qt::white, area.translated(1, 1));
      draw(platform::system_colour::kShadow, area);
      return;
    }
    switch (look_.effect) {
      case kEngraved:
        draw(Qt::white, area.translated(1, 1));
        break;
      case kEmbossed:
        draw(Qt::white, area);
        area.translate(1, 1);
        break;
      case kShadowed:
        draw(Qt::black, area.translated(2, 2));
        break;
      default:
        break;
    }
    draw(look_.colour, area);
  }

  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    reach_for_text();
    see_through_repaint();
  }

  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (event->size() == reached_) return;  // the label's own reach
    setProperty(kPlacedSizeProperty, event->size());
    reach_for_text();
  }

  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange) reach_for_text();
  }

  // A press on a label is the label's: it neither reaches the panel beneath
  // nor drags the window (only the window's background, panels and group
  // boxes do). Beyond the placed rectangle, where only the text runs on,
  // the press is the container's.
  void mousePressEvent(QMouseEvent* event) override {
    if (QRect(QPoint(0, 0), placed_size(*this)).contains(event->position().toPoint())) {
      event->accept();
    } else {
      event->ignore();
    }
  }

 private:
  int layout_flags() const {
    int flags = Qt::TextDontClip;
    flags |= look_.horizontal == 1 ? Qt::AlignHCenter : look_.horizontal == 2 ? Qt::AlignRight : Qt::AlignLeft;
    if (look_.wrap) {
      // Vertical alignment applies to a single line only.
      flags |= Qt::TextWordWrap | Qt::AlignTop;
    } else {
      flags |= Qt::TextSingleLine;
      flags |= look_.vertical == 0 ? Qt::AlignTop : look_.vertical == 2 ? Qt::AlignBottom : Qt::AlignVCenter;
    }
    return flags;
  }

  // The text is not clipped to the placed rectangle: where it runs on to
  // the right or below, the widget grows to hold it, as far as its
  // container reaches. Its placed size stays what the program set.
  void reach_for_text() {
    const QSize placed = placed_size(*this);
    setProperty(kPlacedSizeProperty, placed);
    QSize reach = placed;
    if (!look_.caption.isEmpty() && parentWidget() != nullptr) {
      const QRect text = fontMetrics().boundingRect(QRect(QPoint(0, 0), placed), layout_flags(), look_.caption);
      reach = reach.expandedTo(QSize(text.right() + 1 + kEffectReach, text.bottom() + 1 + kEffectReach));
      const QSize room(parentWidget()->width() - x(), parentWidget()->height() - y());
      reach = reach.boundedTo(room).expandedTo(placed);
    }
    if (reach == size()) return;
    reached_ = reach;
    resize(reach);
  }

  // Repaints what lies beneath the label, then the label over it, at once.
  // The label paints no background, so Qt composes it over whatever its
  // ancestors and the siblings below it paint there: repainting the label
  // repaints that area of all of them first, the group box and the panel
  // included. (Repainting the area in the top-level window instead leaves
  // out the parts its opaque children cover, which is all of it here.)
  void see_through_repaint() {
    if (isVisible()) repaint();
  }

  LabelLook look_;
  QSize reached_;  // the size the label last grew or shrank itself to
};

class TransLabelControl final : public BagControl {
 public:
  TransLabelControl(const CreateParams& params, form::PropertyBag bag)
      : BagControl(params.type, nullptr, std::move(bag)) {
    auto* label = controls::make_owned<LabelWidget>(params.parent);
    controls::place_child(label, params);
    label->setFocusPolicy(Qt::NoFocus);
    reset_widget(label);
    refresh(kCaption);
  }

  bool set(int own_index, const PropertyValue& value) override {
    // Choices are clamped into their ranges; the rest is stored as given.
    const int index = own_index + 8;
    if (index == kEffect) return BagControl::set(own_index, std::clamp(as_int(value), 0, 3));
    if (index == kHorizontal || index == kVertical) return BagControl::set(own_index, std::clamp(as_int(value), 0, 2));
    return BagControl::set(own_index, value);
  }

  ShortcutRole shortcut_role() const override { return ShortcutRole::kLabel; }
  QString shortcut_caption() const override { return text(kCaption); }

 protected:
  bool refresh(int) override {
    if (auto* label = static_cast<LabelWidget*>(widget())) {
      label->set_look({text(kCaption), integer(kEffect), to_qfont(font(kFont)),
                       to_qcolor(static_cast<uint32_t>(integer(kTextColour))), integer(kHorizontal), flag(kWordWrap),
                       integer(kVertical)});
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<Control> create_trans_label(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<TransLabelControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::skinned
