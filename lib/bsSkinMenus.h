// The skinned menus: popup menus and their levels, the controller every
// skinned form runs its menus through, and the main menu bar.
#pragma once
#include "lib/bsSkinMenus/PopupMenus.h"
#include "lib/bsSkinMenus/MenuBar.h"
