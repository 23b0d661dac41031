// A picture of a skin: one complete BMP file, kept byte for byte so that a
// skin written back carries each picture in its own pixel format, together
// with its pixels decoded to 32-bit BGRA (top row first, alpha 255).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinData/Ini.h"

class TBitmap;

// Raised when the pictures of one skin would take more memory than a skin
// may have.
class EbsSkinTooLarge : public EbsSkinDataError
{
public:
    using EbsSkinDataError::EbsSkinDataError;
};

// The memory the pictures of one skin take once decoded (4 bytes a pixel),
// counted while the skin is read so that a skin beyond the limit is refused
// before its pictures are decoded.
class TbsPictureBudget
{
public:
    static constexpr std::int64_t MaxBytes = 256ll << 20;
    // Counts a picture of w x h; raises EbsSkinTooLarge when the skin's
    // pictures would then exceed MaxBytes.
    void Take(std::int64_t w, std::int64_t h);
    std::int64_t Used() const { return FUsed; }

private:
    std::int64_t FUsed = 0;
};

// Frees a picture's bitmap through a function set when the bitmap is made,
// so that readers of pictures need not link the graphics classes.
struct TbsBitmapDeleter
{
    void (*Free)(TBitmap*) = nullptr;
    void operator()(TBitmap* b) const
    {
        if (Free) Free(b);
    }
};

class TbsSkinPicture
{
public:
    TbsSkinPicture() = default;
    TbsSkinPicture(TbsSkinPicture&&) noexcept = default;
    TbsSkinPicture& operator=(TbsSkinPicture&&) noexcept = default;

    // Sane limits for pictures read from skins.
    static constexpr int MaxSide = 16384;
    static constexpr std::int64_t MaxPixels = 64ll << 20;

    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Bits per pixel of the BMP as stored (1, 4, 8, 16, 24 or 32).
    int BitCount() const { return FBitCount; }
    // Pixel (x, y) as 0xAARRGGBB; rows top first.
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
    std::uint32_t Pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * FWidth + x]; }
    // The complete BMP file (empty for an empty picture).
    const std::vector<std::uint8_t>& BmpData() const { return bmp_; }

    void Clear();
    // Takes one complete BMP file. Raises EbsSkinDataError "Bitmap image is
    // not valid" (with the reason) for anything that is not a readable BMP
    // within the limits; the picture is unchanged then. With a budget, the
    // picture is counted in it before its pixels are decoded.
    void LoadFromBmp(const std::uint8_t* data, std::size_t size, TbsPictureBudget* budget = nullptr);
    void LoadFromFile(const std::string& fileName, TbsPictureBudget* budget = nullptr);
    void SaveToFile(const std::string& fileName) const;
    // Builds a 24-bit BMP from pixels (0xAARRGGBB, top row first).
    void SetPixels(int width, int height, const std::vector<std::uint32_t>& pixels);

    // The picture as a 24-bit platform bitmap, made on first use; null for an
    // empty picture. It stays valid until the picture is loaded or cleared.
    TBitmap* Bitmap() const;

    // Length of the BMP file that begins at `data` as its header says, after
    // checking that it is a BMP header and that the file fits in `avail`
    // bytes; raises EbsSkinDataError otherwise.
    static std::size_t BmpFileSize(const std::uint8_t* data, std::size_t avail);

private:
    int FWidth = 0, FHeight = 0, FBitCount = 0;
    std::vector<std::uint32_t> pixels_;
    std::vector<std::uint8_t> bmp_;
    mutable std::unique_ptr<TBitmap, TbsBitmapDeleter> FBitmap;
};
