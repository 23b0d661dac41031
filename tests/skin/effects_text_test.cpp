// Glow, plate and reflection text effects: the glow appears in its colour
// around (or below) the text, the text itself in the device context's colour.
#include "lib/bsEffects.h"
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"

#include <gtest/gtest.h>

namespace
{
// Pixels whose colour leans to the glow colour (green) / the text colour (white).
int CountGreenish(const TbsBitmap& b, const TRect& area)
{
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            const TbsColor p = b.GetPixel(x, y);
            if (((p >> 8) & 0xFF) > 0 && ((p >> 16) & 0xFF) == 0) ++n;
        }
    return n;
}
}  // namespace

TEST(EffectsText, GlowPlateAndReflection)
{
    const TRect text(40, 20, 160, 44);
    for (int kind = 1; kind <= 4; ++kind) {
        TbsBitmap b;
        b.SetSize(200, 100);
        b.Clear(0xFF000000);
        HDC dc = b.GetDC();
        SetTextColor(dc, RGB(255, 255, 255));
        const UINT fmt = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
        int result = 1;
        switch (kind) {
        case 1: DrawEffectText(dc, text, "Glow 中文", 4, RGB(0, 255, 0), 0, fmt); break;
        case 2: result = DrawEffectText2(dc, text, "Glow 中文", 4, RGB(0, 255, 0), 2, fmt); break;
        case 3: result = DrawEffectText3(dc, text, "Glow 中文", RGB(0, 255, 0), fmt); break;
        case 4: DrawEffectText4(dc, text, "Glow 中文", RGB(0, 255, 0), 1, DT_SINGLELINE | DT_CENTER); break;
        }
        EXPECT_GT(result, 0) << kind;
        // The text is drawn in white inside its rectangle.
        int white = 0;
        for (int y = text.Top; y < text.Bottom; ++y)
            for (int x = text.Left; x < text.Right; ++x) white += ((b.GetPixel(x, y) >> 16) & 0xFF) > 200;
        EXPECT_GT(white, 5) << kind;
        if (kind == 4) {
            TSize ext;
            GetTextExtentPoint32(dc, "Glow 中文", &ext);
            // The mirror starts below the text's foot and fades downwards.
            EXPECT_GT(CountGreenish(b, TRect(0, text.Top + ext.cy, 200, 100)), 5);
            EXPECT_EQ(CountGreenish(b, TRect(0, 0, 200, 20)), 0);
        } else {
            EXPECT_GT(CountGreenish(b, TRect(0, 0, 200, 100)), 20) << kind;
        }
    }
    // Empty rectangles and texts are harmless.
    TbsBitmap b;
    b.SetSize(10, 10);
    DrawEffectText(b.GetDC(), TRect(5, 5, 5, 5), "x", 0, 0, 0, 0);
    DrawEffectText4(b.GetDC(), TRect(5, 5, 4, 4), "", 0, 0, 0);
    DrawEffectText3(b.GetDC(), TRect(0, 0, 10, 10), "", 0, 0);
}
