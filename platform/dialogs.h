// The dialogs the program shows: file choice, folder choice and message
// boxes. Callers talk to this interface only, so tests can answer from a
// script; QtDialogs shows the real thing. Texts are UTF-8.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QFileDialog;

namespace quorvant::platform {

struct FileDialogRequest {
  bool save = false;  // a save-file dialog instead of an open-file dialog
  std::string title;
  std::string file_name;  // initial name
  std::string folder;     // initial folder
  std::string default_extension;
  // Description and pattern pairs; a pattern may be empty.
  std::vector<std::pair<std::string, std::string>> filters;
  int initial_filter = 0;       // index into filters
  bool confirm_create = false;  // ask before a file that does not exist is created
};

// What the folder browser tells its caller while it is open: once when it
// is ready (the caller may then ask for an initial selection) and whenever
// the selection changes.
enum class FolderBrowserEvent { kInitialised, kSelectionChanged };

struct FolderDialogRequest {
  std::string title;
  std::function<void(FolderBrowserEvent, const std::string& selection)> on_event;
};

// Message box buttons and the answers, as numbered by the program.
enum class MessageAnswer { kOk = 0, kCancel = 1, kAbort = 2, kRetry = 3, kIgnore = 4, kYes = 5, kNo = 6 };

struct MessageBoxRequest {
  std::string text;
  std::string title;
  int style = 0;  // buttons in the low four bits, icon in bits 4 to 7, modality flags above
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The full path of the chosen file, or nothing when cancelled.
  virtual std::optional<std::string> choose_file(const FileDialogRequest& request) = 0;
  // The chosen folder, or nothing when cancelled. The request's event
  // handler may call select_folder while the browser is open.
  virtual std::optional<std::string> choose_folder(const FolderDialogRequest& request) = 0;
  virtual MessageAnswer message_box(const MessageBoxRequest& request) = 0;
  // Selects a folder in the open folder browser (used from its event handler).
  virtual void select_folder(const std::string& path) = 0;
};

// Sets up Qt's file dialog for `request` (title, folder, mode, filters with
// their descriptions shown as given, file name), every word in Chinese.
void prepare_file_dialog(QFileDialog& dialog, const FileDialogRequest& request);
// Sets up Qt's file dialog as the folder browser for `request`.
void prepare_folder_dialog(QFileDialog& dialog, const FolderDialogRequest& request);

// Shows Qt dialogs on the window thread.

class QtDialogs final : public Dialogs {
 public:
  std::optional<std::string> choose_file(const FileDialogRequest& request) override;
  std::optional<std::string> choose_folder(const FolderDialogRequest& request) override;
  MessageAnswer message_box(const MessageBoxRequest& request) override;
  void select_folder(const std::string& path) override;

 private:
  QFileDialog* open_folder_dialog_ = nullptr;  // only while choose_folder runs
};

// Answers from a script, in order, and records every request. A dialog with
// no scripted answer left is cancelled (message boxes answer Cancel).
class ScriptedDialogs final : public Dialogs {
 public:
  void answer_file(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  void answer_folder(std::optional<std::string> path) { folders_.push_back(std::move(path)); }
  void answer_message(MessageAnswer answer) { messages_.push_back(answer); }

  std::optional<std::string> choose_file(const FileDialogRequest& request) override;
  std::optional<std::string> choose_folder(const FolderDialogRequest& request) override;
  MessageAnswer message_box(const MessageBoxRequest& request) override;
  void select_folder(const std::string& path) override { folder_selection_ = path; }

  const std::vector<FileDialogRequest>& file_requests() const { return file_requests_; }
  const std::vector<FolderDialogRequest>& folder_requests() const { return folder_requests_; }
  const std::vector<MessageBoxRequest>& message_requests() const { return message_requests_; }
  // The selection the browser's event handler asked for, if any.
  const std::optional<std::string>& folder_selection() const { return folder_selection_; }

 private:
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<MessageAnswer> messages_;
  std::vector<FileDialogRequest> file_requests_;
  std::vector<FolderDialogRequest> folder_requests_;
  std::vector<MessageBoxRequest> message_requests_;
  std::optional<std::string> folder_selection_;
};

}  // namespace quorvant::platform
