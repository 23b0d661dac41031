// Skin pictures as platform bitmaps.
#include "lib/bsSkinData/Picture.h"
#include "platform/gui/Graphics.h"

TBitmap* TbsSkinPicture::Bitmap() const
{
    if (Empty()) return nullptr;
    if (!FBitmap)
    {
        auto* b = new TBitmap(FWidth, FHeight, pf24bit);
        for (int y = 0; y < FHeight; ++y)
        {
            auto* row = static_cast<std::uint8_t*>(b->ScanLine(y));
            const std::uint32_t* src = pixels_.data() + static_cast<std::size_t>(y) * FWidth;
            for (int x = 0; x < FWidth; ++x)
            {
                row[3 * x] = static_cast<std::uint8_t>(src[x]);
                row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
                row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
            }
        }
        FBitmap = std::unique_ptr<TBitmap, TbsBitmapDeleter>(b, TbsBitmapDeleter{[](TBitmap* p) { delete p; }});
    }
    return FBitmap.get();
}
