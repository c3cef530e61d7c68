#include "ui/controls/common_dialog.h"

#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"

namespace quorvant::ui::controls {

namespace {

enum Property {
  kKind = 8,
  kTitle = 9,
  kFileName = 10,
  kFilter = 11,
  kInitialFilter = 12,
  kFolder = 13,
  kDefaultExtension = 14,
  kConfirmCreate = 15,
};
enum Kind { kOpenFile = 0, kSaveFile = 1 };

}  // namespace

std::vector<std::pair<std::string, std::string>> parse_filter(const std::string& filter) {
  std::vector<std::pair<std::string, std::string>> entries;
  if (filter.empty()) return entries;
  std::string text = filter;
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "||") != 0) text += "||";
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
    parts.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  // Pairs up to the empty description that the closing "||" leaves.
  for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) entries.emplace_back(parts[i], parts[i + 1]);
  return entries;
}

CommonDialogControl::CommonDialogControl(const CreateParams& params, form::PropertyBag bag)
    : BagControl(params.type, nullptr, std::move(bag)), host_(params.host) {
  // A hidden placeholder keeps the control's place in the window; it is
  // never shown.
  auto* placeholder = make_owned<QWidget>(params.parent);
  placeholder->setGeometry(params.geometry);
  placeholder->setFocusPolicy(Qt::NoFocus);
  placeholder->hide();
  reset_widget(placeholder);
}

bool CommonDialogControl::open() {
  const int kind = integer(kKind);
  if (kind != kOpenFile && kind != kSaveFile) return false;  // the font dialog is not offered
  auto utf8 = [this](int index) { return platform::gbk_to_utf8(bag().text(index)); };
  platform::FileDialogRequest request;
  request.save = kind == kSaveFile;
  request.title = utf8(kTitle);
  request.file_name = utf8(kFileName);
  request.folder = utf8(kFolder);
  request.default_extension = utf8(kDefaultExtension);
  request.filters = parse_filter(utf8(kFilter));
  request.initial_filter = std::max(0, integer(kInitialFilter));
  request.confirm_create = flag(kConfirmCreate);
  const std::optional<std::string> chosen = host_.dialogs().choose_file(request);
  if (!chosen) return false;
  bag().set(kFileName, platform::utf8_to_gbk(*chosen));
  return true;
}

std::unique_ptr<Control> create_common_dialog(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<CommonDialogControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
