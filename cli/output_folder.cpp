#include "cli/output_folder.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quorvant::cli {

std::optional<OutputFolder> OutputFolder::open(const std::string& path, std::string& why) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) {
    why = error.message();
    return std::nullopt;
  }
  engine::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) {
    why = errno == ENOTDIR ? "not a folder" : std::strerror(errno);
    return std::nullopt;
  }
  return OutputFolder(std::move(fd), path);
}

}  // namespace quorvant::cli
