// The fuzz targets run without a screen: the broadcast finds no forms.
#include "lib/bsSkinData.h"

std::vector<TbsSkinFormTarget> bsScreenForms() { return {}; }
