// A small skin for the skinned-control tests, written by the skin library's
// own description format into a temporary folder, and a fixture with a fresh
// headless desktop and a form that takes part in skin changes the way the
// form skinning component does.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/testing/Driver.h"
#include "skin/skindata_helpers.h"

namespace ctrltest
{
// Picture 0 encodes its coordinates: red = 4x, green = 4y, blue 0x80, so a
// drawn pixel tells which picture pixel it came from.
inline TbsSkinPicture CoordPicture(int w, int h)
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<std::size_t>(y) * w + x] = 0xFF000080u | (std::uint32_t(4 * x) << 16) | (std::uint32_t(4 * y) << 8);
    TbsSkinPicture p;
    p.SetPixels(w, h, px);
    return p;
}

inline COLORREF CoordColor(int x, int y) { return RGB(4 * x, 4 * y, 0x80); }

// Picture 1: a 20 x 20 mask, black in its top-left 10 x 10, white elsewhere.
inline TbsSkinPicture MaskPicture()
{
    std::vector<std::uint32_t> px(400, 0xFFFFFFFFu);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) px[static_cast<std::size_t>(y) * 20 + x] = 0xFF000000u;
    TbsSkinPicture p;
    p.SetPixels(20, 20, px);
    return p;
}

// A 16 x 16 image list whose image i is filled with colours[i].
inline std::unique_ptr<TCustomImageList> ColourList(std::initializer_list<TColor> colours)
{
    auto l = std::make_unique<TCustomImageList>(16, 16);
    for (TColor c : colours)
    {
        TBitmap b(16, 16, pf24bit);
        b.Canvas()->Brush()->SetColor(c);
        b.Canvas()->FillRect(TRect(0, 0, 16, 16));
        l->Add(&b, nullptr);
    }
    return l;
}

// The control entries of the test skin. `variant` 1 changes a few of them
// (another skin of the same family).
inline std::string ControlsText(int variant)
{
    const std::string gbClient = variant == 0 ? "3,10,37,27" : "3,1,37,4";
    const std::string gbCaption = variant == 0 ? "2,1,38,9" : "4,8,36,20";
    return "[SKINCONTROLS]\r\ncount=17\r\n"
           "0=mode0:label\r\n1=mode1:label\r\n2=mode2:label\r\n3=mode3:label\r\n4=emptyrect:label\r\n"
           "5=nopic:label\r\n6=masked:label\r\n7=bevel:bevel\r\n8=panel:panel\r\n9=groupbox:panel\r\n"
           "10=statusbar:panel\r\n11=stdlabel:stdlabel\r\n12=vsplitter:splitter\r\n13=hsplitter:splitter\r\n"
           "14=zerotile:label\r\n15=wrongkind:bevel\r\n16=bgpanel:panel\r\n\r\n"
           // fixed 20 x 16 at (4, 2)
           "[mode0]\r\npictureindex=0\r\nskinrect=4,2,24,18\r\nclientrect=2,2,18,14\r\n\r\n"
           "[mode1]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nlefttoppoint=5,5\r\nrighttoppoint=35,5\r\n"
           "leftbottompoint=5,25\r\nrightbottompoint=35,25\r\nclientrect=5,5,35,25\r\n\r\n"
           "[mode2]\r\npictureindex=0\r\nskinrect=0,30,40,48\r\nlefttoppoint=6,0\r\nrighttoppoint=34,0\r\n"
           "clientrect=6,2,34,16\r\n\r\n"
           "[mode3]\r\npictureindex=0\r\nskinrect=40,0,52,40\r\nlefttoppoint=0,6\r\nleftbottompoint=0,34\r\n"
           "clientrect=2,6,10,34\r\n\r\n"
           "[emptyrect]\r\npictureindex=0\r\nskinrect=0,0,0,0\r\n\r\n"
           "[nopic]\r\npictureindex=9\r\nmaskpictureindex=7\r\nskinrect=0,0,40,30\r\nlefttoppoint=5,5\r\n"
           "righttoppoint=35,5\r\nleftbottompoint=5,25\r\nrightbottompoint=35,25\r\nclientrect=5,5,35,25\r\n\r\n"
           "[masked]\r\npictureindex=0\r\nmaskpictureindex=1\r\nskinrect=0,0,20,20\r\n\r\n"
           "[bevel]\r\nlightcolor=255\r\ndarkcolor=16711680\r\n\r\n"
           "[panel]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nlefttoppoint=5,5\r\nrighttoppoint=35,5\r\n"
           "leftbottompoint=5,25\r\nrightbottompoint=35,25\r\nclientrect=5,5,35,25\r\ncaptionrect=5,0,35,5\r\n"
           "fontcolor=255\r\ncheckimagerect=52,30,60,38\r\nuncheckimagerect=52,38,60,46\r\n\r\n"
           "[groupbox]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nlefttoppoint=3,10\r\nrighttoppoint=37,10\r\n"
           "leftbottompoint=3,27\r\nrightbottompoint=37,27\r\nclientrect=" + gbClient + "\r\ncaptionrect=" +
           gbCaption + "\r\nalignment=taleftjustify\r\nfontcolor=65280\r\nfontheight=12\r\n\r\n"
           "[statusbar]\r\npictureindex=0\r\nskinrect=0,30,40,48\r\nlefttoppoint=6,0\r\nrighttoppoint=34,0\r\n"
           "clientrect=6,2,34,16\r\ngripperrect=52,30,64,42\r\ngrippertransparent=1\r\n"
           "grippertransparentcolor=16711935\r\n\r\n"
           "[stdlabel]\r\nfontname=Arial\r\nfontheight=14\r\nfontcolor=" +
           std::string(variant == 0 ? "32768" : "8421376") + "\r\n\r\n"
           "[vsplitter]\r\npictureindex=0\r\nskinrect=52,0,58,40\r\nlefttoppoint=0,5\r\nleftbottompoint=0,35\r\n"
           "gripperrect=58,0,62,8\r\ngrippertransparent=1\r\ngrippertransparentcolor=16711935\r\n\r\n"
           "[hsplitter]\r\npictureindex=0\r\nskinrect=0,40,40,46\r\nlefttoppoint=5,0\r\nrighttoppoint=35,0\r\n\r\n"
           "[zerotile]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nlefttoppoint=5,5\r\nrighttoppoint=35,5\r\n"
           "leftbottompoint=5,25\r\nrightbottompoint=35,25\r\nclientrect=5,5,5,5\r\n\r\n"
           "[wrongkind]\r\nlightcolor=1\r\n\r\n"
           "[bgpanel]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nlefttoppoint=5,5\r\nrighttoppoint=35,5\r\n"
           "leftbottompoint=5,25\r\nrightbottompoint=35,25\r\nclientrect=5,5,35,25\r\nbgpictureindex=2\r\n\r\n";
}

inline std::string SkinText(int variant)
{
    return "[VERSION]\r\nskinname=controls " + std::to_string(variant) + "\r\n\r\n"
           "[PICTURES]\r\npicture=\r\nmask=\r\nactivepicturescount=3\r\n0=p0.bmp\r\n1=mask.bmp\r\n2=bg.bmp\r\n\r\n"
           "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
           "[SKINCOLORS]\r\ncbtnshadow=8388608\r\ncbtnhighlight=16776960\r\ncbtntext=128\r\n\r\n" +
           ControlsText(variant);
}

// Writes the skin into a fresh folder; returns the description's path.
inline std::string WriteSkin(const std::string& name, int variant)
{
    const std::string dir = skintest::TempDir("ctrls-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    MaskPicture().SaveToFile(dir + "mask.bmp");
    skintest::MakePicture(8, 8, 0xFF204060u).SaveToFile(dir + "bg.bmp");
    skintest::WriteFile(dir + "skin.ini", SkinText(variant));
    return dir + "skin.ini";
}

// A skin without any control entry: every control falls back to its
// default look.
inline std::string WriteBareSkin(const std::string& name)
{
    const std::string dir = skintest::TempDir("ctrls-bare-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=bare\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
                        "[SKINCONTROLS]\r\ncount=0\r\n\r\n");
    return dir + "skin.ini";
}

// A form that walks its controls on the store's skin-change messages, as the
// form skinning component does.
class TSkinnedForm : public TForm
{
public:
    using TForm::TForm;
    int Changes = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        if (bsHandleSkinChangeMessage(this, m))
        {
            if (m.Msg == BSM_SKINDATA_CHANGE) ++Changes;
            return;
        }
        TForm::Dispatch(m);
    }
};

// A panel that counts its paints.
class TCountingPanel : public TbsSkinPanel
{
public:
    using TbsSkinPanel::TbsSkinPanel;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        TbsSkinPanel::Paint();
    }
};

class SkinCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
    }
    void TearDown() override
    {
        ResetApplication();
        driver.reset();
    }
    TSkinnedForm* MakeForm(int cw = 300, int ch = 200)
    {
        auto* f = new TSkinnedForm(Application);
        f->SetBounds(100, 100, 400, 300);
        f->SetClientSize(cw, ch);
        f->SetColor(clWhite);
        return f;
    }
    // The colour at a client point of a control's parent form.
    COLORREF At(TControl* c, int x, int y)
    {
        return PixelToColorRef(driver->PixelAt(c->ClientToScreen(TPoint(x, y))));
    }
    std::unique_ptr<TTestDriver> driver;
};
} // namespace ctrltest
