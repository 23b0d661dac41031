// The eleven stored skins the main window offers, compiled into the program.
// They are drawn at build time by tools/skingen from the theme descriptions
// in this folder and kept here as compressed skin containers.
#pragma once
#include <cstddef>
#include <cstdint>

class TbsCompressedSkinList;

struct TbsStoredSkinInfo
{
    int Index;                  // position in the skin list
    const char* Name;           // name shown, e.g. "OFFICE2007蓝色"
    const char* FileName;       // stored file name, e.g. "skin00_blue.skn"
    const std::uint8_t* Data;   // the compressed skin container (version, length, data)
    std::size_t Size;
};

// The stored skins in index order.
int bsStoredSkinCount();
const TbsStoredSkinInfo& bsStoredSkin(int index);

// Appends every stored skin to `list` in index order: each item gets the
// name shown, the stored file name as its CompressedFileName and the skin.
void bsLoadStoredSkins(TbsCompressedSkinList& list);
