// CommonDlg: no window of its own at run time; it holds the settings of an
// open-file or save-file dialog and shows that dialog when asked.
#pragma once

#include "ui/bag_control.h"

namespace quorvant::ui::controls {

class CommonDialogControl final : public BagControl {
 public:
  CommonDialogControl(const CreateParams& params, form::PropertyBag bag);

  // Shows the dialog as its properties describe it. True when the user
  // confirmed; the chosen path is then in property 10.
  bool open();

 private:
  ControlHost& host_;
};

// The filter text "description|pattern|description|pattern" as pairs. A text
// that does not end with "||" is read as if it did, so a lone description
// ("图片文件(*.*)") is one entry with an empty pattern.
std::vector<std::pair<std::string, std::string>> parse_filter(const std::string& filter);

}  // namespace quorvant::ui::controls
