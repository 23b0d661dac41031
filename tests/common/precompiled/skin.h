// Precompiled for the skin layer's test programs: the platform set and the
// skin library's heaviest headers.
#pragma once
#include "tests/common/precompiled/platform.h"

#include "lib/bsEffects.h"
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinForm.h"
