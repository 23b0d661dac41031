// Precompiled for the program's test programs: the skin set and the program's
// own headers.
#pragma once
#include "tests/common/precompiled/skin.h"

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/catalogue/Catalogue.h"
