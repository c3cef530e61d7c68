#include "platform/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>

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

}  // namespace

void prepare_file_dialog(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setWindowTitle(text(request.title));
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
    QFileDialog dialog(nullptr, text(request.title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
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
    QMessageBox box(icon_for(request.style), text(request.title), text(request.text));
    // Task-modal: the box blocks every window of the program.
    box.setWindowModality(Qt::ApplicationModal);
    const ButtonSet set = buttons_for(request.style);
    for (const auto& [button, answer] : set.buttons) box.addButton(button);
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
