// Icons: 32-bit pictures with straight alpha, the system's stock icons, a
// scaled copy and drawing onto a device context.
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/os/Gdi.h"

struct IconObject
{
    TSurface Pixels;       // straight alpha
    bool IsIcon = true;    // false: a cursor picture
    TPoint Hotspot;
    bool Stock = false;    // stock icons are never destroyed
};

// Stock icon numbers (the message boxes' pictures).
constexpr int IDI_APPLICATION = 32512;
constexpr int IDI_HAND = 32513;
constexpr int IDI_QUESTION = 32514;
constexpr int IDI_EXCLAMATION = 32515;
constexpr int IDI_ASTERISK = 32516;
constexpr int IDI_ERROR = IDI_HAND;
constexpr int IDI_WARNING = IDI_EXCLAMATION;
constexpr int IDI_INFORMATION = IDI_ASTERISK;

// A stock icon (32 x 32) by number; the instance must be null (there are no
// icon resources). Null for an unknown number.
HICON LoadIcon(HINSTANCE instance, int id);
// An icon from a picture with straight alpha (copied).
HICON CreateIconFromSurface(const TSurface& pixels, bool isIcon = true, TPoint hotspot = TPoint());
// The picture of an icon, null for anything else.
const TSurface* IconSurface(HICON icon);
// Frees an icon; stock icons stay (TRUE). FALSE for an unknown handle.
BOOL DestroyIcon(HICON icon);

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_COPYDELETEORG = 0x0008;
constexpr UINT LR_COPYFROMRESOURCE = 0x4000;
// A copy of an icon at cx x cy (0: the icon's own size), scaled to the
// nearest pixel. LR_COPYDELETEORG destroys the original. Only icons are
// copied; null otherwise.
HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags);

constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_COMPAT = 0x0004;
constexpr UINT DI_DEFAULTSIZE = 0x0008;
// Draws the icon at (x, y) in cx x cy (0: its own size, or 32 x 32 with
// DI_DEFAULTSIZE), blended by its alpha. DI_IMAGE alone copies it opaque;
// DI_MASK alone draws its shape in black.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags);

struct ICONINFO
{
    BOOL fIcon = TRUE;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    HBITMAP hbmMask = nullptr;    // black where the icon shows, white where it is clear
    HBITMAP hbmColor = nullptr;   // the colour picture (32 bits, alpha kept)
};
// The icon's masks as two new bitmaps the caller deletes.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
