#include "engine/colour/profiles.h"

#include <array>
#include <cmath>

namespace quorvant::engine::colour {

namespace {

// sRGB's primaries and white point (D65), as CIE x, y: white, red, green,
// blue, the order of PNG's cHRM chunk.
constexpr std::array<double, 8> kSrgbChromaticities = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};

// A gAMA chunk outside this range says nothing a photo could mean (1/gamma
// of 20 or 1/20); libpng accepts far wider values.
constexpr double kLeastFileGamma = 0.05;
constexpr double kMostFileGamma = 20.0;

// iCCP's profile name holds 1 to 79 Latin-1 characters.
constexpr size_t kLongestName = 79;
constexpr char kUnnamedProfile[] = "ICC Profile";

bool is_chromaticity(double value) { return std::isfinite(value) && value >= 0.0 && value <= 1.0; }

Profile described(Profile profile, const char* description) {
  if (!profile) return profile;
  const Mlu text(cmsMLUalloc(nullptr, 1));
  if (text && cmsMLUsetASCII(text.get(), "en", "US", description)) {
    cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, text.get());
  }
  return profile;
}

}  // namespace

Profile open_profile(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return nullptr;
  return Profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

Profile png_chunks_profile(const PngColourChunks& chunks, bool grey) {
  if (!chunks.gamma || !(*chunks.gamma >= kLeastFileGamma && *chunks.gamma <= kMostFileGamma)) return nullptr;
  const std::array<double, 8> xy = chunks.chromaticities.value_or(kSrgbChromaticities);
  for (double value : xy) {
    if (!is_chromaticity(value)) return nullptr;
  }
  // A y of 0 puts the colour at infinity: no colour space.
  if (xy[1] <= 0.0 || xy[3] <= 0.0 || xy[5] <= 0.0 || xy[7] <= 0.0) return nullptr;

  // The file stores samples as linear^gamma; decoding raises them to 1/gamma.
  const ToneCurve curve(cmsBuildGamma(nullptr, 1.0 / *chunks.gamma));
  if (!curve) return nullptr;
  const cmsCIExyY white{xy[0], xy[1], 1.0};
  if (grey) return described(Profile(cmsCreateGrayProfile(&white, curve.get())), "PNG gAMA grey");
  const cmsCIExyYTRIPLE primaries{{xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}, {xy[6], xy[7], 1.0}};
  cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
  // lcms2 answers primaries that span no colour space (all on one line)
  // with no profile.
  return described(Profile(cmsCreateRGBProfile(&white, &primaries, curves)), "PNG gAMA and cHRM");
}

Profile srgb_grey_profile() {
  // sRGB's curve: linear near black, then a 2.4 power with an offset.
  const cmsFloat64Number srgb_curve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  const ToneCurve curve(cmsBuildParametricToneCurve(nullptr, 4, srgb_curve));
  if (!curve) return nullptr;
  const cmsCIExyY d65{kSrgbChromaticities[0], kSrgbChromaticities[1], 1.0};
  return described(Profile(cmsCreateGrayProfile(&d65, curve.get())), "sRGB grey");
}

std::vector<uint8_t> serialised(void* profile) {
  cmsUInt32Number size = 0;
  if (profile == nullptr || !cmsSaveProfileToMem(profile, nullptr, &size) || size == 0) return {};
  std::vector<uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) return {};
  bytes.resize(size);
  return bytes;
}

bool is_rgb_profile(std::span<const uint8_t> bytes) {
  const Profile profile = open_profile(bytes);
  return profile && cmsGetColorSpace(profile.get()) == cmsSigRgbData;
}

std::string profile_name(std::span<const uint8_t> bytes) {
  const Profile profile = open_profile(bytes);
  std::array<char, 256> description{};
  if (!profile || cmsGetProfileInfoASCII(profile.get(), cmsInfoDescription, "en", "US", description.data(),
                                         static_cast<cmsUInt32Number>(description.size())) == 0) {
    return kUnnamedProfile;
  }
  // Printable characters only, with no leading, trailing or doubled spaces.
  std::string name;
  for (const char c : description) {
    if (c == '\0') break;
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) continue;
    if (byte == ' ' && (name.empty() || name.back() == ' ')) continue;
    if (name.size() == kLongestName) break;
    name.push_back(c);
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name.empty() ? kUnnamedProfile : name;
}

}  // namespace quorvant::engine::colour
