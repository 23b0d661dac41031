// Compression over zlib, compressed skins, stored skins and skin lists.
#include <gtest/gtest.h>

#include <cstring>
#include <future>

#include "skin/skindata_helpers.h"

using namespace skintest;

namespace
{

TEST(Zlib, RoundTripsAndHeader)
{
    Bytes empty = bsCompressBytes(nullptr, 0);
    EXPECT_TRUE(bsDecompressBytes(empty.data(), empty.size(), 100).empty());

    std::string text(50000, 'x');
    for (std::size_t i = 0; i < text.size(); i += 7) text[i] = static_cast<char>('a' + i % 26);
    Bytes a = bsCompressBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    Bytes b = bsCompressBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    EXPECT_EQ(a, b);
    ASSERT_GE(a.size(), 2u);
    EXPECT_EQ(a[0], 0x78);
    EXPECT_EQ(a[1], 0xDA);
    Bytes back = bsDecompressBytes(a.data(), a.size(), 1 << 20);
    EXPECT_EQ(std::string(back.begin(), back.end()), text);
    // Bytes after the end of the zlib stream are not read.
    Bytes trailing = a;
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_EQ(bsDecompressBytes(trailing.data(), trailing.size(), 1 << 20).size(), text.size());
}

TEST(Zlib, DamagedDataAndBombs)
{
    std::string text(100000, 'q');
    Bytes z = bsCompressBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    for (std::size_t cut : {std::size_t(0), std::size_t(1), std::size_t(2), z.size() / 2, z.size() - 1})
        EXPECT_THROW(bsDecompressBytes(z.data(), cut, 1 << 20), EDecompressionError) << cut;
    Bytes garbage = ToBytes("this is not zlib at all");
    try
    {
        bsDecompressBytes(garbage.data(), garbage.size(), 1 << 20);
        FAIL();
    }
    catch (const EDecompressionError& e)
    {
        EXPECT_STREQ(e.what(), "compression error");
    }
    Bytes flipped = z;
    flipped.back() ^= 0x55;   // the checksum no longer matches
    EXPECT_THROW(bsDecompressBytes(flipped.data(), flipped.size(), 1 << 20), EDecompressionError);
    // Far more output than the limit: stopped, not allocated.
    Bytes zeros(16u << 20, 0);
    Bytes bomb = bsCompressBytes(zeros.data(), zeros.size());
    EXPECT_THROW(bsDecompressBytes(bomb.data(), bomb.size(), 1 << 20), EDecompressionError);
}

TEST(CompressedSkin, InnerLayout)
{
    auto d = LoadedStore("layout");
    TbsCompressedStoredSkin s;
    s.LoadFromSkinData(*d);
    Bytes inner;
    s.DeCompressToStream(inner);
    ASSERT_GT(inner.size(), 20u);
    EXPECT_EQ(Bytes(inner.begin(), inner.begin() + 4), Int32(3));
    EXPECT_EQ(inner[4], 0);   // main picture follows
    const Bytes& main = d->FPicture.BmpData();
    EXPECT_TRUE(std::equal(main.begin(), main.end(), inner.begin() + 5));
    std::size_t at = 5 + main.size();
    EXPECT_EQ(inner[at], 1);   // no inactive picture
    EXPECT_EQ(inner[at + 1], 0);
    at += 2 + d->FMask.BmpData().size();
    EXPECT_EQ(Bytes(inner.begin() + at, inner.begin() + at + 4), Int32(2));
    at += 4 + d->ActivePicture(0)->BmpData().size() + d->ActivePicture(1)->BmpData().size();
    std::string text(inner.begin() + at, inner.end());
    EXPECT_EQ(text.rfind("[VERSION]\r\nver=1\r\n", 0), 0u);
    EXPECT_EQ(text, d->DescriptionText());
}

TEST(CompressedSkin, RoundTripIsByteIdentical)
{
    auto d = LoadedStore("identical");
    TbsCompressedStoredSkin first;
    first.LoadFromSkinData(*d);

    TbsSkinData e;
    e.LoadCompressedStoredSkin(&first);
    EXPECT_FALSE(e.Empty);
    EXPECT_EQ(e.DescriptionText(), d->DescriptionText());
    EXPECT_EQ(e.ActivePicture(0)->BitCount(), 8);   // each picture keeps its own format
    TbsCompressedStoredSkin second;
    second.LoadFromSkinData(e);
    EXPECT_EQ(second.CompressedData(), first.CompressedData());

    // Through a compressed file.
    std::string dir = TempDir("identical-file");
    e.SaveToCompressedFile(dir + "skin.skn");
    TbsSkinData f;
    f.LoadFromCompressedFile(dir + "skin.skn");
    TbsCompressedStoredSkin third;
    third.LoadFromSkinData(f);
    EXPECT_EQ(third.CompressedData(), first.CompressedData());
    Bytes file = ToBytes(ReadFile(dir + "skin.skn"));
    EXPECT_EQ(file, first.SaveToCompressStream());
}

TEST(CompressedSkin, FromDescriptionFileKeepsItsText)
{
    std::string dir = TempDir("fromini");
    std::string file = MakeSkinDir(dir);
    TbsCompressedStoredSkin s;
    s.LoadFromIniFile(file);
    ASSERT_FALSE(s.Empty());
    Bytes inner;
    s.DeCompressToStream(inner);
    std::string text = SkinText();
    ASSERT_GT(inner.size(), text.size());
    EXPECT_EQ(std::string(inner.end() - static_cast<std::ptrdiff_t>(text.size()), inner.end()), text);
    TbsSkinData d;
    d.LoadCompressedStoredSkin(&s);
    EXPECT_EQ(d.SkinName, "Test skin 测试");
    EXPECT_EQ(d.GetControlIndex("panel"), 1);

    // Without a required section nothing changes.
    WriteFile(dir + "partial.ini", "[VERSION]\r\nskinname=x\r\n");
    Bytes before = s.CompressedData();
    s.LoadFromIniFile(dir + "partial.ini");
    EXPECT_EQ(s.CompressedData(), before);
    // Run-time file name changes only the text.
    s.SetFileName(dir + "partial.ini");
    EXPECT_EQ(s.FileName(), dir + "partial.ini");
    EXPECT_EQ(s.CompressedData(), before);
}

TEST(CompressedSkin, ContainersAndVersions)
{
    TbsCompressedStoredSkin empty;
    EXPECT_EQ(empty.SaveToCompressStream(), Cat({Int32(3), Int32(0)}));
    TbsCompressedStoredSkin back;
    back.LoadFromCompressStream(empty.SaveToCompressStream());
    EXPECT_TRUE(back.Empty());
    std::string dir = TempDir("containers");
    empty.SaveToCompressFile(dir + "none.skn");
    EXPECT_FALSE(fs::exists(dir + "none.skn"));

    // Outer version 4: an empty stored skin; the store then loads nothing.
    TbsCompressedStoredSkin v4;
    v4.LoadFromCompressStream(Cat({Int32(4), Int32(3), Bytes{1, 2, 3}}));
    EXPECT_TRUE(v4.Empty());
    WriteFile(dir + "v4.skn", std::string("\x04\0\0\0\x03\0\0\0abc", 11));
    auto d = LoadedStore("containers-store");
    FormLog log;
    log.Add("f");
    ScopedForms scope(log);
    d->LoadFromCompressedFile(dir + "v4.skn");
    EXPECT_EQ(d->SkinName, "Test skin 测试");

    // Inner version 4: nothing changes, nothing is sent.
    auto inner4 = FromInner(Cat({Int32(4), Bytes{1, 1, 1}, Int32(0)}));
    d->LoadCompressedStoredSkin(inner4.get());
    EXPECT_EQ(d->SkinName, "Test skin 测试");
    EXPECT_TRUE(log.Received.empty());
}

TEST(CompressedSkin, OlderInnerVersions)
{
    std::string text = SkinText("old");
    Bytes pic = ToBytes(Bmp8(3, 3));
    for (int version : {0, 1, 2})
    {
        Bytes inner = Cat({Int32(version), Bytes{0}, pic, Bytes{1, 1}});
        if (version == 2) inner = Cat({inner, Bytes{0}, pic, Bytes{1}});   // two extra pictures, skipped
        inner = Cat({inner, Int32(2), pic, pic, ToBytes(text)});
        auto s = FromInner(inner);
        TbsSkinData d;
        d.LoadCompressedStoredSkin(s.get());
        EXPECT_FALSE(d.Empty) << version;
        EXPECT_EQ(d.SkinName, "old") << version;
        EXPECT_EQ(d.FPicture.Width(), 3) << version;
        EXPECT_EQ(d.ActivePicturesCount(), 2) << version;
    }
}

// Every kind of damage: a clear error, the old skin kept, no message sent.
TEST(CompressedSkin, DamagedInputsKeepTheOldSkin)
{
    Bytes pic = ToBytes(Bmp8(4, 4));
    Bytes text = ToBytes(SkinText("new"));
    Bytes bigSize = pic;
    bigSize[2] = 0xFF;   // size field larger than the data
    Bytes hugePicture = pic;
    hugePicture[18] = 0xFF;
    hugePicture[19] = 0xFF;   // 65535 pixels wide
    Bytes notBmp = pic;
    notBmp[0] = 'X';
    struct Case
    {
        const char* what;
        Bytes inner;
    } cases[] = {
        {"too short for a version", Bytes{3, 0}},
        {"ends after the version", Int32(3)},
        {"picture size field beyond the data", Cat({Int32(3), Bytes{0}, bigSize})},
        {"picture beyond the size limits", Cat({Int32(3), Bytes{0}, hugePicture})},
        {"not a bitmap", Cat({Int32(3), Bytes{0}, notBmp})},
        {"negative picture count", Cat({Int32(3), Bytes{1, 1, 1}, Int32(-1), text})},
        {"picture count beyond the data", Cat({Int32(3), Bytes{1, 1, 1}, Int32(1000000), text})},
        {"picture count with too few pictures", Cat({Int32(3), Bytes{1, 1, 1}, Int32(3), pic, pic})},
        {"malformed rect in the text",
         Cat({Int32(3), Bytes{1, 1, 1}, Int32(0), ToBytes("[FORMINFO]\r\nclientrect=1\r\n")})},
    };
    auto d = LoadedStore("damaged");
    FormLog log;
    log.Add("f");
    ScopedForms scope(log);
    for (const Case& c : cases)
    {
        auto s = FromInner(c.inner);
        EXPECT_THROW(d->LoadCompressedStoredSkin(s.get()), Exception) << c.what;
        EXPECT_EQ(d->SkinName, "Test skin 测试") << c.what;
        EXPECT_EQ(d->CtrlList.size(), 4u) << c.what;
    }
    // Compressed bytes that zlib rejects, or that end early.
    TbsCompressedStoredSkin good;
    good.LoadFromSkinData(*d);
    Bytes z = good.CompressedData();
    TbsCompressedStoredSkin cut;
    cut.SetCompressedData(Bytes(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(z.size() / 2)));
    EXPECT_THROW(d->LoadCompressedStoredSkin(&cut), EDecompressionError);
    TbsCompressedStoredSkin junk;
    junk.SetCompressedData(ToBytes("junk junk junk"));
    EXPECT_THROW(d->LoadCompressedStoredSkin(&junk), EDecompressionError);
    EXPECT_TRUE(log.Received.empty());
    EXPECT_FALSE(d->Empty);

    // Containers whose length runs past the data.
    for (const Bytes& c : {Cat({Int32(3), Int32(100), Bytes{1, 2}}), Cat({Int32(3), Int32(-5)}), Cat({Int32(3)}),
                           Bytes{3}})
    {
        TbsCompressedStoredSkin s;
        s.SetCompressedData(z);
        EXPECT_THROW(s.LoadFromCompressStream(c), Exception);
        EXPECT_TRUE(s.Empty());
    }
}

// A skin decoded ahead on another thread loads exactly as the skin decoded in
// place; a decoding that failed leaves the load to fail as it always does;
// new bytes drop a decoding of the old ones.
TEST(CompressedSkin, DecodedAheadLoadsAndFailsAsInPlace)
{
    auto d = LoadedStore("ahead");
    TbsCompressedStoredSkin stored;
    stored.LoadFromSkinData(*d);
    const Bytes container = stored.SaveToCompressStream();
    auto ahead = [](const Bytes& c) {
        return std::async(std::launch::async,
                          [c] { return TbsCompressedStoredSkin::DecodeCompressStream(c.data(), c.size()); });
    };

    TbsSkinData inPlace, fromAhead;
    inPlace.LoadCompressedStoredSkin(&stored);
    stored.SetDecodedAhead(ahead(container));
    EXPECT_TRUE(fromAhead.LoadCompressedStoredSkin(&stored));
    EXPECT_EQ(fromAhead.DescriptionText(), inPlace.DescriptionText());
    ASSERT_EQ(fromAhead.ActivePicturesCount(), inPlace.ActivePicturesCount());
    for (int i = 0; i < inPlace.ActivePicturesCount(); ++i)
        EXPECT_EQ(fromAhead.ActivePicture(i)->Pixels(), inPlace.ActivePicture(i)->Pixels()) << i;
    EXPECT_EQ(fromAhead.FMask.Pixels(), inPlace.FMask.Pixels());
    // Taken once: the next load decodes in place, the same again.
    EXPECT_TRUE(fromAhead.LoadCompressedStoredSkin(&stored));
    EXPECT_EQ(fromAhead.DescriptionText(), inPlace.DescriptionText());

    // Damaged bytes: the decoding ahead fails, the load raises the same error
    // as without it and the store keeps its skin.
    const Bytes z = stored.CompressedData();
    const Bytes cut(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(z.size() / 2));
    const Bytes damagedInner = bsCompressBytes(Int32(3).data(), 4);
    for (const Bytes& bytes : {cut, damagedInner})
    {
        TbsCompressedStoredSkin damaged;
        damaged.SetCompressedData(bytes);
        std::string plain;
        try
        {
            inPlace.LoadCompressedStoredSkin(&damaged);
        }
        catch (const std::exception& e)
        {
            plain = e.what();
        }
        ASSERT_FALSE(plain.empty());
        damaged.SetDecodedAhead(ahead(damaged.SaveToCompressStream()));
        try
        {
            fromAhead.LoadCompressedStoredSkin(&damaged);
            ADD_FAILURE() << "the damaged skin loaded";
        }
        catch (const std::exception& e)
        {
            EXPECT_EQ(e.what(), plain);
        }
        EXPECT_EQ(fromAhead.SkinName, "Test skin 测试");
    }

    // New bytes drop the decoding of the old ones.
    auto other = LoadedStore("ahead-other");
    other->SkinName = "Other";
    TbsCompressedStoredSkin replaced;
    replaced.SetDecodedAhead(ahead(container));
    replaced.LoadFromSkinData(*other);
    TbsSkinData e;
    e.LoadCompressedStoredSkin(&replaced);
    EXPECT_EQ(e.SkinName, "Other");
}

// Cutting a compressed skin's inner stream anywhere never crashes: either the
// shorter skin loads (a cut inside the text) or the old skin stays.
TEST(CompressedSkin, EveryTruncationIsSafe)
{
    auto d = LoadedStore("truncation");
    TbsCompressedStoredSkin good;
    good.LoadFromSkinData(*d);
    Bytes inner;
    good.DeCompressToStream(inner);
    const std::size_t textStart = inner.size() - d->DescriptionText().size();
    TbsSkinData target;
    target.LoadCompressedStoredSkin(&good);
    // Cut points: the first bytes, a few bytes around every item boundary,
    // and a sweep through the rest.
    std::vector<std::size_t> cuts;
    for (std::size_t n = 0; n < 64; ++n) cuts.push_back(n);
    std::size_t at = 5 + d->FPicture.BmpData().size();
    std::vector<std::size_t> bounds{at, at + 1, at + 2 + d->FMask.BmpData().size()};
    at = bounds.back() + 4;
    bounds.push_back(at);
    for (int i = 0; i < d->ActivePicturesCount(); ++i) bounds.push_back(at += d->ActivePicture(i)->BmpData().size());
    for (std::size_t b : bounds)
        for (std::size_t k = b - 2; k <= b + 2; ++k) cuts.push_back(k);
    for (std::size_t n = 64; n < inner.size(); n += 499) cuts.push_back(n);
    for (std::size_t n : cuts)
    {
        auto s = FromInner(Bytes(inner.begin(), inner.begin() + static_cast<std::ptrdiff_t>(n)));
        bool threw = false;
        try
        {
            target.LoadCompressedStoredSkin(s.get());
        }
        catch (const Exception&)
        {
            threw = true;
        }
        if (n < textStart)
        {
            EXPECT_TRUE(threw) << n;
        }
        if (threw)
        {
            EXPECT_EQ(target.SkinName, "Test skin 测试") << n;
        }
        if (!threw) target.LoadCompressedStoredSkin(&good);
    }
}

TEST(SkinList, NamesAndIndex)
{
    TbsCompressedSkinList list;
    auto d = LoadedStore("list-src");
    for (int i = 0; i < 3; ++i) list.Add();
    EXPECT_EQ(list.Item(0)->Name, "bsSkin0");
    EXPECT_EQ(list.Item(2)->Name, "bsSkin2");
    list.Delete(0);
    EXPECT_EQ(list.Item(0)->Name, "bsSkin1");
    EXPECT_THROW(list.Item(5), Exception);

    // Item 0 holds the test skin, item 1 stays empty.
    list.Item(0)->Skin()->LoadFromSkinData(*d);
    Bytes raw = list.Item(0)->SkinData();
    TbsSkinListItem* copy = list.Add();
    copy->SetSkinData(raw);
    EXPECT_EQ(copy->Skin()->CompressedData(), list.Item(0)->Skin()->CompressedData());

    FormLog log;
    log.Add("f");
    ScopedForms scope(log);
    TbsSkinData s;
    s.SetSkinIndex(2);               // no list yet: stored as it is
    EXPECT_EQ(s.SkinIndex(), 2);
    s.SetSkinList(&list);            // linking the list loads item 2
    EXPECT_EQ(s.SkinName, "Test skin 测试");
    EXPECT_EQ(log.Order(BSM_SKINDATA_CHANGE).size(), 1u);
    s.SetSkinIndex(2);               // same value: no reload
    s.SetSkinIndex(7);               // out of range: ignored
    s.SetSkinIndex(-1);
    EXPECT_EQ(s.SkinIndex(), 2);
    EXPECT_EQ(log.Order(BSM_SKINDATA_CHANGE).size(), 1u);
    // An empty stored skin or one of a newer format cannot be shown: an
    // error, index and skin stay.
    EXPECT_THROW(s.SetSkinIndex(1), EbsSkinDataError);
    TbsSkinData pending;
    pending.SetSkinIndex(1);
    EXPECT_THROW(pending.SetSkinList(&list), EbsSkinDataError);   // linking loads it
    EXPECT_TRUE(pending.Empty);
    list.Item(1)->Skin()->SetCompressedData(FromInner(Cat({Int32(4), Bytes{1, 1, 1}, Int32(0)}))->CompressedData());
    EXPECT_THROW(s.SetSkinIndex(1), EbsSkinDataError);
    EXPECT_EQ(s.SkinIndex(), 2);
    EXPECT_EQ(s.SkinName, "Test skin 测试");
    EXPECT_EQ(log.Order(BSM_SKINDATA_CHANGE).size(), 1u);

    // A damaged stored skin raises; index and skin stay.
    list.Item(1)->Skin()->SetCompressedData(ToBytes("damaged"));
    s.SetSkinIndex(0);
    EXPECT_THROW(s.SetSkinIndex(1), EDecompressionError);
    EXPECT_EQ(s.SkinIndex(), 0);
    EXPECT_FALSE(s.Empty);

    // A designed store loads nothing; a removed list is unlinked.
    TbsSkinData designed;
    designed.SetDesigning(true);
    auto* other = new TbsCompressedSkinList(nullptr);
    other->SetSkins(list.Skins());
    EXPECT_EQ(other->Count(), list.Count());
    EXPECT_EQ(other->Item(0)->Name, "bsSkin1");
    designed.SetSkinList(other);
    EXPECT_TRUE(designed.Empty);
    delete other;
    EXPECT_EQ(designed.SkinList(), nullptr);
}

TEST(SkinList, StoredSkinLinkLoadsAtOnce)
{
    auto d = LoadedStore("link");
    TbsCompressedStoredSkin s;
    s.LoadFromSkinData(*d);
    TbsSkinData e;
    {
        TbsCompressedStoredSkin linked;
        linked.SetCompressedData(s.CompressedData());
        e.SetCompressedStoredSkin(&linked);
        EXPECT_EQ(e.SkinName, "Test skin 测试");
        // One that cannot be loaded raises; link and skin stay.
        TbsCompressedStoredSkin empty, damaged;
        damaged.SetCompressedData(ToBytes("damaged"));
        EXPECT_THROW(e.SetCompressedStoredSkin(&empty), EbsSkinDataError);
        EXPECT_THROW(e.SetCompressedStoredSkin(&damaged), EDecompressionError);
        EXPECT_EQ(e.CompressedStoredSkin(), &linked);
        EXPECT_EQ(e.SkinName, "Test skin 测试");
    }
    EXPECT_EQ(e.CompressedStoredSkin(), nullptr);   // removal unlinks it
}
} // namespace

namespace
{
// Random damage (a fixed sequence, so failures repeat) to the inner stream of
// a compressed skin: each load either succeeds or raises and keeps the skin.
TEST(CompressedSkin, RandomDamageNeverCrashes)
{
    auto d = LoadedStore("random");
    TbsCompressedStoredSkin good;
    good.LoadFromSkinData(*d);
    Bytes inner;
    good.DeCompressToStream(inner);
    std::uint32_t seed = 20261210;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    TbsSkinData target;
    target.LoadCompressedStoredSkin(&good);
    int failures = 0;
    for (int round = 0; round < 300; ++round)
    {
        Bytes damaged = inner;
        const int flips = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < flips; ++i)
        {
            // Mostly the headers and counts near the start, sometimes anywhere.
            std::size_t at = (next() % 3 == 0) ? next() % damaged.size() : next() % 64;
            damaged[at] = static_cast<std::uint8_t>(next());
        }
        auto s = FromInner(damaged);
        try
        {
            target.LoadCompressedStoredSkin(s.get());
        }
        catch (const Exception&)
        {
            ++failures;
            EXPECT_FALSE(target.Empty);
            EXPECT_FALSE(target.ChangeSkinDataProcess);
        }
        target.LoadCompressedStoredSkin(&good);
    }
    EXPECT_GT(failures, 0);
}
} // namespace

namespace
{
// While designed, naming a file loads it and keeps only its file-name part;
// while the form data load, the name is only stored.
TEST(SkinList, DesignTimeFileNamesLoadTheSkin)
{
    std::string dir = TempDir("design");
    std::string ini = MakeSkinDir(dir);
    TbsCompressedSkinList list;
    list.SetDesigning(true);
    TbsSkinListItem* item = list.Add();
    item->SetFileName(ini);
    EXPECT_EQ(item->FileName(), "skin.ini");
    ASSERT_FALSE(item->Skin()->Empty());
    item->Skin()->SaveToCompressFile(dir + "skin.skn");

    TbsSkinListItem* second = list.Add();
    second->SetCompressedFileName(dir + "skin.skn");
    EXPECT_EQ(second->CompressedFileName(), "skin.skn");
    EXPECT_EQ(second->Skin()->CompressedData(), item->Skin()->CompressedData());

    list.BeginLoading();
    TbsSkinListItem* third = list.Add();
    third->SetFileName(ini);
    EXPECT_EQ(third->FileName(), ini);
    EXPECT_TRUE(third->Skin()->Empty());
    list.EndLoading();

    TbsCompressedStoredSkin stored;
    stored.SetDesigning(true);
    stored.SetCompressedFileName(dir + "skin.skn");
    EXPECT_EQ(stored.CompressedFileName(), "skin.skn");
    EXPECT_FALSE(stored.Empty());
}
} // namespace
