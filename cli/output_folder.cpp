#include "cli/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/output_file.h"

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
  engine::remove_stale_private_names(fd.get());
  return OutputFolder(std::move(fd), path);
}

OutputFolder::OutputFolder(OutputFolder&& other) noexcept
    : fd_(std::move(other.fd_)), path_(std::move(other.path_)), cleaned_(std::move(other.cleaned_)) {}

engine::UniqueFd OutputFolder::below(const std::string& relative, std::string& why) {
  engine::UniqueFd folder = fd_.duplicate();
  for (const std::filesystem::path& part : std::filesystem::path(relative)) {
    const std::string name = part.string();
    if (!folder || name.empty() || name == ".") continue;
    if (::mkdirat(folder.get(), name.c_str(), 0777) != 0 && errno != EEXIST) {
      why = "cannot make the folder " + name + ": " + std::strerror(errno);
      return {};
    }
    folder.reset(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
      why = "cannot open the folder " + name + ": " +
            (errno == ELOOP || errno == ENOTDIR ? "it is not a folder" : std::strerror(errno));
      return {};
    }
  }
  if (!folder) {
    why = std::strerror(errno);
    return {};
  }
  std::lock_guard lock(mutex_);
  if (!relative.empty() && cleaned_.insert(relative).second) engine::remove_stale_private_names(folder.get());
  return folder;
}

}  // namespace quorvant::cli
