// Skinned box controls: the up-down pair (the page control's tab scroller).
#pragma once
#include "lib/bsSkinBoxCtrls/UpDown.h"
