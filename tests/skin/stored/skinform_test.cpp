// The skinned frame in each of the eleven stored skins: the client rectangle
// and the frame points follow the form's size down to the skin's minimum,
// the corners answer the sizing hit codes, the frame's corner pixels come
// from the frame picture; a skin broadcast re-skins hidden forms and nested
// controls, switching through every skin repaints each frame, and a form
// keeps its fixed client size through every change.
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
class StoredSkinForm : public SkinCtrlTest, public testing::WithParamInterface<int>
{
protected:
    TForm* MakeSkinnedForm(TbsSkinData* sd, int w, int h, TbsSkinForm** out = nullptr)
    {
        auto* f = new TForm(Application);
        f->SetCaption("Quorvel MTS 视频音频转换");
        auto* sf = new TbsSkinForm(f);
        sf->SetSkinData(sd);
        f->SetBounds(50, 50, w, h);
        if (out) *out = sf;
        return f;
    }
};
}  // namespace

TEST_P(StoredSkinForm, FrameGeometryFollowsTheSizeDownToTheMinimum)
{
    auto sd = storedtest::Load(GetParam());
    TbsSkinForm* sf = nullptr;
    TForm* f = MakeSkinnedForm(sd.get(), 500, 360, &sf);
    f->Show();
    driver->PumpUntilIdle();
    ASSERT_TRUE(sf->SkinSupport());
    const int pw = sd->FPicture.Width(), ph = sd->FPicture.Height();
    for (TSize s : {TSize(500, 360), TSize(640, 480), TSize(sf->GetMinWidth(), sf->GetMinHeight()), TSize(1, 1)})
    {
        f->SetBounds(50, 50, s.cx, s.cy);
        driver->PumpUntilIdle();
        // The system's minimum track size is the frame's own.
        const int w = std::max(s.cx, sf->GetMinWidth()), h = std::max(s.cy, sf->GetMinHeight());
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ASSERT_EQ(TSize(f->Width(), f->Height()), TSize(w, h));
        const int dw = w - pw, dh = h - ph;
        EXPECT_EQ(sf->NewRTPoint, TPoint(sd->RTPoint.X + dw, sd->RTPoint.Y));
        EXPECT_EQ(sf->NewRBPoint, TPoint(sd->RBPoint.X + dw, sd->RBPoint.Y + dh));
        const TRect cl(sd->ClRect.Left, sd->ClRect.Top, sd->ClRect.Right + dw, sd->ClRect.Bottom + dh);
        EXPECT_EQ(sf->NewClRect, cl);
        EXPECT_EQ(f->ClientWidth(), std::max(0, cl.Width()));
        EXPECT_EQ(f->ClientHeight(), std::max(0, cl.Height()));
        EXPECT_EQ(f->ClientOrigin(), TPoint(50 + cl.Left, 50 + cl.Top));
    }
}

TEST_P(StoredSkinForm, CornersAnswerSizingCodesAndShowTheFramePicture)
{
    auto sd = storedtest::Load(GetParam());
    TbsSkinForm* sf = nullptr;
    TForm* f = MakeSkinnedForm(sd.get(), 500, 360, &sf);
    f->Show();
    driver->PumpUntilIdle();
    auto hit = [f](int x, int y) { return SendMessage(f->Handle(), WM_NCHITTEST, 0, MAKELPARAM(50 + x, 50 + y)); };
    // The innermost point of each corner that is still inside the window.
    const TRect cl = sf->NewClRect;
    EXPECT_EQ(hit(cl.Left + 10, cl.Top + 10), HTCLIENT);
    if (sd->FMask.Empty())
    {
        EXPECT_EQ(hit(0, 0), HTTOPLEFT);
        EXPECT_EQ(hit(499, 0), HTTOPRIGHT);
        EXPECT_EQ(hit(0, 359), HTBOTTOMLEFT);
        EXPECT_EQ(hit(499, 359), HTBOTTOMRIGHT);
        EXPECT_EQ(hit(0, 180), HTLEFT);
        EXPECT_EQ(hit(499, 180), HTRIGHT);
        EXPECT_EQ(hit(250, 359), HTBOTTOM);
    }
    // The frame's bottom-right and top-left corner pixels are the picture's
    // (where the mask keeps them).
    const TbsSkinPicture& pic = sd->FPicture;
    const int pw = pic.Width(), ph = pic.Height();
    for (TPoint p : {TPoint(1, ph - 2), TPoint(pw - 2, ph - 2), TPoint(pw / 2 > sd->LTPoint.X ? 1 : 0, 1)})
    {
        const int wx = p.X >= sd->RTPoint.X ? p.X + 500 - pw : p.X, wy = p.Y >= sd->LBPoint.Y ? p.Y + 360 - ph : p.Y;
        if (!sd->FMask.Empty() && (sd->FMask.Pixel(p.X, p.Y) & 0xFFFFFF) != 0) continue;
        if (wy < cl.Bottom && wy >= cl.Top && wx >= cl.Left && wx < cl.Right) continue;
        const std::uint32_t px = pic.Pixel(p.X, p.Y);
        EXPECT_EQ(driver->PixelAt(TPoint(50 + wx, 50 + wy)) & 0xFFFFFF, px & 0xFFFFFF) << p.X << "," << p.Y;
    }
}

TEST_F(SkinCtrlTest, SwitchingThroughAllSkinsWithThreeFormsOpen)
{
    TbsSkinData sd;
    std::vector<TbsSkinForm*> comps;
    std::vector<TForm*> forms;
    std::vector<TCountingPanel*> nested;
    for (int i = 0; i < 3; ++i)
    {
        auto* f = new TForm(Application);
        f->SetBounds(40 + 30 * i, 40 + 30 * i, 420, 300);
        auto* sf = new TbsSkinForm(f);
        sf->SetSkinData(&sd);
        // A panel inside a panel: the walk is recursive.
        auto* outer = new TbsSkinPanel(f);
        outer->SetBounds(5, 5, 200, 150);
        outer->SetParent(f);
        outer->SetSkinData(&sd);
        auto* inner = new TCountingPanel(f);
        inner->SetBounds(5, 5, 100, 80);
        inner->SetParent(outer);
        inner->SetSkinData(&sd);
        if (i < 2) f->Show();  // the third stays hidden
        comps.push_back(sf);
        forms.push_back(f);
        nested.push_back(inner);
    }
    driver->PumpUntilIdle();
    int changes = 0;
    comps[2]->OnChangeSkinData = [&changes](TObject*) { ++changes; };
    for (int i = 0; i < bsStoredSkinCount(); ++i)
    {
        SCOPED_TRACE(bsStoredSkin(i).FileName);
        TbsCompressedStoredSkin stored;
        stored.LoadFromCompressStream(bsStoredSkin(i).Data, bsStoredSkin(i).Size);
        for (TbsSkinForm* sf : comps) sf->NCPaintCount = 0;
        sd.LoadCompressedStoredSkin(&stored);
        driver->PumpUntilIdle();
        EXPECT_EQ(changes, i + 1) << "the hidden form missed the broadcast";
        for (int k = 0; k < 3; ++k)
        {
            EXPECT_TRUE(comps[k]->SkinSupport());
            EXPECT_EQ(nested[k]->SkinIndex(), sd.GetControlIndex("panel"));
            if (k < 2)
            {
                EXPECT_EQ(comps[k]->NCPaintCount, 1) << "form " << k;
            }
        }
    }
    // Back to no skin: the default frame.
    sd.ClearSkin();
    driver->PumpUntilIdle();
    for (TbsSkinForm* sf : comps) EXPECT_FALSE(sf->SkinSupport());
    EXPECT_EQ(forms[0]->ClientOrigin(), TPoint(40 + 3, 40 + 22));
}

TEST_F(SkinCtrlTest, FixedClientSizesStayThroughEverySkinChange)
{
    // The main window, the about box (rolled up meanwhile) and a maximized
    // dialog, each with the client size it keeps.
    TbsSkinData sd;
    const struct
    {
        TFormBorderStyle bs;
        TSize client;
    } kinds[] = {{bsSizeable, TSize(804, 537)}, {bsDialog, TSize(340, 245)}, {bsSizeable, TSize(466, 320)}};
    std::vector<std::pair<TForm*, TbsSkinForm*>> forms;
    for (const auto& k : kinds)
    {
        auto* f = new TForm(Application);
        f->SetBorderStyle(k.bs);
        f->SetCaption("Quorvel MTS");
        auto* sf = new TbsSkinForm(f);
        sf->SetSkinData(&sd);
        sf->SetClientWidth(k.client.cx);
        sf->SetClientHeight(k.client.cy);
        f->SetBounds(20, 20, 300, 200);
        f->Show();
        forms.emplace_back(f, sf);
    }
    driver->PumpUntilIdle();
    forms[1].second->ChangeRollUpState(true);
    forms[2].second->ChangeWindowState(wsMaximized);
    auto check = [&](const std::string& what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(TSize(forms[0].first->ClientWidth(), forms[0].first->ClientHeight()), kinds[0].client);
        // Rolled up: the width now, the height when rolled down.
        EXPECT_EQ(forms[1].first->ClientWidth(), kinds[1].client.cx);
        EXPECT_EQ(forms[1].first->Height(), forms[1].second->GetMinHeight());
        EXPECT_EQ(forms[2].first->BoundsRect(), TRect(0, 0, 1280, 994));
    };
    check("default frame");
    for (int i = 0; i < bsStoredSkinCount(); ++i)
    {
        TbsCompressedStoredSkin stored;
        stored.LoadFromCompressStream(bsStoredSkin(i).Data, bsStoredSkin(i).Size);
        sd.LoadCompressedStoredSkin(&stored);
        driver->PumpUntilIdle();
        check(bsStoredSkin(i).FileName);
    }
    forms[1].second->ChangeRollUpState(false);
    forms[2].second->ChangeWindowState(wsNormal);
    driver->PumpUntilIdle();
    for (std::size_t k = 0; k < forms.size(); ++k)
        EXPECT_EQ(TSize(forms[k].first->ClientWidth(), forms[k].first->ClientHeight()), kinds[k].client) << k;
    // Back to the default frame.
    sd.ClearSkin();
    driver->PumpUntilIdle();
    for (std::size_t k = 0; k < forms.size(); ++k)
        EXPECT_EQ(TSize(forms[k].first->ClientWidth(), forms[k].first->ClientHeight()), kinds[k].client) << k;
}

INSTANTIATE_TEST_SUITE_P(All, StoredSkinForm, testing::Range(0, 11), storedtest::SkinName);
