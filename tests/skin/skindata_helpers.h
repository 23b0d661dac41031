// Small skins made by the skin-data tests themselves.
#pragma once
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lib/bsSkinData.h"

namespace skintest
{
namespace fs = std::filesystem;

// Folders made by TempDir, removed when the test process ends.
struct TempDirs
{
    std::vector<fs::path> made;
    ~TempDirs()
    {
        std::error_code ec;
        for (const auto& p : made) fs::remove_all(p, ec);
    }
};

// A fresh, empty folder for one test.
inline std::string TempDir(const std::string& name)
{
    static TempDirs dirs;
    fs::path p = fs::temp_directory_path() / ("quorvel-skindata-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    dirs.made.push_back(p);
    return p.string() + "/";
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline TbsSkinPicture MakePicture(int w, int h, std::uint32_t color)
{
    TbsSkinPicture p;
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, color);
    if (w > 1 && h > 1) px[1] = 0xFF010203u;
    p.SetPixels(w, h, px);
    return p;
}

// A palette BMP of w x h with `bits` bits a pixel and the given colour
// table, every pixel 0.
inline std::string PaletteBmp(int w, int h, int bits, const std::vector<std::uint32_t>& table)
{
    const std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
    const std::size_t off = 14 + 40 + 4 * table.size(), size = off + stride * h;
    std::string b(size, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(size));
    put32(10, static_cast<std::uint32_t>(off));
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    b[26] = 1;
    b[28] = static_cast<char>(bits);
    put32(46, static_cast<std::uint32_t>(table.size()));
    for (std::size_t i = 0; i < table.size(); ++i) put32(54 + 4 * i, table[i]);
    return b;
}

// An 8-bit BMP with a four-colour table, as the stored skins of the main
// window carry them.
inline std::string Bmp8(int w, int h)
{
    std::string b = PaletteBmp(w, h, 8, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    const std::size_t stride = ((static_cast<std::size_t>(w) * 8 + 31) / 32) * 4, off = 14 + 40 + 4 * 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b[off + stride * y + x] = static_cast<char>((x + y) % 4);
    return b;
}

// A description with pictures, both lists, the frame sections and a few of
// the quirks the format keeps.
inline std::string SkinText(const std::string& name = "Test skin 测试")
{
    return "; a small skin\r\n"
           "[VERSION]\r\nver=1\r\nskinname=" + name + "\r\nskinauthor=Quorvel\r\n"
           "authoremail=skins@example.org\r\nauthorurl=https://example.org\r\nskincomments=for tests\r\n\r\n"
           "[PICTURES]\r\npicture=main.bmp\r\ninactivepicture=\r\nmask=mask.bmp\r\n"
           "activepicturescount=2\r\n0=a0.bmp\r\n1=a1.bmp\r\n\r\n"
           "[FORMINFO]\r\nlefttoppoint=10,20\r\nrighttoppoint=90,20\r\nleftbottompoint=10,70\r\n"
           "rightbottompoint=90,70\r\nclientrect=12,25,88,65\r\nbgpictureindex=1\r\nmaskrectarea=0,0,0,0\r\n"
           "buttonsrect=1,2,3,4\r\nbuttonsoffset=3\r\nstretchtype=stvert\r\ninactiveeffect=iegrayscale\r\n\r\n"
           "[LAYERFRAME]\r\nalphablendvalue=200\r\n\r\n"
           "[HINTWINDOW]\r\nfontname=宋体\r\n\r\n"
           "[SKINOBJECTS]\r\ncount=4\r\n0=maxbutton:stdbutton\r\n1=caption:caption\r\n2=caption\r\n"
           "3=menuitem:menuitem\r\n\r\n"
           "[maxbutton]\r\nhint=Maximize\r\ncommand=cmmaximize\r\nskinrect=1, 2 ,3,4\r\n"
           "disableskinrsect=5,6,7,8\r\n\r\n"
           "[caption]\r\nfontstyle=fsitalic,fsbold\r\nreflactioncolor=255\r\nalignment=taleftjustify\r\n\r\n"
           "[menuitem]\r\ncheckimagerect=1,2,11,12\r\n\r\n"
           "[SKINCONTROLS]\r\ncount=5\r\n0=button:button\r\n1=panel:panel\r\n2=button:listbox\r\n"
           "3=odd:unknownword\r\n4=updown:updown\r\n\r\n"
           "[button]\r\npictureindex=0\r\nskinrect=0,0,20,10\r\nfontcolor=-16777201\r\nfontheight=0x10\r\n\r\n"
           "[panel]\r\nskinrect=0,0,30,30\r\nbuttonrect=1,1,2,2\r\n\r\n"
           "[updown]\r\nlefttoppoint=3,3\r\nclientrect=3,3,10,10\r\nupbuttonrect=0,0,5,5\r\n\r\n";
}

// Writes a skin folder (description plus BMP files); returns the
// description's path.
inline std::string MakeSkinDir(const std::string& dir, const std::string& text = SkinText())
{
    MakePicture(100, 90, 0xFF336699u).SaveToFile(dir + "main.bmp");
    MakePicture(100, 90, 0xFFFFFFFFu).SaveToFile(dir + "mask.bmp");
    WriteFile(dir + "a0.bmp", Bmp8(7, 5));
    MakePicture(3, 4, 0xFF00FF00u).SaveToFile(dir + "a1.bmp");
    WriteFile(dir + "skin.ini", text);
    return dir + "skin.ini";
}

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes Int32(std::int32_t v)
{
    Bytes b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A stored skin holding the given inner stream.
inline std::unique_ptr<TbsCompressedStoredSkin> FromInner(const Bytes& inner)
{
    auto s = std::make_unique<TbsCompressedStoredSkin>();
    s->SetCompressedData(bsCompressBytes(inner.data(), inner.size()));
    return s;
}

// A store loaded with the test skin.
inline std::unique_ptr<TbsSkinData> LoadedStore(const std::string& name)
{
    auto d = std::make_unique<TbsSkinData>();
    d->LoadFromFile(MakeSkinDir(TempDir(name)));
    return d;
}

// Test forms that record every message they receive.
struct FormLog
{
    std::vector<std::pair<std::string, UINT>> Received;
    std::vector<TbsSkinFormTarget> Forms;
    std::vector<std::unique_ptr<TComponent>> Components;

    // Each test form is a component of its own, named `name`.
    void Add(const std::string& name, const std::string& className = "TForm")
    {
        Components.push_back(std::make_unique<TComponent>(nullptr));
        TComponent* form = Components.back().get();
        form->SetName(name);
        TbsSkinFormTarget t;
        t.Form = form;
        t.ClassName = className;
        t.Send = [this, form](UINT msg, WPARAM, LPARAM lp) -> LRESULT {
            if (lp == BS_SKINDATA_LPARAM) Received.emplace_back(form->Name(), msg);
            return 0;
        };
        Forms.push_back(t);
    }
    TComponent* Form(int i) const { return Components[static_cast<std::size_t>(i)].get(); }
    std::vector<std::string> Order(UINT msg) const
    {
        std::vector<std::string> r;
        for (auto& [n, m] : Received)
            if (m == msg) r.push_back(n);
        return r;
    }
};

// Installs a form log as the broadcast's forms for the life of the object.
class ScopedForms
{
public:
    explicit ScopedForms(FormLog& log)
    {
        prev_ = bsSetSkinFormsProvider([&log] { return log.Forms; });
    }
    ~ScopedForms() { bsSetSkinFormsProvider(std::move(prev_)); }

private:
    TbsSkinFormsProvider prev_;
};
} // namespace skintest
