// Cases found missing when the skin data and bitmap code was checked through.
#include <gtest/gtest.h>

#include "lib/bsEffects.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"

namespace
{
TEST(AuditBitmap, AssignToTheClipboard)
{
    TbsBitmap a;
    a.SetSize(3, 2);
    a.Clear(0xFF0000FF);
    a.SetPixel(2, 1, 0xFF00FF00);
    TClipboard* clip = Clipboard();
    clip->Clear();
    clip->Assign(&a);   // the clipboard asks the bitmap to put itself there
    ASSERT_TRUE(clip->HasFormat(CF_BITMAP));
    TBitmap back;
    back.Assign(clip);
    ASSERT_EQ(back.GetWidth(), 3);
    ASSERT_EQ(back.GetHeight(), 2);
    EXPECT_EQ(back.GetPixel32(2, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(back.GetPixel32(0, 0) & 0xFFFFFF, 0x0000FFu);
    clip->Clear();
}
}  // namespace
