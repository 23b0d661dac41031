// libFuzzer target: the compressed skin readers. The first byte picks the
// road: the outer container with zlib data as stored in form data and files,
// or an inner stream (version, flagged pictures, picture count, pictures,
// text) handed to the store behind a valid zlib wrapper.
#include <cstdint>
#include <vector>

#include "lib/bsSkinData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const bool inner = (data[0] & 1) != 0;
    ++data;
    --size;
    TbsCompressedStoredSkin skin;
    try
    {
        if (inner)
            skin.SetCompressedData(bsCompressBytes(data, size, TCompressionLevel::clFastest));
        else
            skin.LoadFromCompressStream(data, size);
        TbsSkinData store;
        store.LoadCompressedStoredSkin(&skin);
        if (!store.Empty)
        {
            for (int i = 0; i < store.ActivePicturesCount(); ++i)
                if (store.ActivePicture(i)->Pixels().size() !=
                    static_cast<std::size_t>(store.ActivePicture(i)->Width()) * store.ActivePicture(i)->Height())
                    __builtin_trap();
            TbsCompressedStoredSkin again;
            again.LoadFromSkinData(store);
        }
    }
    catch (const Exception&)
    {
    }
    return 0;
}
