// Skinned menus: the popup menus, the main menu bar and the image-grid menu
// that skinned buttons drop down, drawn from the skin store's popup-window,
// menu-item and button pictures, or in a plain look without a skin.
#pragma once
#include "bsSkinMenus/ImagesMenu.h"
