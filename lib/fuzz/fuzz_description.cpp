// libFuzzer target: the skin description reader (ini dialect, value forms,
// FORMINFO, frame sections, both lists and every descriptor), then writing
// the skin back and reading it again.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lib/bsSkinData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A compressed skin without pictures whose text is the input.
    std::vector<std::uint8_t> inner{3, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0};
    inner.insert(inner.end(), data, data + size);
    TbsCompressedStoredSkin skin;
    skin.SetCompressedData(bsCompressBytes(inner.data(), inner.size(), TCompressionLevel::clFastest));
    TbsSkinData store;
    try
    {
        store.LoadCompressedStoredSkin(&skin);
    }
    catch (const Exception&)
    {
        return 0;
    }
    // What was read can be written and read back with the same entries.
    // (Values may differ: FORMINFO's adjustments are applied again, and
    // negative points come back positive.)
    TbsCompressedStoredSkin again;
    again.LoadFromSkinData(store);
    TbsSkinData second;
    second.LoadCompressedStoredSkin(&again);
    if (second.ObjectList.size() != store.ObjectList.size() || second.CtrlList.size() != store.CtrlList.size())
        __builtin_trap();
    for (std::size_t i = 0; i < store.CtrlList.size(); ++i)
        if (second.CtrlList[i]->IDName != store.CtrlList[i]->IDName ||
            bsSkinControlTypeWord(*second.CtrlList[i]) != bsSkinControlTypeWord(*store.CtrlList[i]))
            __builtin_trap();
    for (std::size_t i = 0; i < store.ObjectList.size(); ++i)
        if (second.ObjectList[i]->IDName != store.ObjectList[i]->IDName) __builtin_trap();
    return 0;
}
