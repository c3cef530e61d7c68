#include "engine/commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "engine/convert.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using runtime::ValueRecord;

TEST(ValueRecord, SplitsA64BitPayloadIntoValueAndSecondWord) {
  ValueRecord r;
  r.set_payload(0x1122334455667788ull);
  EXPECT_EQ(r.value, 0x55667788u);
  EXPECT_EQ(r.second, 0x11223344u);
  const char* text = "x";
  EXPECT_EQ(ValueRecord::of_text(text).as_text(), text);
  EXPECT_EQ(ValueRecord::of_text(text).tag, runtime::tag::kText);
  EXPECT_TRUE(ValueRecord::of_bool(true).is_true());
  EXPECT_FALSE((ValueRecord{2, 0, runtime::tag::kBool}.is_true())) << "booleans are compared with 1";
  EXPECT_EQ(ValueRecord::of_int(-7).as_int(), -7);
}

TEST(EngineLibrary, ListsTheTenCommandsInTableOrder) {
  const runtime::LibraryRecord& library = engine_library();
  ASSERT_EQ(library.command_count, 10);
  const char* expected[] = {"JPG", "BMP", "PBM", "PCX", "PGM", "PIC", "PNG", "PPM", "SGI", "TIF"};
  for (int i = 0; i < 10; ++i) EXPECT_STREQ(library.commands[i].name, expected[i]);
  EXPECT_EQ(library.notify(1, 0, 0), 0);
  EXPECT_EQ(library.notify(6, 0, 0), -1);
  EXPECT_EQ(library.notify(0, 0, 0), -1);
}

class CommandTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;
  std::string picture_ = files_.file("picture.bmp");

  void SetUp() override { testing::write_bytes(picture_, testing::make_bmp({}, testing::gradient)); }
  void TearDown() override { EXPECT_TRUE(scratch_.files().empty()) << "a command left a temporary file behind"; }

  static runtime::CommandEntry command(std::string_view name) {
    const runtime::LibraryRecord& library = engine_library();
    for (int i = 0; i < library.command_count; ++i) {
      if (library.commands[i].name == name) return library.commands[i].entry;
    }
    ADD_FAILURE() << "no command " << name;
    return nullptr;
  }
  static int32_t call(std::string_view name, std::vector<ValueRecord> args) {
    ValueRecord result;
    command(name)(&result, static_cast<int32_t>(args.size()), args.data());
    EXPECT_EQ(result.tag, runtime::tag::kInt);
    return result.as_int();
  }
  static ValueRecord text(const std::string& s) { return ValueRecord::of_text(s.c_str()); }
  // The two paths followed by options each command accepts.
  static std::vector<ValueRecord> valid_call(std::string_view name, const std::string& source,
                                             const std::string& destination) {
    std::vector<ValueRecord> args = {text(source), text(destination)};
    if (name == "JPG") {
      args.insert(args.end(), {ValueRecord::of_bool(false), ValueRecord::of_int(75), ValueRecord::of_bool(false),
                               ValueRecord::of_int(0)});
    } else if (name == "PNG") {
      args.push_back(ValueRecord::of_int(24));
    } else if (name == "TIF" || name == "PPM" || name == "PGM") {
      args.push_back(ValueRecord::of_bool(true));
    }
    return args;
  }
};

TEST_F(CommandTest, JpgAndBmpCommandsWriteTheirFiles) {
  const std::string jpg = files_.file("out.jpg");
  const std::string bmp = files_.file("out.bmp");
  EXPECT_EQ(call("JPG", {text(picture_), text(jpg), ValueRecord::of_bool(false), ValueRecord::of_int(90),
                         ValueRecord::of_bool(true), ValueRecord::of_int(0)}),
            1);
  EXPECT_EQ(testing::read_jpeg_markers(testing::read_bytes(jpg)).components, 3);
  EXPECT_EQ(call("BMP", {text(jpg), text(bmp)}), 1);
  EXPECT_EQ(testing::decode_with_netpbm_bmp(bmp).width, 4);
}

TEST_F(CommandTest, JpgGreyArgumentMakesAGreyFile) {
  const std::string jpg = files_.file("grey.jpg");
  ASSERT_EQ(call("JPG", {text(picture_), text(jpg), ValueRecord::of_bool(true), ValueRecord::of_int(75),
                         ValueRecord::of_bool(false), ValueRecord::of_int(10)}),
            1);
  EXPECT_EQ(testing::read_jpeg_markers(testing::read_bytes(jpg)).components, 1);
}

TEST_F(CommandTest, BadArgumentsGiveMinusSevenAndTouchNothing) {
  const std::string out = files_.file("out.jpg");
  auto jpg = [&](int quality, int smoothing) {
    return call("JPG", {text(picture_), text(out), ValueRecord::of_bool(false), ValueRecord::of_int(quality),
                        ValueRecord::of_bool(false), ValueRecord::of_int(smoothing)});
  };
  EXPECT_EQ(jpg(0, 0), -7);
  EXPECT_EQ(jpg(101, 0), -7);
  EXPECT_EQ(jpg(50, -1), -7);
  EXPECT_EQ(jpg(50, 101), -7);
  EXPECT_EQ(jpg(1, 100), 1) << "the bounds themselves are accepted";
  std::remove(out.c_str());

  const std::string png = files_.file("out.png");
  EXPECT_EQ(call("PNG", {text(picture_), text(png), ValueRecord::of_int(32)}), -7);
  EXPECT_FALSE(testing::file_exists(png));

  for (const char* name : {"JPG", "BMP", "PBM", "PCX", "PGM", "PIC", "PNG", "PPM", "SGI", "TIF"}) {
    EXPECT_EQ(call(name, {ValueRecord::of_text(nullptr), text(out), ValueRecord::of_int(24)}), -7) << name;
    EXPECT_EQ(call(name, {text(picture_), ValueRecord{}, ValueRecord::of_int(24)}), -7) << name;
    EXPECT_EQ(call(name, {ValueRecord::of_int(5), text(out), ValueRecord::of_int(24)}), -7)
        << name << ": a path must be a text";
  }
  // Missing JPG options read as omitted records: quality 0 is out of range.
  EXPECT_EQ(call("JPG", {text(picture_), text(out)}), -7);
  EXPECT_FALSE(testing::file_exists(out));
}

TEST_F(CommandTest, MissingSourceGivesMinusOneBeforeAnyFileIsMade) {
  const std::string missing = files_.file("missing.jpg");
  for (const char* name : {"JPG", "BMP", "PBM", "PCX", "PGM", "PIC", "PNG", "PPM", "SGI", "TIF"}) {
    const std::string out = files_.file(std::string("out-") + name);
    EXPECT_EQ(call(name, valid_call(name, missing, out)), -1) << name;
    EXPECT_FALSE(testing::file_exists(out)) << name;
  }
  EXPECT_EQ(call("BMP", {text(""), text(files_.file("x.bmp"))}), -1) << "an empty path names no file";
}

TEST_F(CommandTest, UnreadableSourcesGiveMinusThree) {
  const std::string out = files_.file("out.bmp");
  const std::string text_file = files_.file("notes.jpg");
  testing::write_bytes(text_file, std::vector<uint8_t>(1000, 'a'));
  EXPECT_EQ(call("BMP", {text(text_file), text(out)}), -3);
  EXPECT_EQ(call("BMP", {text(files_.path()), text(out)}), -3) << "a folder is not a picture";
  EXPECT_EQ(call("BMP", {text(testing::corpus("jpeg/monkey12.jpg")), text(out)}), -3);
  EXPECT_EQ(call("BMP", {text(testing::corpus("tiff/rgb-3c-8b.ppm")), text(out)}), -3) << "PNM is never read";
  // A file that starts like a JPEG but is none: the JPEG reader declines it
  // and no later reader takes it.
  std::vector<uint8_t> fake(3000, 0x41);
  fake[0] = 0xFF;
  fake[1] = 0xD8;
  const std::string fake_path = files_.file("fake.jpg");
  testing::write_bytes(fake_path, fake);
  EXPECT_EQ(call("BMP", {text(fake_path), text(out)}), -3);
  EXPECT_FALSE(testing::file_exists(out));
}

TEST_F(CommandTest, UnwritableDestinationGivesMinusFour) {
  const std::string out = files_.path() + "/no-such-folder/out";
  EXPECT_EQ(call("BMP", {text(picture_), text(out + ".bmp")}), -4);
  EXPECT_EQ(call("JPG", {text(picture_), text(out + ".jpg"), ValueRecord::of_bool(false), ValueRecord::of_int(75),
                         ValueRecord::of_bool(false), ValueRecord::of_int(0)}),
            -4);
}

TEST_F(CommandTest, BmpCommandBringsAGreyPictureToTwentyFourBits) {
  std::vector<uint8_t> samples(8 * 8, 77);
  const std::string grey = files_.file("grey.jpg");
  testing::write_bytes(grey, testing::make_jpeg(8, 8, 1, samples, 100));
  const std::string out = files_.file("grey.bmp");
  ASSERT_EQ(call("BMP", {text(grey), text(out)}), 1);
  const testing::Pnm decoded = testing::decode_with_netpbm_bmp(out);
  ASSERT_EQ(decoded.channels, 3);
  EXPECT_NEAR(decoded.samples[0], 77, 1);
  EXPECT_EQ(decoded.samples[0], decoded.samples[2]);
}

TEST_F(CommandTest, ArgumentsBeyondTheCountReadAsOmitted) {
  const std::string out = files_.file("out.bmp");
  ValueRecord args[1] = {text(picture_)};
  ValueRecord result;
  command("BMP")(&result, 1, args);
  EXPECT_EQ(result.as_int(), -7);
}

}  // namespace
}  // namespace quorvant::engine
