// The kept inputs of the window runtime's picture decoding and of the form
// template reader, replayed through the functions their fuzzers call. The
// crafted ones are listed in their folder's cases.txt with what each must
// give; the fuzzers' own findings, which have no line, must only pass
// through without a fault (which the sanitizer build would report).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "fuzz/targets/fuzz_targets.h"
#include "tests/robustness/manifest.h"
#include "tests/support/test_support.h"
#include "ui/form_reader/form_template.h"
#include "ui/form_reader/property_bag.h"
#include "ui/form_reader/type_catalog.h"
#include "ui/skinned/skinned_catalog.h"

namespace quorvant::testing {
namespace {

// The kept inputs of one fuzzer and the cases of its manifest; fails the
// test when there are none, or when a case names a file that is not there.
struct Findings {
  std::string folder;
  std::vector<std::string> files;
  std::vector<ManifestLine> cases;

  const ManifestLine* case_of(const std::string& file) const {
    const auto found = std::find_if(cases.begin(), cases.end(), [&](const ManifestLine& c) { return c.file == file; });
    return found == cases.end() ? nullptr : &*found;
  }
};

Findings findings_of(const std::string& fuzzer) {
  Findings kept;
  kept.folder = std::string(QUORVANT_REGRESSIONS) + "/" + fuzzer;
  kept.files = files_beside_manifest(kept.folder);
  kept.cases = read_manifest(kept.folder + "/cases.txt");
  EXPECT_FALSE(kept.files.empty()) << "no inputs are kept in " << kept.folder;
  EXPECT_FALSE(kept.cases.empty()) << "no cases in " << kept.folder << "/cases.txt";
  std::set<std::string> seen;
  for (const ManifestLine& c : kept.cases) {
    EXPECT_TRUE(std::binary_search(kept.files.begin(), kept.files.end(), c.file))
        << "cases.txt:" << c.number << " names " << c.file << ", which is not there";
    EXPECT_TRUE(seen.insert(c.file).second) << "cases.txt:" << c.number << " lists " << c.file << " again";
  }
  return kept;
}

std::string trace(const std::string& file, const ManifestLine* c) {
  return c == nullptr ? file + " (a finding without a case)"
                      : "cases.txt:" + std::to_string(c->number) + ": " + c->text;
}

// ---------------------------------------------------------------- pictures

// "FILE refused" or "FILE WxH [pixel=X,Y,RRGGBB ...]"
void expect_picture_case(const std::optional<QImage>& picture, const ManifestLine& c) {
  ASSERT_FALSE(c.fields.empty()) << "a case says refused or WxH";
  if (c.fields[0] == "refused") {
    EXPECT_FALSE(picture) << "decoded to " << picture->width() << " x " << picture->height();
    EXPECT_EQ(c.fields.size(), 1u) << "a refused picture has no pixels to check";
    return;
  }
  const auto size = picture_size(c.fields[0]);
  ASSERT_TRUE(size) << "a case says refused or WxH, not " << c.fields[0];
  ASSERT_TRUE(picture) << "refused";
  EXPECT_EQ(picture->width(), size->first);
  EXPECT_EQ(picture->height(), size->second);
  for (size_t i = 1; i < c.fields.size(); ++i) {
    const auto pixel = field_value(c.fields[i], "pixel");
    int x = -1, y = -1;
    unsigned colour = 0;
    ASSERT_TRUE(pixel && std::sscanf(pixel->c_str(), "%d,%d,%6x", &x, &y, &colour) == 3)
        << "a pixel is pixel=X,Y,RRGGBB, not " << c.fields[i];
    ASSERT_TRUE(picture->valid(x, y)) << c.fields[i] << " is outside the picture";
    EXPECT_EQ(picture->pixel(x, y) & 0xFFFFFFu, colour) << "at " << x << ", " << y;
  }
}

TEST(Replay, PictureDecodingFindings) {
  const Findings kept = findings_of("picture");
  for (const std::string& file : kept.files) {
    const ManifestLine* c = kept.case_of(file);
    SCOPED_TRACE(trace(file, c));
    const std::vector<uint8_t> bytes = read_bytes(kept.folder + "/" + file);
    const std::optional<QImage> picture = fuzz::decode_and_read_picture(bytes);
    // What the decoding promises of every picture it gives.
    if (picture) {
      EXPECT_TRUE(picture->format() == QImage::Format_RGB32 || picture->format() == QImage::Format_Mono)
          << picture->format();
      EXPECT_GT(picture->width(), 0);
      EXPECT_GT(picture->height(), 0);
    }
    if (c != nullptr) expect_picture_case(picture, *c);
  }
}

// ---------------------------------------------------------------- form templates

const ui::form::TypeInfo* find_type(uint32_t type_id) {
  const ui::form::TypeInfo* type = ui::form::find_core_type(type_id);
  return type != nullptr ? type : ui::skinned::find_skinned_type(type_id);
}

// "I,J,..." of a field "name=I,J,...", added to `into`; false when the
// field is another one.
bool read_indices(const std::string& field, const std::string& name, std::set<size_t>& into) {
  const auto value = field_value(field, name);
  if (!value) return false;
  size_t start = 0;
  while (start <= value->size()) {
    const size_t comma = std::min(value->find(',', start), value->size());
    const auto index = whole_number(value->substr(start, comma - start));
    EXPECT_TRUE(index) << "element positions are numbers: " << field;
    if (index) into.insert(static_cast<size_t>(*index));
    start = comma + 1;
  }
  return true;
}

// "FILE refused" or "FILE elements=N [malformed=I,...] [blob-refused=I,...]"
void expect_form_case(const std::optional<ui::form::Form>& form, size_t elements_read, const ManifestLine& c) {
  ASSERT_FALSE(c.fields.empty()) << "a case says refused or elements=N";
  if (c.fields[0] == "refused") {
    EXPECT_FALSE(form) << "the template loaded";
    EXPECT_EQ(elements_read, 0u);
    return;
  }
  const auto count = field_value(c.fields[0], "elements");
  const auto expected = count ? whole_number(*count) : std::nullopt;
  ASSERT_TRUE(expected) << "a case says refused or elements=N, not " << c.fields[0];
  std::set<size_t> malformed;
  std::set<size_t> blob_refused;
  for (size_t i = 1; i < c.fields.size(); ++i) {
    const bool known =
        read_indices(c.fields[i], "malformed", malformed) || read_indices(c.fields[i], "blob-refused", blob_refused);
    EXPECT_TRUE(known) << "unknown field " << c.fields[i];
  }
  ASSERT_TRUE(form) << "the template was refused";
  EXPECT_EQ(elements_read, *expected) << "elements the fuzzer's work read";

  size_t position = 0;
  for (const ui::form::WindowTemplate& window : form->windows) {
    for (const ui::form::ElementRecord& element : window.elements) {
      SCOPED_TRACE("element " + std::to_string(position) + ", " + element.name());
      EXPECT_EQ(element.well_formed(), !malformed.contains(position));
      const ui::form::TypeInfo* type = find_type(element.type_id());
      if (element.well_formed() && !element.is_menu_item() && type != nullptr) {
        const auto bag = ui::form::read_properties(type->schema, element.property_blob());
        EXPECT_EQ(bag.has_value(), !blob_refused.contains(position)) << "the property blob of a " << type->name;
        if (bag) {
          const ui::form::Bytes again = ui::form::write_properties(type->schema, *bag);
          EXPECT_TRUE(std::ranges::equal(again, element.property_blob()))
              << "the blob does not encode again to the same bytes";
        }
      } else {
        EXPECT_FALSE(blob_refused.contains(position)) << "no property blob of a known type to refuse";
      }
      ++position;
    }
  }
  EXPECT_EQ(position, *expected) << "elements the template holds";
}

TEST(Replay, FormTemplateFindings) {
  const Findings kept = findings_of("form");
  for (const std::string& file : kept.files) {
    const ManifestLine* c = kept.case_of(file);
    SCOPED_TRACE(trace(file, c));
    const std::vector<uint8_t> bytes = read_bytes(kept.folder + "/" + file);
    const size_t elements_read = fuzz::read_whole_form(bytes);
    const std::optional<ui::form::Form> form = ui::form::load_form(bytes, 16);
    // What the reader promises of every template it loads.
    for (const auto& window : form ? form->windows : std::vector<ui::form::WindowTemplate>{}) {
      EXPECT_EQ(window.bindings.size(), window.elements.size());
      for (const auto& element : window.elements) EXPECT_LE(element.property_blob().size(), bytes.size());
    }
    if (c != nullptr) expect_form_case(form, elements_read, *c);
  }
}

}  // namespace
}  // namespace quorvant::testing
