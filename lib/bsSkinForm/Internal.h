// What only the parts of the form skinning component share.
//   Form.cpp          window procedure, geometry, painting, hit test, skin changes
//   Objects.cpp       caption buttons and the caption text object
//   Morph.cpp         fades of the caption objects, their timers, activity
//   Animated.cpp      user objects and animated objects
//   QuickButtons.cpp  quick buttons of the caption
//   ClientPanel.cpp   inactive client panel, component lookups
//   Icon.cpp          caption icon, printing into a DC, layered-border notice
#pragma once
#include "lib/bsSkinForm.h"
#include "platform/os/GdiIcon.h"

namespace skinform
{
// Blends `from` towards `to` by kf (0..1) with the transition `kind`.
void BlendEffect(TbsEffectBmp* from, TbsEffectBmp* to, TbsMorphKind kind, double kf);
// The skin's automatic inactive look applied to a work bitmap.
void ApplyInActiveEffect(TbsEffectBmp* e, TbsInActiveEffect effect);
// Copies `src` of `pic` to `dst` of the canvas (stretched when sizes differ).
void CopyPicture(TCanvas* C, const TRect& dst, TBitmap* pic, const TRect& src);
}  // namespace skinform
