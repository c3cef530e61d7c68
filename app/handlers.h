// The main window's event handlers, in the order of the program's handler
// table, and the conversion jobs they start.
#pragma once

#include <string>
#include <vector>

#include "ui/window_runtime.h"

namespace quorvant::app {

// The handler table the form template's bindings refer to.
const std::vector<ui::EventHandler>& handler_table();

// Window: shaping, the title buttons, the option controls.
void shape_window();
void open_web_addresses();
void close_program();
void minimise_window();
void enable_jpeg_options();
void disable_jpeg_options();
void show_quality();
void show_smoothing();

// Files: choosing a folder or a single file.
void choose_folder_and_list_it();
void add_one_file();
// Files added as add_one_file adds the one the user picks: a refused kind
// gets the same message. The program adds those it was started with
// ("quorvant FILE...", as the desktop's "Open with" calls it).
void add_files(const std::vector<std::string>& files);
void add_files_named_at_start();

// Conversion: the start handler of the 格式转换 button.
void start_conversion();

}  // namespace quorvant::app
