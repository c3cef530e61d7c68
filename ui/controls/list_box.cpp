#include "ui/controls/list_box.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QListWidget>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

#include <cmath>

#include "platform/gbk.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"
#include "ui/keyboard_cues.h"

namespace quorvant::ui::controls {

namespace {

enum Property {
  kBorder = 8,
  kTextColour = 12,
  kBackground = 13,
  kFont = 14,
  kNoSelection = 15,
  kSelection = 16,
  kItems = 17
};

// The height of a row: the font's lines as they are drawn at the screen's
// scale. Qt measures a face that has bitmaps at its unscaled size, where
// the Song face's lines are hardly taller than its letters; scaled up, it
// is drawn from its outlines, whose underscores and descenders reach
// further down and would be cut off at the row's edge.
int row_height(const QFont& font, qreal scale) {
  const int unscaled = static_cast<int>(std::ceil(QFontMetricsF(font).height()));
  if (scale <= 1.0) return unscaled;
  QFont drawn = font;
  drawn.setPixelSize(static_cast<int>(std::lround(QFontInfo(font).pixelSize() * scale)));
  return std::max(unscaled, static_cast<int>(std::ceil(QFontMetricsF(drawn).height() / scale)));
}

// Rows of that height, their text at the top, where its ascent fits as
// the font measures it.
class FullHeightRows final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const qreal scale = option.widget != nullptr ? option.widget->devicePixelRatioF() : 1.0;
    size.setHeight(std::max(size.height(), row_height(option.font, scale)));
    return size;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignLeft | Qt::AlignTop;
  }
};

// A list that shows it holds the focus even with no items: once the
// keyboard is in use, its focus rectangle stands where the first row would.
class FileList final : public QListWidget {
 public:
  explicit FileList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new FullHeightRows(this));  // NOLINT: the list owns it
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QListWidget::paintEvent(event);
    if (count() != 0 || !hasFocus() || !keyboard_in_use(*this)) return;
    QPainter painter(viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = QRect(0, 0, viewport()->width(), row_height(font(), devicePixelRatioF()));
    focus.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
};

QListWidget* list_of(QWidget* widget) { return static_cast<QListWidget*>(widget); }

// An item keeps the bytes it was given: a file name need not be UTF-8, and
// the shown text (with a replacement character for what is not) would name
// no file.
constexpr int kItemBytes = Qt::UserRole + 1;

std::string bytes_of(const QListWidgetItem& item) {
  const QVariant bytes = item.data(kItemBytes);
  if (!bytes.isValid()) return item.text().toStdString();
  const QByteArray array = bytes.toByteArray();
  return std::string(array.constData(), static_cast<size_t>(array.size()));
}

}  // namespace

ListBoxControl::ListBoxControl(const CreateParams& params, form::PropertyBag bag)
    : BagControl(params.type, nullptr, std::move(bag)) {
  auto* list = make_owned<FileList>(params.parent);
  place_child(list, params);
  reset_widget(list);
  for (const std::string& item : this->bag().texts(kItems)) {
    list->addItem(QString::fromStdString(platform::gbk_to_utf8(item)));
  }
  for (int index : {kBorder, kTextColour, kFont, kSelection}) refresh(index);
}

int ListBoxControl::item_count() const {
  const auto* list = list_of(widget());
  return list == nullptr ? 0 : list->count();
}

std::string ListBoxControl::item_text(int index) const {
  const auto* list = list_of(widget());
  if (list == nullptr || index < 0 || index >= list->count()) return {};
  return bytes_of(*list->item(index));
}

int ListBoxControl::add_item(const std::string& text, int32_t data) {
  auto* list = list_of(widget());
  if (list == nullptr) return -1;
  list->addItem(QString::fromStdString(text));
  const int index = list->count() - 1;
  list->item(index)->setData(Qt::UserRole, data);
  list->item(index)->setData(kItemBytes, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  return index;
}

void ListBoxControl::clear() {
  if (auto* list = list_of(widget())) list->clear();
}

void ListBoxControl::capture() {
  const auto* list = list_of(widget());
  if (list == nullptr) return;
  std::vector<std::string> items;
  for (int i = 0; i < list->count(); ++i) items.push_back(platform::utf8_to_gbk(bytes_of(*list->item(i))));
  bag().set(kItems, std::move(items));
  bag().set(kSelection, list->currentRow());
}

PropertyValue ListBoxControl::get(int own_index) {
  // With property 15 on, the current selection always reads as none.
  if (own_index + 8 == kSelection && flag(kNoSelection)) return int32_t{-1};
  return BagControl::get(own_index);
}

bool ListBoxControl::refresh(int index) {
  auto* list = list_of(widget());
  if (list == nullptr) return false;
  switch (index) {
    case kBorder:
      apply_border(list, integer(kBorder));
      break;
    case kTextColour:
    case kBackground:
      apply_colours(list, static_cast<uint32_t>(integer(kTextColour)), static_cast<uint32_t>(integer(kBackground)),
                    QPalette::Text, QPalette::Base);
      break;
    case kFont:
      list->setFont(to_qfont_for_typed_text(font(kFont)));
      break;
    case kSelection:
      list->setCurrentRow(integer(kSelection));
      break;
    case kItems:
      list->clear();
      for (const std::string& item : bag().texts(kItems))
        list->addItem(QString::fromStdString(platform::gbk_to_utf8(item)));
      break;
    default:
      break;
  }
  return false;
}

std::unique_ptr<Control> create_list_box(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<ListBoxControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
