// What only the parts of the form skinning component share. The parts:
//   Form.cpp           window procedure, frame geometry, painting, hit testing, skin changes
//   Objects.cpp        caption buttons and the caption text object
//   Morph.cpp          fades of the caption objects, their timers, activity
//   Animated.cpp       user objects and animated objects
//   QuickButtons.cpp   quick buttons of the caption
//   ClientPanel.cpp    inactive client panel, component lookups
//   Icon.cpp           caption icon, printing into a DC, layered-border notice
//   States.cpp         window states, size limits, roll-up, notification area
//   MoveSize.cpp       move/size loop, magnetic edges, alpha and fade-in, border upkeep
//   LayeredBorder.cpp  the layered border and its windows
//   Mdi.cpp            MDI client, arrangement, window menu
//   MdiTabs.cpp        the MDI tabs bar and its tabs
#pragma once
#include <functional>
#include <vector>

#include "lib/bsSkinForm.h"
#include "platform/os/GdiIcon.h"

class TCustomForm;

namespace bsskinform
{
// Milliseconds between the steps of a fade-in (more than the 5 each step waits for).
constexpr unsigned kFadeInterval = 6;
// The MDI children of a main form, top first.
std::vector<TCustomForm*> MDIChildList(TCustomForm* main);
}  // namespace bsskinform

namespace skinform
{
// Blends `from` towards `to` by kf (0..1) with the transition `kind`.
void BlendEffect(TbsEffectBmp* from, TbsEffectBmp* to, TbsMorphKind kind, double kf);
// The skin's automatic inactive look applied to a work bitmap.
void ApplyInActiveEffect(TbsEffectBmp* e, TbsInActiveEffect effect);
// Copies `src` of `pic` to `dst` of the canvas (stretched when sizes differ).
void CopyPicture(TCanvas* C, const TRect& dst, TBitmap* pic, const TRect& src);
}  // namespace skinform
