// Skin pictures as platform bitmaps.
#include "lib/bsSkinData/Picture.h"
#include "platform/gui/Graphics.h"

TBitmap* TbsSkinPicture::Bitmap() const
{
    if (Empty()) return nullptr;
    if (!FBitmap)
    {
        // 32 bits per pixel (opaque): every look of every control is copied
        // out of these pictures, and a 24-bit picture would be converted
        // whole into the drawing layer's pixels for each copy.
        auto* b = new TBitmap(FWidth, FHeight, pf32bit);
        for (int y = 0; y < FHeight; ++y)
        {
            auto* row = static_cast<std::uint32_t*>(b->ScanLine(y));
            const std::uint32_t* src = pixels_.data() + static_cast<std::size_t>(y) * FWidth;
            for (int x = 0; x < FWidth; ++x) row[x] = src[x] | 0xFF000000u;
        }
        FBitmap = std::unique_ptr<TBitmap, TbsBitmapDeleter>(b, TbsBitmapDeleter{[](TBitmap* p) { delete p; }});
    }
    return FBitmap.get();
}
