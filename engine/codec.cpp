#include "engine/codec.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace quorvant::engine {

WriterNeeds sixteen_bit_sizes(const char* limited_by, int32_t largest_width) {
  WriterNeeds needs;
  needs.bits = 24;
  needs.largest_width = largest_width;
  needs.largest_height = 65535;
  needs.limited_by = limited_by;
  return needs;
}

WriterNeeds colour_or_alpha(const WriteSettings& settings, int32_t largest_side, const char* limited_by) {
  WriterNeeds needs;
  needs.valid = settings.bits == 24 || settings.bits == 32;
  needs.bits = settings.bits == 32 ? 32 : 24;
  needs.largest_width = largest_side;
  needs.largest_height = largest_side;
  needs.limited_by = limited_by;
  return needs;
}

std::string size_refusal(const WriterNeeds& needs, const ImageBuffer& picture) {
  auto refusal = [&](int32_t size, int32_t largest, const char* measure) {
    return std::string(needs.limited_by) + ": " + std::to_string(size) + " pixels " + measure + " is too " + measure +
           " (at most " + std::to_string(largest) + ")";
  };
  if (picture.width() > needs.largest_width) return refusal(picture.width(), needs.largest_width, "wide");
  if (picture.height() > needs.largest_height) return refusal(picture.height(), needs.largest_height, "high");
  return {};
}

bool ImageWriter::open(const Destination& destination, const ImageBuffer& source, const WriteSettings& settings,
                       ProgressCallback progress) {
  close();
  forget_failure();
  const WriterNeeds needs = this->needs(settings);
  if (!needs.valid) return fail("the format cannot be written with these settings");
  if (source.empty()) return fail("there is no picture to write");
  if (std::string why = size_refusal(needs, source); !why.empty()) return fail(std::move(why));

  // The one place where a picture is brought into the form its writer takes.
  const ImageBuffer* picture = in_form(source, needs.bits, needs.palette_count, converted_);
  if (picture == nullptr) {
    fail(converted_.failure());
    close();
    return false;
  }

  Destination::Created file = destination.create();
  if (!file.fd) {
    fail("cannot create " + destination.name() + ": " + std::strerror(errno));
    close();
    return false;
  }
  destination_ = destination;
  // The format writes through its own descriptor and closes it; the file is
  // published by the one it was made with.
  pending_ = std::move(file.pending);
  if (!start(std::move(file.fd), *picture, settings, std::move(progress))) {
    abandon();
    return false;
  }
  return true;
}

bool ImageWriter::write() {
  if (!destination_) return fail("the writer is not open");
  bool written = write_format();
  if (written && pending_ && pending_->publish(true) != OutputFile::Published::kDone) {
    written = fail("cannot write " + destination_->name() + ": " + std::strerror(errno));
  }
  if (!written) {
    abandon();
    return false;
  }
  close();
  return true;
}

void ImageWriter::abandon() {
  // The format's own objects let go of the file before it is discarded; a
  // file not yet published goes with its OutputFile.
  const std::optional<Destination> destination = std::move(destination_);
  const bool named = !pending_;
  close();
  if (destination && named) destination->discard();
}

void ImageWriter::close() {
  close_format();
  converted_.clear();
  destination_.reset();
  pending_.reset();
}

}  // namespace quorvant::engine
