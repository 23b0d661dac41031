// Skinned box controls: the list box with its inner list and popup, the
// combo box, the edits, and the up-down pair (the page control's tab
// scroller). The declarations live in part headers of the unit's folder, one
// per family.
#pragma once
#include "lib/bsSkinBoxCtrls/ListBox.h"
#include "lib/bsSkinBoxCtrls/Edit.h"
#include "lib/bsSkinBoxCtrls/ComboBox.h"
#include "lib/bsSkinBoxCtrls/UpDown.h"
