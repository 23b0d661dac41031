// The caption objects of a skinned form beyond its buttons: fades between the
// normal and the hot look on the virtual clock, the caption's activation
// animation, animated objects as buttons, user objects, quick buttons, the
// caption icon, the buttons' hints, custom buttons with linked menus, hidden
// caption buttons, the inactive client panel, the lookups,
// painting into a DC and the layered-border notice. A stored skin, with entries added to it.
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
template <class T>
T* Descriptor(TbsSkinData& sd, const std::string& id)
{
    for (auto& o : sd.ObjectList)
        if (o->IDName == id) return dynamic_cast<T*>(o.get());
    return nullptr;
}

class CaptionObjects : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        sd = storedtest::Load(0);
        close = Descriptor<TbsDataSkinStdButton>(*sd, "closebutton");
        ASSERT_NE(close, nullptr);
        ASSERT_FALSE(IsEmptyRect(close->ActiveSkinRect));
    }
    // A shown, active 400 x 260 form with the skin.
    void Show()
    {
        form = new TForm(Application);
        form->SetCaption("对象 Quorvel");
        sf = new TbsSkinForm(form);
        sf->SetSkinData(sd.get());
        form->SetBounds(60, 60, 400, 260);
        form->Show();
        driver->PumpUntilIdle();
        ASSERT_TRUE(sf->SkinSupport());
    }
    TbsActiveSkinObject* Object(const std::string& id) const
    {
        const int i = sf->GetIndex(id);
        return i == -1 ? nullptr : sf->ObjectList[std::size_t(i)].get();
    }
    TPoint Centre(TbsActiveSkinObject* o) const
    {
        const TRect& r = o->ObjectRect;
        return TTestDriver::WindowPoint(form->Handle(), TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    TPoint Client() const { return TTestDriver::WindowPoint(form->Handle(), TPoint(200, 150)); }
    // Ticks until the fade timer stops; the steps taken (each 0.2).
    int Fade(TbsActiveSkinObject* o)
    {
        int steps = 0;
        for (double last = o->FMorphKf; sf->MorphTimer->GetEnabled() && steps < 20; last = o->FMorphKf)
        {
            Tick();
            if (o->FMorphKf == last) continue;
            EXPECT_LE(std::abs(o->FMorphKf - last), 0.2 + 1e-9);
            ++steps;
        }
        EXPECT_FALSE(sf->MorphTimer->GetEnabled());
        return steps;
    }
    // Another form takes the activation, then gives it back.
    void Deactivate()
    {
        other = new TForm(Application);
        other->SetBounds(500, 400, 100, 80);
        other->Show();
        driver->PumpUntilIdle();
    }
    void Reactivate()
    {
        delete other;
        other = nullptr;
        form->BringToFront();
        driver->PumpUntilIdle();
    }
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
        {
            driver->AdvanceClock(25);
            driver->PumpUntilIdle();
        }
    }
    std::unique_ptr<TbsSkinData> sd;
    TbsDataSkinStdButton* close = nullptr;
    TForm* form = nullptr;
    TForm* other = nullptr;
    TbsSkinForm* sf = nullptr;
};
}  // namespace

TEST_F(CaptionObjects, FadeReachesItsEndsExactlyWithinSixTicks)
{
    close->Morphing = true;
    Show();
    auto* b = Object("closebutton");
    ASSERT_TRUE(b->EnableMorphing());
    // Enter: 0 -> 1 in steps of 0.2, exactly 1 within six 25 ms ticks; then
    // the timer stops.
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_TRUE(b->Active);
    EXPECT_LE(Fade(b), 6);
    EXPECT_EQ(b->FMorphKf, 1.0);
    // Leave (the mouse timer notices): back to exactly 0.
    driver->MoveTo(Client());
    driver->PumpUntilIdle();
    while (b->Active) Tick();
    EXPECT_LE(Fade(b), 6);
    EXPECT_EQ(b->FMorphKf, 0.0);
    // Re-enter, two ticks, press: the pressed look shows at once.
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    Tick(2);
    EXPECT_NEAR(b->FMorphKf, 0.4, 1e-9);
    driver->Press(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(b->FMorphKf, 1.0);
    // Released outside: no command, the fade runs back.
    driver->MoveTo(Client());
    driver->Release(Client());
    driver->PumpUntilIdle();
    while (b->Active) Tick();
    Fade(b);
    EXPECT_TRUE(form->GetVisible());
    EXPECT_EQ(b->FMorphKf, 0.0);
}

TEST_F(CaptionObjects, GlowShowsAroundTheHotButtonAndGoesWithIt)
{
    close->GlowLayerPictureIndex = close->ActivePictureIndex;
    close->GlowLayerMaskPictureIndex = -1;
    close->GlowLayerOffsetX = close->GlowLayerOffsetY = 8;
    sd->ShowCaptionButtonGlowFrames = true;
    Show();
    auto* b = Object("closebutton");
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    ASSERT_TRUE(sf->FLayerManager->IsVisible);
    EXPECT_EQ(sf->FLayerManager->LayerWindow->Left(), form->Left() + b->ObjectRect.Left - 8);
    EXPECT_EQ(sf->FLayerManager->LayerWindow->Top(), form->Top() + b->ObjectRect.Top - 8);
    // The glow lets the mouse through: the button stays hot.
    Tick(4);
    EXPECT_TRUE(b->FMouseIn);
    driver->MoveTo(Client());
    driver->PumpUntilIdle();
    Tick(4);
    EXPECT_FALSE(sf->FLayerManager->IsVisible);
    // Hot again, then the form loses the activation: the glow goes.
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    ASSERT_TRUE(sf->FLayerManager->IsVisible);
    Deactivate();
    EXPECT_FALSE(sf->FLayerManager->IsVisible);
    Reactivate();
}

TEST_F(CaptionObjects, TheMaskPictureShapesWhereAButtonIsHot)
{
    // A 20 x 20 mask, black only in its top-left quarter.
    sd->FActivePictures.push_back(std::make_unique<TbsSkinPicture>(MaskPicture()));
    close->ActiveMaskPictureIndex = sd->ActivePicturesCount() - 1;
    Show();
    auto* b = Object("closebutton");
    const struct
    {
        int x, y;
        bool hot;
    } cases[] = {{3, 3, true}, {9, 9, true}, {12, 3, false}, {3, 12, false}, {25, 3, false}};
    for (const auto& c : cases)
        EXPECT_EQ(b->IsActiveMaskPoint(c.x, c.y), c.hot) << c.x << "," << c.y;
    driver->MoveTo(TTestDriver::WindowPoint(form->Handle(), TPoint(b->ObjectRect.Left + 3, b->ObjectRect.Top + 3)));
    driver->PumpUntilIdle();
    EXPECT_TRUE(b->FMouseIn);
    driver->MoveTo(TTestDriver::WindowPoint(form->Handle(), TPoint(b->ObjectRect.Left + 14, b->ObjectRect.Top + 14)));
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->FMouseIn);
}

TEST_F(CaptionObjects, ABadActivePictureIndexMeansNoHotLookAndLeavesTheStoreAlone)
{
    close->Morphing = true;
    close->ActivePictureIndex = 999;
    const TRect hot = close->ActiveSkinRect;
    Show();
    auto* b = Object("closebutton");
    EXPECT_TRUE(IsEmptyRect(b->ActiveSkinRect));
    EXPECT_FALSE(b->Morphing);
    EXPECT_EQ(close->ActiveSkinRect, hot);
    EXPECT_EQ(close->ActivePictureIndex, 999);
    // Hovering paints without a fade and without touching a picture.
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_FALSE(sf->MorphTimer->GetEnabled());
}

TEST_F(CaptionObjects, CaptionAnimationStepsEveryThreeTicksAndEndsPastItsLastFrame)
{
    auto* cap = Descriptor<TbsDataSkinCaption>(*sd, "caption");
    ASSERT_NE(cap, nullptr);
    // Three frames side by side in the caption button picture.
    cap->ActivePictureIndex = close->ActivePictureIndex;
    cap->AnimateSkinRect = TRect(0, 0, 3 * RectWidth(cap->SkinRect), RectHeight(cap->SkinRect));
    cap->FrameCount = 3;
    cap->AnimateInterval = 60;
    Show();
    auto* c = dynamic_cast<TbsSkinCaptionObject*>(Object("caption"));
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(c->EnableAnimation());
    Deactivate();
    EXPECT_FALSE(c->Active);
    EXPECT_EQ(c->CurrentFrame, 0);  // no inactive animation
    Reactivate();
    EXPECT_TRUE(c->Active);
    EXPECT_EQ(c->CurrentFrame, 1);
    const int frames[] = {1, 1, 2, 2, 2, 3, 3, 3, 4};
    for (int want : frames)
    {
        Tick();
        EXPECT_EQ(c->CurrentFrame, want);
    }
    Tick();
    EXPECT_FALSE(sf->AnimateTimer->GetEnabled());
    EXPECT_EQ(c->CurrentFrame, 4);
}

TEST_F(CaptionObjects, CaptionTextEffectsChangeOnlyTheCaption)
{
    auto* cap = Descriptor<TbsDataSkinCaption>(*sd, "caption");
    ASSERT_NE(cap, nullptr);
    cap->Shadow = false;
    Show();
    auto* c = dynamic_cast<TbsSkinCaptionObject*>(Object("caption"));
    ASSERT_NE(c, nullptr);
    auto frame = [this](TBitmap& b) {
        b.SetSize(400, 260);
        SendMessage(form->Handle(), BSM_PRINTTODC, reinterpret_cast<WPARAM>(b.Canvas()->GetHandle()), 0);
    };
    TBitmap plain, lit, glow;
    frame(plain);
    // A light copy in pure green, one pixel up and left of the text.
    c->Light = true;
    c->ActiveLightColor = 0x00FF00;
    frame(lit);
    c->Light = false;
    c->GlowEffect = true;
    c->GlowSize = 3;
    c->GlowActiveColor = 0x0000FF;
    frame(glow);
    const TRect r = c->ObjectRect;
    int green = 0, outside = 0, glowDiff = 0;
    for (int y = 0; y < 260; ++y)
        for (int x = 0; x < 400; ++x)
        {
            const bool in = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            const COLORREF p = plain.Canvas()->GetPixel(x, y), l = lit.Canvas()->GetPixel(x, y);
            if (in && (l & 0xFFFFFF) == RGB(0, 255, 0)) ++green;
            const COLORREF g = glow.Canvas()->GetPixel(x, y);
            if (!in && (p != l || p != g)) ++outside;
            if (in && p != g) ++glowDiff;
        }
    EXPECT_GT(green, 10);
    EXPECT_GT(glowDiff, green);
    EXPECT_EQ(outside, 0);
}

TEST_F(CaptionObjects, AnimatedButtonPlaysForwardWhileHotBackAfterAndRunsItsCommandOnAClick)
{
    // Four frames of the close button's size, side by side from its hot look.
    auto anim = std::make_unique<TbsDataSkinAnimate>("animbutton");
    const int w = RectWidth(close->SkinRect), h = RectHeight(close->SkinRect);
    anim->ActivePictureIndex = close->ActivePictureIndex;
    anim->SkinRectInAPicture = true;
    anim->SkinRect = TRect(0, 0, w, h);
    anim->ActiveSkinRect = TRect(0, 0, 4 * w, h);
    anim->CountFrames = 4;
    anim->TimerInterval = 60;
    anim->ButtonStyle = true;
    anim->Command = cmRollUp;
    sd->ObjectList.insert(sd->ObjectList.begin(), std::move(anim));
    Show();
    auto* a = dynamic_cast<TbsSkinAnimateObject*>(Object("animbutton"));
    ASSERT_NE(a, nullptr);
    const TRect cb = Object("closebutton")->ObjectRect;
    a->ObjectRect = TRect(cb.Left - 4 * w, cb.Top, cb.Left - 3 * w, cb.Bottom);
    EXPECT_EQ(a->TimerInterval, 60);

    driver->MoveTo(Centre(a));
    driver->PumpUntilIdle();
    ASSERT_TRUE(a->FMouseIn);
    // A frame every three ticks (75 ms); a one-shot run stops on the last.
    const int forward[] = {1, 1, 2, 2, 2, 3, 3, 3, 4};
    for (int want : forward)
    {
        Tick();
        EXPECT_EQ(a->FFrame, want);
    }
    EXPECT_FALSE(a->Active);
    driver->MoveTo(Client());
    driver->PumpUntilIdle();
    Tick(12);
    EXPECT_EQ(a->FFrame, 1);
    EXPECT_FALSE(a->Active);

    // Pressed on it, released outside: nothing. Clicked: the form rolls up.
    driver->MoveTo(Centre(a));
    driver->Press(Centre(a));
    driver->MoveTo(Client());
    driver->Release(Client());
    driver->PumpUntilIdle();
    EXPECT_FALSE(sf->RollUpState());
    driver->Click(Centre(a));
    driver->PumpUntilIdle();
    EXPECT_TRUE(sf->RollUpState());
    a->Stop();
    EXPECT_EQ(a->FFrame, 1);
}

TEST_F(CaptionObjects, CustomButtonsShowWhenTheFormSaysSoAndOpenTheirLinkedMenus)
{
    // A custom caption button with the close button's hot picture.
    auto help = std::make_unique<TbsDataSkinStdButton>(*close);
    help->IDName = "helpbutton";
    help->Command = cmDefault;
    help->SkinRectInAPicture = true;
    help->SkinRect = help->DownRect = close->ActiveSkinRect;
    sd->ObjectList.insert(sd->ObjectList.begin(), std::move(help));
    Show();
    auto* b = dynamic_cast<TbsSkinButtonObject*>(Object("helpbutton"));
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->Visible) << "hidden unless the form shows it";
    std::vector<std::string> asked;
    sf->OnActivateCustomObject = [&asked](TObject*, const std::string& id, bool& visible) {
        asked.push_back(id);
        visible = true;
    };
    sf->SetBorderIcons(sf->BorderIcons());
    EXPECT_EQ(asked, std::vector<std::string>{"helpbutton"});
    EXPECT_TRUE(b->Visible);

    // A linked menu opens under the button on the press and keeps it down
    // until it closes; the link outlives a skin change and its menu.
    auto* menu = new TPopupMenu(form);
    for (const char* c : {"帮助 Help", "关于 About"})
    {
        auto* mi = new TMenuItem(menu);
        mi->SetCaption(c);
        menu->Items()->Add(mi);
    }
    sf->LinkMenu("helpbutton", menu, false);
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        b = dynamic_cast<TbsSkinButtonObject*>(Object("helpbutton"));
        ASSERT_NE(b, nullptr);
        sf->Repaint();
        driver->MoveTo(Centre(b));
        driver->Press(Centre(b));
        driver->PumpUntilIdle();
        ASSERT_EQ(sf->SkinMenu->LevelCount(), 1);
        EXPECT_EQ(sf->SkinMenu->Level(0)->Top(), form->Top() + b->ObjectRect.Bottom);
        EXPECT_EQ(sf->SkinMenu->Level(0)->Item(1)->MenuItem, menu->Items()->Items(1));
        driver->Release(Centre(b));
        driver->PumpUntilIdle();
        EXPECT_TRUE(b->FDown);
        driver->PressKey(VK_ESCAPE);
        driver->PumpUntilIdle();
        EXPECT_EQ(sf->SkinMenu->LevelCount(), 0);
        EXPECT_FALSE(b->FDown);
        sf->SetSkinData(nullptr);
        sf->SetSkinData(sd.get());
        driver->PumpUntilIdle();
    }
    delete menu;
    b = dynamic_cast<TbsSkinButtonObject*>(Object("helpbutton"));
    EXPECT_EQ(b->MenuItem, nullptr);
    driver->Click(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(sf->SkinMenu->LevelCount(), 0);

    // Hidden caption buttons: those drawn in the frame picture stay, disabled;
    // those with pictures of their own go. The close button closes nothing.
    sf->SetHideCaptionButtons(true);
    for (auto& o : sf->ObjectList)
        if (dynamic_cast<TbsSkinStdButtonObject*>(o.get()))
        {
            EXPECT_FALSE(o->Enabled) << o->IDName;
            EXPECT_EQ(o->Visible, !o->SkinRectInAPicture) << o->IDName;
        }
    driver->Click(Centre(Object("closebutton")));
    driver->PumpUntilIdle();
    EXPECT_TRUE(form->GetVisible());
    sf->SetHideCaptionButtons(false);
    EXPECT_TRUE(Object("closebutton")->Enabled);
}

TEST_F(CaptionObjects, UserObjectIsPaintedByTheApplication)
{
    auto user = std::make_unique<TbsDataUserObject>("userarea");
    user->SkinRect = TRect(2, 2, 6, 6);  // in the fixed top-left corner
    sd->ObjectList.insert(sd->ObjectList.begin(), std::move(user));
    Show();
    std::vector<std::pair<std::string, TRect>> painted;
    sf->OnPaintEvent = [&painted](const std::string& id, TCanvas*, const TRect& r) { painted.emplace_back(id, r); };
    sf->UserObjectDraw("userarea");
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted[0], std::make_pair(std::string("userarea"), TRect(2, 2, 6, 6)));
    // Only user objects are redrawn on request.
    sf->UserObjectDraw("closebutton");
    sf->UserObjectDraw("nosuchobject");
    EXPECT_EQ(painted.size(), 1u);
}

TEST_F(CaptionObjects, QuickButtonsTakeTheirPlacesAndClickOnlyWhenPressedAndReleasedOnThem)
{
    Show();
    TCustomImageList il(16, 16);
    for (int i = 0; i < 3; ++i)
    {
        TBitmap b(16, 16);
        b.Canvas()->Brush()->SetColor(TColor(RGB(40 * i, 90, 200)));
        b.Canvas()->FillRect(TRect(0, 0, 16, 16));
        il.Add(&b, nullptr);
    }
    sf->SetQuickImageList(&il);
    std::vector<TObject*> clicks;
    TbsQuickButtonItem* items[3];
    for (int i = 0; i < 3; ++i)
    {
        items[i] = sf->QuickButtons()->Add();
        items[i]->SetImageIndex(i);
        items[i]->OnClick = [&clicks](TObject* s) { clicks.push_back(s); };
    }
    items[1]->SetVisible(false);
    items[2]->SetEnabled(false);
    driver->PumpUntilIdle();
    // The hidden item takes no place; the disabled one does.
    EXPECT_EQ(items[2]->ItemRect.Left, items[0]->ItemRect.Left + 16 + 8);
    EXPECT_EQ(items[0]->ItemRect.Width(), 20);
    // The buttons are no drag area; the caption text is.
    auto hit = [this](TPoint s) { return SendMessage(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y)); };
    auto at = [this](TbsQuickButtonItem* it) {
        const TRect& r = it->ItemRect;
        return TTestDriver::WindowPoint(form->Handle(), TPoint(r.Left + 8, r.Top + 8));
    };
    EXPECT_EQ(hit(at(items[0])), HTOBJECT);
    // A click on the first calls it with the caption object.
    driver->MoveTo(at(items[0]));
    driver->PumpUntilIdle();
    EXPECT_TRUE(items[0]->Active);
    driver->Click(at(items[0]));
    driver->PumpUntilIdle();
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], Object("caption"));
    EXPECT_FALSE(items[0]->Down);
    // The disabled one never becomes hot nor clicks.
    driver->MoveTo(at(items[2]));
    driver->PumpUntilIdle();
    EXPECT_FALSE(items[2]->Active);
    driver->Click(at(items[2]));
    driver->PumpUntilIdle();
    // Pressed on the first, released on the second place: no click.
    items[2]->SetEnabled(true);
    driver->MoveTo(at(items[0]));
    driver->Press(at(items[0]));
    driver->MoveTo(at(items[2]));
    driver->Release(at(items[2]));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks.size(), 1u);
    // An item's image repaints the caption; its hint does not.
    const int paints = sf->NCPaintCount;
    items[0]->Hint = "快捷";
    EXPECT_EQ(sf->NCPaintCount, paints);
    items[0]->SetImageIndex(2);
    EXPECT_EQ(sf->NCPaintCount, paints + 1);
    // A copy keeps images, hints and states but no handler.
    TbsQuickButtonItems copy(nullptr);
    copy.Assign(sf->QuickButtons());
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Items(0)->GetImageIndex(), 2);
    EXPECT_EQ(copy.Items(0)->Hint, "快捷");
    EXPECT_FALSE(copy.Items(1)->GetVisible());
    EXPECT_FALSE(copy.Items(0)->OnClick);
    // The image list going away leaves the form without quick buttons.
    sf->SetQuickImageList(nullptr);
    EXPECT_FALSE(sf->HasQuickButtons());
}

TEST_F(CaptionObjects, SystemMenuButtonShowsTheSmallIconInTheDefaultFrame)
{
    auto* f = new TForm(Application);
    f->SetCaption("图标");
    auto* c = new TbsSkinForm(f);
    c->SetShowIcon(true);
    f->SetBounds(50, 50, 300, 200);
    f->Show();
    driver->PumpUntilIdle();
    const TRect r = c->ObjectList[std::size_t(c->GetIndex("sysmenubutton"))]->ObjectRect;
    EXPECT_EQ(r, TRect(3, 4, 19, 20));
    EXPECT_EQ(c->NewDefCaptionRect.Left, 19);
    // The stock application picture is there, not the default button face.
    bool drawn = false;
    for (int y = r.Top; y < r.Bottom && !drawn; ++y)
        for (int x = r.Left; x < r.Right && !drawn; ++x)
            drawn = PixelToColorRef(driver->PixelAt(TPoint(50 + x, 50 + y))) != ColorToRGB(clBtnFace);
    EXPECT_TRUE(drawn);
}

TEST_F(CaptionObjects, PrintToDCPaintsTheFrameIntoTheGivenDC)
{
    Show();
    TBitmap bmp(400, 260);
    bmp.Canvas()->Brush()->SetColor(clLime);
    bmp.Canvas()->FillRect(TRect(0, 0, 400, 260));
    HDC dc = bmp.Canvas()->GetHandle();
    EXPECT_EQ(SendMessage(form->Handle(), BSM_PRINTTODC, reinterpret_cast<WPARAM>(dc), 0), 12851);
    const std::uint32_t corner = sd->FPicture.Pixel(1, sd->FPicture.Height() - 2);
    EXPECT_EQ(bmp.Canvas()->GetPixel(1, 258) & 0xFFFFFF, RGB((corner >> 16) & 0xFF, (corner >> 8) & 0xFF, corner & 0xFF));
    EXPECT_EQ(bmp.Canvas()->GetPixel(200, 150) & 0xFFFFFF, ColorToRGB(clLime));  // the client is left alone
    EXPECT_EQ(SendMessage(form->Handle(), BSM_PRINTTODC, 0, 0), 0);
    EXPECT_EQ(SendMessage(form->Handle(), BSM_PRINTTODC2, reinterpret_cast<WPARAM>(dc), 16802), 16802);
    EXPECT_EQ(SendMessage(form->Handle(), BSM_PRINTTODC2, reinterpret_cast<WPARAM>(dc), 1), 0);
}

TEST_F(CaptionObjects, ButtonHintsComeFromTheStringTableAndShowWhileHot)
{
    TbsResourceStrData strings;
    strings.SetResStrings(std::vector<std::string>{"CLOSEBUTTON_HINT=关闭", "RESTORE_HINT=还原"});
    sd->SetResourceStrData(&strings);
    Show();
    TbsSkinHint hint(nullptr);
    sf->SetSkinHint(&hint);
    sf->ShowObjectHint = true;
    auto* close = Object("closebutton");
    auto* max = Object("maxbutton");
    ASSERT_TRUE(close && max);
    // From the table, else the built-in texts.
    EXPECT_EQ(close->Hint, "关闭");
    EXPECT_EQ(max->Hint, "Maximize");
    // A maximized form's maximize button says it restores.
    sf->ChangeWindowState(wsMaximized);
    driver->PumpUntilIdle();
    max = Object("maxbutton");
    driver->MoveTo(Centre(max));
    driver->PumpUntilIdle();
    EXPECT_EQ(max->Hint, "还原");
    // Shown after the pause while hot, gone on leaving.
    driver->AdvanceClock(Application->HintPause);
    driver->PumpUntilIdle();
    EXPECT_TRUE(hint.IsVisible());
    driver->MoveTo(Client());
    while (max->Active) Tick();
    EXPECT_FALSE(hint.IsVisible());
    EXPECT_FALSE(hint.RequestPending());
    sf->ChangeWindowState(wsNormal);
    driver->PumpUntilIdle();
    // Without default hints the buttons keep what they have.
    sf->UseDefaultObjectHint = false;
    strings.SetResStrings(std::vector<std::string>{"CLOSEBUTTON_HINT=Schließen"});
    SendMessage(form->Handle(), BSM_RESSTRDATA_CHANGE, 0, 0);
    EXPECT_EQ(Object("closebutton")->Hint, "关闭");
    sf->UseDefaultObjectHint = true;
    SendMessage(form->Handle(), BSM_RESSTRDATA_CHANGE, 0, 0);
    EXPECT_EQ(Object("closebutton")->Hint, "Schließen");
    sf->SetSkinHint(nullptr);
    sd->SetResourceStrData(nullptr);
}

TEST_F(CaptionObjects, LayeredBorderNoticeReachesItsCallPoint)
{
    Show();
    std::vector<std::pair<bool, bool>> calls;
    sf->OnLayeredBorderChange = [&calls](bool show, bool active) { calls.emplace_back(show, active); };
    const bool has = sd->LayerFrame.PictureIndex != -1;
    const bool was = sd->ShowLayeredBorders();
    sd->SetShowLayeredBorders(!was);
    sd->SetShowLayeredBorders(was);
    driver->PumpUntilIdle();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], std::make_pair(has && !was, true));
    EXPECT_EQ(calls[1], std::make_pair(has && was, true));
}

TEST_F(CaptionObjects, InactiveClientPanelFadesTheClientIntoTheBackground)
{
    Show();
    auto* red = new TPanel(form);
    red->SetParent(form);
    red->SetBounds(0, 0, 60, 40);
    red->SetColor(clRed);
    red->SetBevelOuter(bvNone);
    driver->PumpUntilIdle();
    // The skin's client background at a point the panel does not cover.
    TBitmap bg(form->ClientWidth(), form->ClientHeight());
    SendMessage(form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bg.Canvas()->GetHandle()), 0);
    const COLORREF back = bg.Canvas()->GetPixel(10, 10) & 0xFFFFFF;

    sf->ClientInActiveEffect = true;
    Deactivate();
    TbsClientInActivePanel* p = sf->InActivePanel();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->GetVisible());
    EXPECT_EQ(p->Width(), form->ClientWidth());
    // Two thirds background, one third the red panel.
    const TbsColor px = p->Buffer()->GetPixel(10, 10);
    EXPECT_NEAR(int((px >> 16) & 0xFF), (GetRValue(back) * 170 + 255 * 85) / 255, 2);
    EXPECT_NEAR(int(px & 0xFF), (GetBValue(back) * 170) / 255, 2);
    EXPECT_EQ(At(form, 10, 10), RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF));
    // Active again: the live client.
    Reactivate();
    EXPECT_EQ(sf->InActivePanel(), nullptr);
    EXPECT_EQ(At(form, 10, 10), ColorToRGB(clRed));
    // A hidden form gets no panel picture.
    TbsClientInActivePanel hidden(nullptr);
    form->Hide();
    hidden.ShowPanel(form, bsieBlur);
    EXPECT_EQ(hidden.Buffer(), nullptr);
    EXPECT_FALSE(hidden.GetVisible());
}

TEST_F(CaptionObjects, LookupsFindTheFirstComponentOrNone)
{
    auto* f = new TForm(Application);
    EXPECT_EQ(FindSkinForm(f), nullptr);
    EXPECT_EQ(FindSkinForm(nullptr), nullptr);
    auto* first = new TbsSkinForm(f);
    new TbsSkinForm(f);
    EXPECT_EQ(FindSkinForm(f), first);
    // This system has no MDI children.
    Application->SetMainForm(f);
    EXPECT_EQ(FindActiveMDIChildSkinForm(), nullptr);
    EXPECT_EQ(FindMaximizedMDIChildSkinForm(), nullptr);
    Application->SetMainForm(nullptr);
    EXPECT_EQ(FindActiveMDIChildSkinForm(), nullptr);
}
