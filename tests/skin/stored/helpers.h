// Shared pieces of the stored-skin tests.
#pragma once
#include "lib/bsSkinData.h"
#include "skins/bsStoredSkins.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace storedtest
{
// The stored skin `index` loaded into a store of its own.
inline std::unique_ptr<TbsSkinData> Load(int index)
{
    const TbsStoredSkinInfo& s = bsStoredSkin(index);
    TbsCompressedStoredSkin stored;
    stored.LoadFromCompressStream(s.Data, s.Size);
    auto data = std::make_unique<TbsSkinData>();
    data->LoadCompressedStoredSkin(&stored);
    return data;
}

inline std::vector<std::uint8_t> Bytes(int index)
{
    const TbsStoredSkinInfo& s = bsStoredSkin(index);
    return std::vector<std::uint8_t>(s.Data, s.Data + s.Size);
}

inline std::string SkinName(const testing::TestParamInfo<int>& info)
{
    std::string f = bsStoredSkin(info.param).FileName;
    return f.substr(0, f.find('.'));
}
}  // namespace storedtest
