// Precompiled for the media layer's test programs: the platform set and the
// conversion engine's headers.
#pragma once
#include "tests/common/precompiled/platform.h"

#include "Src/FFConverter.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
