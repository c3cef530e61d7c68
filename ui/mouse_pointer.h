// The mouse pointer a control shows, from its stored pointer blob.
#pragma once

#include <QCursor>

#include <optional>

#include "ui/form_reader/byte_io.h"

namespace quorvant::ui {

// Nothing for "no pointer of its own". A blob holds a pointer number (1 to
// 13 system pointers, 14 the hand, 0 none; the system's own cursor
// identifiers select the same), -1 followed by a cursor file, or, when
// longer than 10 bytes, a whole cursor file.
std::optional<QCursor> cursor_for(const form::Bytes& pointer_blob);

// The pointer number a 4-byte stock blob holds, or nothing for other blobs.
std::optional<int32_t> pointer_number(const form::Bytes& pointer_blob);

}  // namespace quorvant::ui
