// What each fuzzing harness does with one input. The tests that replay the
// kept findings call the same functions, so a replay runs exactly what
// found the problem.
#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorvant::fuzz {

// Loads the file with the engine's loader and, when it loads, reads the
// picture to its last byte and palette entry, so that a buffer smaller
// than its picture shows. Returns whether it loaded.
bool load_and_read_picture(const std::string& path);

// Decodes the bytes as the window runtime decodes the pictures of buttons,
// icons and backgrounds, and reads every byte of every row of the result.
std::optional<QImage> decode_and_read_picture(std::span<const uint8_t> bytes);

// Reads the bytes as a form template: every field of every element, and
// each property blob decoded, and encoded again, by its control type's
// schema. Returns the number of elements read.
size_t read_whole_form(std::span<const uint8_t> bytes);

// Loads the bytes as a form template and opens every window it holds with
// the program's control types (a QApplication must exist): builds it,
// shows and paints it when it is of a size a screen can show, reads every
// property of every element and writes each value back, and closes it.
// Returns the number of windows that opened.
size_t open_every_window(std::span<const uint8_t> bytes);

}  // namespace quorvant::fuzz
