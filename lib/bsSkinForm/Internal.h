// What the parts of the form skinning component share. The parts:
//   Form.cpp           window procedure, frame geometry, painting, hit testing, skin changes
//   Objects.cpp        caption objects
//   States.cpp         window states, size limits, roll-up, notification area
//   MoveSize.cpp       move/size loop, magnetic edges, alpha and fade-in, border upkeep
//   LayeredBorder.cpp  the layered border and its windows
//   Mdi.cpp            MDI client, arrangement, window menu
//   MdiTabs.cpp        the MDI tabs bar and its tabs
#pragma once
#include <functional>
#include <vector>

class TCustomForm;

namespace bsskinform
{
// An alpha fade from 0 to target: steps of target / 15 (at least 1), the
// first at once and each further one when more than 5 ms (by the clock) have
// passed; `apply` takes each new alpha. Busy: no messages are served.
// Returns the number of steps.
int FadeSteps(int target, const std::function<void(int)>& apply);
// The MDI children of a main form, top first.
std::vector<TCustomForm*> MDIChildList(TCustomForm* main);
}  // namespace bsskinform
