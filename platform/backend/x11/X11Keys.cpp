// Keysyms -> the layer's virtual keys.
#include <X11/keysym.h>

#include "platform/backend/x11/X11Internal.h"
#include "platform/core/VirtualKeys.h"

namespace backend::x11
{
int VirtualKeyOf(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z) return int('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return int(sym);
    if (sym >= XK_0 && sym <= XK_9) return int(sym);
    if (sym >= XK_F1 && sym <= XK_F12) return VK_F1 + int(sym - XK_F1);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return VK_NUMPAD0 + int(sym - XK_KP_0);
    switch (sym)
    {
    case XK_Left: case XK_KP_Left: return VK_LEFT;
    case XK_Right: case XK_KP_Right: return VK_RIGHT;
    case XK_Up: case XK_KP_Up: return VK_UP;
    case XK_Down: case XK_KP_Down: return VK_DOWN;
    case XK_Home: case XK_KP_Home: return VK_HOME;
    case XK_End: case XK_KP_End: return VK_END;
    case XK_Prior: case XK_KP_Prior: return VK_PRIOR;
    case XK_Next: case XK_KP_Next: return VK_NEXT;
    case XK_Insert: case XK_KP_Insert: return VK_INSERT;
    case XK_Delete: case XK_KP_Delete: return VK_DELETE;
    case XK_KP_Begin: return VK_CLEAR;
    case XK_Tab: case XK_ISO_Left_Tab: case XK_KP_Tab: return VK_TAB;
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_BackSpace: return VK_BACK;
    case XK_space: case XK_KP_Space: return VK_SPACE;
    // The layer keeps the generic modifier keys; left and right are one key here.
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L: case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R: return VK_MENU;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_Num_Lock: return VK_NUMLOCK;
    case XK_Scroll_Lock: return VK_SCROLL;
    case XK_Pause: return VK_PAUSE;
    case XK_Print: return VK_SNAPSHOT;
    case XK_Super_L: return VK_LWIN;
    case XK_Menu: return VK_APPS;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: case XK_KP_Separator: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    case XK_semicolon: return VK_OEM_1;
    case XK_equal: return VK_OEM_PLUS;
    case XK_comma: return VK_OEM_COMMA;
    case XK_minus: return VK_OEM_MINUS;
    case XK_period: return VK_OEM_PERIOD;
    case XK_slash: return VK_OEM_2;
    case XK_grave: return VK_OEM_3;
    case XK_bracketleft: return VK_OEM_4;
    case XK_backslash: return VK_OEM_5;
    case XK_bracketright: return VK_OEM_6;
    case XK_apostrophe: return VK_OEM_7;
    }
    return 0;
}

bool LayerTranslates(int vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return true;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return true;
    switch (vk)
    {
    case VK_SPACE: case VK_RETURN: case VK_BACK: case VK_TAB: case VK_ESCAPE:
    case VK_MULTIPLY: case VK_ADD: case VK_SUBTRACT: case VK_DECIMAL: case VK_DIVIDE:
    case VK_OEM_1: case VK_OEM_PLUS: case VK_OEM_COMMA: case VK_OEM_MINUS: case VK_OEM_PERIOD:
    case VK_OEM_2: case VK_OEM_3: case VK_OEM_4: case VK_OEM_5: case VK_OEM_6: case VK_OEM_7:
        return true;
    }
    return false;
}
} // namespace backend::x11
