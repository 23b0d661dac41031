// Draws one stored skin from its theme: the frame picture, its inactive
// picture or the auto-rendering flag, the mask, the atlas pictures with every
// look in every state, the popup, hint and layered frame pictures; and fills
// every section and entry of the description.
#pragma once
#include "lib/bsSkinData.h"
#include "tools/skingen/Theme.h"

#include <memory>

namespace skingen
{
// A store holding the theme's skin (no change messages are sent).
std::unique_ptr<TbsSkinData> BuildSkin(const Theme& theme);
}  // namespace skingen
