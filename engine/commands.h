// The engine as a library of the runtime: ten conversion commands that take
// and return value records, and a thin layer over convert_picture.
//
// Every command takes (source path, destination path, options...) as text,
// bool and int records and answers an int record with the result code.
//   JPG  grey (bool), quality (int), optimise (bool), smoothing (int)
//   TIF  grey (bool)
//   PNG  bits (int, must be 24)
//   PPM, PGM  raw (bool)
//   BMP, PBM, PCX, PIC, SGI  no options
#pragma once

#include "runtime/value_record.h"

namespace quorvant::engine {

// The library record: the ten commands in the order JPG, BMP, PBM, PCX, PGM,
// PIC, PNG, PPM, SGI, TIF, and the notification routine.
const runtime::LibraryRecord& engine_library();

}  // namespace quorvant::engine
