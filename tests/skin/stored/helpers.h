// Shared pieces of the stored-skin tests.
#pragma once
#include "lib/bsSkinData.h"
#include "skins/bsStoredSkins.h"

#include <gtest/gtest.h>

#include <array>
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

// The stored skin `index` with key=value lines of its description set
// (section, key, value), as a stored skin of its own.
inline std::unique_ptr<TbsCompressedStoredSkin> Edited(int index,
                                                       const std::vector<std::array<std::string, 3>>& edits)
{
    auto d = Load(index);
    TbsCompressedStoredSkin plain;
    plain.LoadFromSkinData(*d);
    std::vector<std::uint8_t> inner;
    plain.DeCompressToStream(inner);
    // The inner stream ends with the description text.
    const std::string text = d->DescriptionText();
    inner.resize(inner.size() - text.size());
    TbsIniFile ini(text);
    for (const auto& [section, key, value] : edits) ini.WriteString(section, key, value);
    const std::string edited = ini.GetText();
    inner.insert(inner.end(), edited.begin(), edited.end());
    auto out = std::make_unique<TbsCompressedStoredSkin>();
    out->SetCompressedData(bsCompressBytes(inner.data(), inner.size(), TCompressionLevel::clFastest));
    return out;
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
