// Skin pictures as platform bitmaps.
#include "lib/bsSkinData/Picture.h"
#include "platform/gui/Graphics.h"

TBitmap* TbsSkinPicture::Bitmap() const
{
    if (Empty()) return nullptr;
    if (!bitmap_)
    {
        auto* b = new TBitmap(width_, height_, pf24bit);
        for (int y = 0; y < height_; ++y)
        {
            auto* row = static_cast<std::uint8_t*>(b->ScanLine(y));
            const std::uint32_t* src = pixels_.data() + static_cast<std::size_t>(y) * width_;
            for (int x = 0; x < width_; ++x)
            {
                row[3 * x] = static_cast<std::uint8_t>(src[x]);
                row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
                row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
            }
        }
        bitmap_ = std::unique_ptr<TBitmap, TbsBitmapDeleter>(b, TbsBitmapDeleter{[](TBitmap* p) { delete p; }});
    }
    return bitmap_.get();
}
