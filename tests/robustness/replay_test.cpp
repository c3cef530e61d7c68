// The kept fuzzing findings of the window runtime's picture decoding and of
// the form template reader, replayed.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/targets/fuzz_targets.h"
#include "tests/support/test_support.h"
#include "ui/form/form_template.h"

namespace quorvant::testing {
namespace {

std::vector<std::string> findings(const std::string& fuzzer) {
  std::vector<std::string> files;
  const std::string folder = std::string(QUORVANT_REGRESSIONS) + "/" + fuzzer;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path().string());
  return files;
}

TEST(Replay, PictureDecodingFindings) {
  const auto files = findings("picture");
  if (files.empty()) GTEST_SKIP() << "no findings of the picture decoding's fuzzer are kept";
  for (const std::string& file : files) {
    const std::vector<uint8_t> bytes = read_bytes(file);
    const auto picture = fuzz::decode_and_read_picture(bytes);
    if (picture) {
      EXPECT_GT(picture->width() * picture->height(), 0) << file;
    }
  }
}

TEST(Replay, FormTemplateFindings) {
  const auto files = findings("form");
  if (files.empty()) GTEST_SKIP() << "no findings of the template reader's fuzzer are kept";
  for (const std::string& file : files) {
    const std::vector<uint8_t> bytes = read_bytes(file);
    // Under the sanitizers, reading every field is the test.
    fuzz::read_whole_form(bytes);
    const auto form = ui::form::load_form(bytes, 16);
    for (const auto& window : form ? form->windows : std::vector<ui::form::WindowTemplate>{}) {
      for (const auto& element : window.elements) {
        (void)element.name();
        (void)element.bindings();
        EXPECT_LE(element.property_blob().size(), bytes.size()) << file;
      }
    }
  }
}

}  // namespace
}  // namespace quorvant::testing
