#include "tests/runtime/runtime_test_support.h"

#include "forms/form_writer.h"
#include "runtime/libraries.h"
#include "ui/form_reader/ids.h"

namespace quorvant::testing {

namespace {

ui::form::PropertyBag props(std::initializer_list<std::pair<int, ui::form::FieldValue>> values) {
  ui::form::PropertyBag bag;
  for (const auto& [index, value] : values) bag.set(index, value);
  return bag;
}

forms::ElementSpec element(uint32_t id, uint32_t type, int width, int height, ui::form::PropertyBag properties) {
  forms::ElementSpec spec;
  spec.id = id;
  spec.type_id = type;
  spec.width = width;
  spec.height = height;
  spec.property_blob = forms::core_properties(type, properties);
  return spec;
}

const runtime::DllEntry kDlls[] = {
    {"", "strlen"},
    {"KERNEL32.DLL", "strlen"},
    {"", "NoSuchFunctionAnywhere"},
    {"user32.dll", "NoSuchFunctionHere"},
    {"", "#3"},
    {"", "SetWindowLongA"},
    {"", "SetLayeredWindowAttributes"},
    {"gdi32.dll", "CreateRoundRectRgn"},
    {"user32.dll", "SetWindowRgn"},
    {"", "SHBrowseForFolderA"},
    {"", "SHGetPathFromIDListA"},
    {"", "SendMessageA"},
};

}  // namespace

platform::ScriptedDialogs& test_dialogs() {
  static platform::ScriptedDialogs dialogs;
  return dialogs;
}

platform::RecordingDesktop& test_desktop() {
  static platform::RecordingDesktop desktop;
  return desktop;
}

runtime::ValueRecord reference(uint32_t type_id, uint32_t element_id) { return {kWindow, element_id, type_id}; }

void initialise_test_runtime() {
  static const std::vector<ui::EventHandler> handlers;
  static const ui::form::Bytes form =
      forms::write_form({{kWindow,
                          element(kOwn, ui::form::type_id::kWindow, 300, 200, {}),
                          {element(kList, kListType, 200, 100, {}),
                           element(kDialog, kDialogType, 10, 10, props({{11, std::string("图片文件(*.*)")}})),
                           element(kEdit, ui::form::type_id::kEditBox, 100, 20, props({{8, std::string("起始")}}))},
                          {}}});
  static const runtime::LibraryRecord* const libraries[] = {&runtime::thread_library(), &runtime::interface_library()};
  runtime::configure_runtime({&test_dialogs(), &test_desktop(), QUORVANT_BINARY_DIR});
  runtime::ApplicationDescriptor descriptor;
  descriptor.code_base = &handlers;
  descriptor.form = form;
  descriptor.libraries = libraries;
  descriptor.dlls = kDlls;
  runtime::initialise_runtime(descriptor);
}

}  // namespace quorvant::testing
