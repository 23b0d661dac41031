// Skinned menus: popup menus and their levels, the controller every skinned
// form runs its menus through, the main menu bar, and the image-grid menu
// that skinned buttons drop down; drawn from the skin store's popup-window,
// menu-item and button pictures, or in a plain look without a skin.
#pragma once
#include "lib/bsSkinMenus/PopupMenus.h"
#include "lib/bsSkinMenus/MenuBar.h"
#include "lib/bsSkinMenus/ImagesMenu.h"
