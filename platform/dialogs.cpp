#include "platform/dialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <iterator>

#include "platform/window_thread.h"

namespace quorvant::platform {

namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

// "Description (pattern)" as Qt's filter list wants it; an empty pattern
// matches every file, so the description alone still lists them all.
QString qt_filter(const std::pair<std::string, std::string>& filter) {
  const QString pattern = filter.second.empty() ? QStringLiteral("*") : text(filter.second).replace(';', ' ');
  return text(filter.first) + QStringLiteral(" (") + pattern + QStringLiteral(")");
}

struct ButtonSet {
  std::vector<std::pair<QMessageBox::StandardButton, MessageAnswer>> buttons;
};

ButtonSet buttons_for(int style) {
  using B = QMessageBox;
  switch (style & 0x0F) {
    case 1:
      return {{{B::Ok, MessageAnswer::kOk}, {B::Cancel, MessageAnswer::kCancel}}};
    case 2:
      return {
          {{B::Abort, MessageAnswer::kAbort}, {B::Retry, MessageAnswer::kRetry}, {B::Ignore, MessageAnswer::kIgnore}}};
    case 3:
      return {{{B::Yes, MessageAnswer::kYes}, {B::No, MessageAnswer::kNo}, {B::Cancel, MessageAnswer::kCancel}}};
    case 4:
      return {{{B::Yes, MessageAnswer::kYes}, {B::No, MessageAnswer::kNo}}};
    case 5:
      return {{{B::Retry, MessageAnswer::kRetry}, {B::Cancel, MessageAnswer::kCancel}}};
    default:
      return {{{B::Ok, MessageAnswer::kOk}}};
  }
}

// Widens a message box so that the window manager's title bar shows its
// whole title beside the bar's icon and buttons; a short text alone makes
// the box narrower than that. The box sizes itself from its layout, so an
// empty strut of that width goes under the buttons.
void make_room_for_title(QMessageBox& box) {
  QFont font = QApplication::font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  // Room for the bar's icon and up to four buttons, each about a line and a
  // half wide, and its margins.
  const int bar = metrics.horizontalAdvance(box.windowTitle()) + 7 * metrics.height() + 16;
  auto* layout = qobject_cast<QGridLayout*>(box.layout());
  auto* buttons = box.findChild<QDialogButtonBox*>();
  if (layout == nullptr || buttons == nullptr) return;
  int row = 0, column = 0, row_span = 0, column_span = 0;
  layout->getItemPosition(layout->indexOf(buttons), &row, &column, &row_span, &column_span);
  auto* strut = new QWidget(&box);  // owned by the box
  strut->setFixedSize(bar, 0);
  layout->addWidget(strut, row, 0, 1, layout->columnCount(), Qt::AlignTop);
}

QMessageBox::Icon icon_for(int style) {
  switch (style & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The details the file list shows beside each name, in the words a
// Chinese desktop uses whatever the locale: Qt's file model takes sizes,
// dates and type names from the system locale and the MIME database, which
// speak English under the C locale, and its catalogue leaves "Folder" and
// "Drive" untranslated.
class ChineseFileDetails final : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
      switch (section) {
        case 0:
          return QStringLiteral("名称");
        case 1:
          return QStringLiteral("大小");
        case 2:
          return QStringLiteral("类型");
        case 3:
          return QStringLiteral("修改日期");
        default:
          break;
      }
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || index.column() == 0 || files == nullptr)
      return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    switch (index.column()) {
      case 1:
        return info.isDir() ? QString() : size_text(info.size());
      case 2:
        return type_text(info);
      case 3:
        return info.lastModified().toString(QStringLiteral("yyyy/M/d H:mm"));
      default:
        return QIdentityProxyModel::data(index, role);
    }
  }

  static QString size_text(qint64 bytes) {
    if (bytes < 1024) return QString::number(bytes) + QStringLiteral(" 字节");
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
    double amount = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    while (amount >= 1024 && unit + 1 < std::size(kUnits)) {
      amount /= 1024;
      ++unit;
    }
    return QString::number(amount, 'f', amount < 10 ? 1 : 0) + ' ' + QLatin1String(kUnits[unit]);
  }

  // As the desktop names a type it has no name of its own for: "JPG 文件".
  static QString type_text(const QFileInfo& info) {
    if (info.isRoot()) return QStringLiteral("本地磁盘");
    if (info.isDir()) return QStringLiteral("文件夹");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("文件") : suffix.toUpper() + QStringLiteral(" 文件");
  }
};

// Always Qt's own dialog, whose list shows the details above: a desktop's
// native dialog speaks the desktop's language, English under the C locale.
void show_chinese_details(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setProxyModel(new ChineseFileDetails(&dialog));  // owned by the dialog
}

// The words of Qt's own file dialog that the program sets itself, so that
// they are Chinese even where Qt's catalogue is missing; the tool tips and
// the side bar come from that catalogue. Set last: changing the accept mode
// makes new buttons with Qt's words.
void set_chinese_labels(QFileDialog& dialog, const QString& accept) {
  dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围："));
  dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名(&N)："));
  dialog.setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
  dialog.setLabelText(QFileDialog::Accept, accept);
  dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
}

}  // namespace

void prepare_file_dialog(QFileDialog& dialog, const FileDialogRequest& request) {
  // An empty title gets the desktop's own, as the common dialog does.
  const QString title = request.title.empty() ? (request.save ? QStringLiteral("另存为") : QStringLiteral("打开"))
                                              : text(request.title);
  show_chinese_details(dialog);
  dialog.setWindowTitle(title);
  if (!request.folder.empty()) dialog.setDirectory(text(request.folder));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // Qt's dialogs have no "ask before creating a new file" choice; the
  // request's confirm_create is not acted on.
  if (!request.default_extension.empty()) dialog.setDefaultSuffix(text(request.default_extension));
  // The list shows each description as the program wrote it, the pattern
  // hidden, as the platform the program was made for shows it.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  QStringList filters;
  for (const auto& filter : request.filters) filters << qt_filter(filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index =
        request.initial_filter >= 0 && request.initial_filter < filters.size() ? request.initial_filter : 0;
    dialog.selectNameFilter(filters[index]);
  }
  if (!request.file_name.empty()) dialog.selectFile(text(request.file_name));
  set_chinese_labels(dialog, request.save ? QStringLiteral("保存(&S)") : QStringLiteral("打开(&O)"));
}

void prepare_folder_dialog(QFileDialog& dialog, const FolderDialogRequest& request) {
  show_chinese_details(dialog);
  // The caption of the desktop's folder browser when the caller gives none.
  dialog.setWindowTitle(request.title.empty() ? QStringLiteral("浏览文件夹") : text(request.title));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  set_chinese_labels(dialog, QStringLiteral("确定"));
}

std::optional<std::string> QtDialogs::choose_file(const FileDialogRequest& request) {
  return call_on_window_thread([&]() -> std::optional<std::string> {
    QFileDialog dialog;
    prepare_file_dialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
  });
}

std::optional<std::string> QtDialogs::choose_folder(const FolderDialogRequest& request) {
  return call_on_window_thread([&]() -> std::optional<std::string> {
    QFileDialog dialog;
    prepare_folder_dialog(dialog, request);
    open_folder_dialog_ = &dialog;
    if (request.on_event) {
      QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [&](const QString& path) {
        request.on_event(FolderBrowserEvent::kSelectionChanged, path.toStdString());
      });
      request.on_event(FolderBrowserEvent::kInitialised, {});
    }
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    open_folder_dialog_ = nullptr;
    if (!accepted) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
  });
}

void QtDialogs::select_folder(const std::string& path) {
  run_on_window_thread([&] {
    if (open_folder_dialog_ != nullptr) {
      open_folder_dialog_->setDirectory(text(path));
      open_folder_dialog_->selectFile(text(path));
    }
  });
}

MessageAnswer QtDialogs::message_box(const MessageBoxRequest& request) {
  return call_on_window_thread([&] {
    // A caption with a close button only: a message box is answered, not
    // minimised or maximised.
    QMessageBox box(icon_for(request.style), text(request.title), text(request.text), QMessageBox::NoButton, nullptr,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint);
    // Task-modal: the box blocks every window of the program.
    box.setWindowModality(Qt::ApplicationModal);
    const ButtonSet set = buttons_for(request.style);
    for (const auto& [button, answer] : set.buttons) box.addButton(button);
    make_room_for_title(box);
    const int default_index = (request.style >> 8) & 0x0F;
    if (default_index < static_cast<int>(set.buttons.size()))
      box.setDefaultButton(set.buttons[static_cast<size_t>(default_index)].first);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& [button, answer] : set.buttons) {
      if (button == clicked) return answer;
    }
    // Closed without a button: Cancel where there is one, else the only button.
    for (const auto& [button, answer] : set.buttons) {
      if (answer == MessageAnswer::kCancel) return answer;
    }
    return set.buttons.front().second;
  });
}

std::optional<std::string> ScriptedDialogs::choose_file(const FileDialogRequest& request) {
  file_requests_.push_back(request);
  if (files_.empty()) return std::nullopt;
  auto answer = std::move(files_.front());
  files_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::choose_folder(const FolderDialogRequest& request) {
  // The record keeps what was asked, not the caller's handler, which may
  // belong to a library unloaded before the record goes.
  folder_requests_.push_back({request.title, {}});
  folder_selection_.reset();
  std::optional<std::string> answer;
  if (!folders_.empty()) {
    answer = std::move(folders_.front());
    folders_.pop_front();
  }
  if (request.on_event) {
    request.on_event(FolderBrowserEvent::kInitialised, {});
    if (answer) request.on_event(FolderBrowserEvent::kSelectionChanged, *answer);
  }
  return answer;
}

MessageAnswer ScriptedDialogs::message_box(const MessageBoxRequest& request) {
  message_requests_.push_back(request);
  if (messages_.empty()) return MessageAnswer::kCancel;
  const MessageAnswer answer = messages_.front();
  messages_.pop_front();
  return answer;
}

}  // namespace quorvant::platform
