// The catalogue's pictures, drawn by code: 44 category pictures and 7 preset
// pictures of 32 x 32 pixels, as 0xAARRGGBB values row by row. The first
// twelve category pictures are also the settings window's categories.
#pragma once
#include <array>
#include <cstdint>

namespace catalogue {

constexpr int kPictureSize = 32;
constexpr int kCategoryPictureCount = 44;
constexpr int kPresetPictureCount = 7;
using Picture = std::array<std::uint32_t, kPictureSize * kPictureSize>;

// A fully transparent picture outside the counts.
Picture CategoryPicture(int index);
Picture PresetPicture(int index);

}  // namespace catalogue
