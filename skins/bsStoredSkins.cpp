#include "skins/bsStoredSkins.h"

#include "lib/bsSkinData.h"

#include <stdexcept>
#include <string>

// Defined by the generated data file.
extern const TbsStoredSkinInfo bsStoredSkinTable[];
extern const int bsStoredSkinTableCount;

int bsStoredSkinCount() { return bsStoredSkinTableCount; }

const TbsStoredSkinInfo& bsStoredSkin(int index)
{
    if (index < 0 || index >= bsStoredSkinTableCount)
        throw std::out_of_range("no stored skin " + std::to_string(index));
    return bsStoredSkinTable[index];
}

void bsLoadStoredSkins(TbsCompressedSkinList& list)
{
    for (int i = 0; i < bsStoredSkinTableCount; ++i)
    {
        const TbsStoredSkinInfo& s = bsStoredSkinTable[i];
        TbsSkinListItem* item = list.Add();
        item->Name = s.Name;
        item->SetCompressedFileName(s.FileName);
        item->Skin()->LoadFromCompressStream(s.Data, s.Size);
    }
}
