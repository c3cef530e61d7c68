// lcms2's profiles and transforms as owned handles: each is released when
// its handle goes, whichever way the code leaves.
#pragma once

#include <lcms2.h>

#include <memory>

namespace quorvant::engine::colour {

struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

struct TransformDelete {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

struct ToneCurveFree {
  void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using ToneCurve = std::unique_ptr<cmsToneCurve, ToneCurveFree>;

struct MluFree {
  void operator()(cmsMLU* mlu) const { cmsMLUfree(mlu); }
};
using Mlu = std::unique_ptr<cmsMLU, MluFree>;

}  // namespace quorvant::engine::colour
