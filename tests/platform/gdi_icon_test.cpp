// Icons: stock pictures, scaled copies, drawing by alpha, masks.
#include "platform/os/GdiIcon.h"

#include <gtest/gtest.h>

TEST(GdiIcon, StockIconsHaveShapeAndClearCorners)
{
    for (int id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK})
    {
        HICON i = LoadIcon(nullptr, id);
        ASSERT_NE(i, nullptr) << id;
        const TSurface* s = IconSurface(i);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Width(), 32);
        EXPECT_EQ(s->Height(), 32);
        EXPECT_EQ(PixelA(s->Pixel(0, 0)), 0) << id;       // corner clear
        EXPECT_EQ(PixelA(s->Pixel(16, 20)), 255) << id;   // body opaque
        EXPECT_EQ(LoadIcon(nullptr, id), i);              // the same stock object
        EXPECT_TRUE(DestroyIcon(i));                      // stock: kept
        EXPECT_NE(IconSurface(i), nullptr);
    }
    EXPECT_EQ(LoadIcon(nullptr, 12345), nullptr);
    EXPECT_EQ(LoadIcon(reinterpret_cast<HINSTANCE>(1), IDI_HAND), nullptr);
    // The error icon is red, the information icon blue.
    const TSurface* err = IconSurface(LoadIcon(nullptr, IDI_HAND));
    EXPECT_GT(PixelR(err->Pixel(5, 16)), 150);
    const TSurface* inf = IconSurface(LoadIcon(nullptr, IDI_INFORMATION));
    EXPECT_GT(PixelB(inf->Pixel(5, 16)), 150);
}

TEST(GdiIcon, CopyDrawAndMasks)
{
    TSurface pic(4, 4);
    pic.Fill(MakePixel(255, 0, 0, 255));
    pic.SetPixel(0, 0, 0);                             // clear
    pic.SetPixel(3, 3, MakePixel(0, 0, 255, 128));     // half
    HICON icon = CreateIconFromSurface(pic);
    ASSERT_NE(icon, nullptr);

    auto* small = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 2, 2, LR_COPYFROMRESOURCE));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(IconSurface(small)->Width(), 2);
    EXPECT_EQ(IconSurface(small)->Pixel(1, 0), MakePixel(255, 0, 0, 255));
    EXPECT_EQ(CopyImage(icon, IMAGE_BITMAP, 2, 2, 0), nullptr);

    TSurface s(6, 6);
    s.Fill(MakePixel(255, 255, 255));
    HDC dc = CreateSurfaceDC(&s, TPoint(), TRegion(s.Bounds()));
    EXPECT_TRUE(DrawIconEx(dc, 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(s.Pixel(1, 1), MakePixel(255, 255, 255));   // clear pixel shows the background
    EXPECT_EQ(s.Pixel(2, 1), MakePixel(255, 0, 0));
    EXPECT_EQ(PixelR(s.Pixel(4, 4)), 127);                // half blue over white
    EXPECT_EQ(PixelB(s.Pixel(4, 4)), 255);
    EXPECT_EQ(s.Pixel(5, 5), MakePixel(255, 255, 255));   // outside the icon
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 6, 6, 0, nullptr, DI_MASK));
    EXPECT_EQ(s.Pixel(5, 0), MakePixel(0, 0, 0));

    ICONINFO ii;
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    EXPECT_EQ(GetBitmapSurface(ii.hbmMask)->Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(GetBitmapSurface(ii.hbmMask)->Pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(GetBitmapSurface(ii.hbmColor)->Pixel(3, 3), MakePixel(0, 0, 255, 128));
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);

    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_FALSE(DestroyIcon(small));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
    auto* moved = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 0, 0, LR_COPYDELETEORG));
    EXPECT_NE(moved, nullptr);
    EXPECT_EQ(IconSurface(icon), nullptr);   // the original went
    DestroyIcon(moved);
    DeleteDC(dc);
}
