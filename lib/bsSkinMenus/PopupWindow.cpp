// The window of one open menu level: building its entries, size, frame and
// region, placement inside the work area, showing without activation,
// off-screen painting with scroll markers, and its mouse, keyboard and
// scrolling.
#include "lib/bsSkinMenus/Internal.h"

#include <algorithm>

#include "lib/bsUtils.h"
#include "platform/core/Clock.h"

using namespace bsmenus;

namespace
{
constexpr std::uintptr_t kScrollTimer = 1;
constexpr int kMarker = 10;   // height of a scroll-marker band
// Milliseconds between the steps of the fade-in (more than the 5 each step waits for).
constexpr unsigned FadeInterval = 6;
}  // namespace

TbsSkinPopupWindow::TbsSkinPopupWindow(TbsSkinMenu* AParentMenu, const TbsDataSkinPopupWindow* AData)
    : TCustomControl(nullptr), ParentMenu(AParentMenu)
{
    visible_ = false;
    tabStop_ = false;
    MouseTimer = new TTimer(this);
    MouseTimer->SetEnabled(false);
    MouseTimer->SetInterval(50);
    MouseTimer->SetOnTimer([this](TObject*) { MouseTimerProc(); });
    MorphTimer = new TTimer(this);
    MorphTimer->SetEnabled(false);
    MorphTimer->SetInterval(20);
    MorphTimer->SetOnTimer([this](TObject*) { MorphTimerProc(); });
    TbsSkinData* sd = AParentMenu->SkinData;
    // A frame entry whose picture is missing counts as no frame entry.
    if (AData && AData->WindowPictureIndex != -1 && sd)
        if (TBitmap* wp = bsSkinActiveBitmap(sd, AData->WindowPictureIndex))
        {
            PW = AData;
            SD = sd;
            WindowPicture = wp;
            if (AData->MaskPictureIndex != -1) MaskPicture = bsSkinActiveBitmap(sd, AData->MaskPictureIndex);
        }
}

TbsSkinPopupWindow::~TbsSkinPopupWindow()
{
    MouseTimer->SetEnabled(false);
    MorphTimer->SetEnabled(false);
    if (HandleAllocated()) KillTimer(handle_, kScrollTimer);
    ItemList.clear();
}

void TbsSkinPopupWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    // Never activated: clicks leave the form active and focused (and the X11
    // backend makes such a window an override-redirect one).
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS;
    if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TbsSkinPopupWindow::WndProc(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_MOUSEACTIVATE: m.Result = MA_NOACTIVATE; return;
    case WM_ERASEBKGND: m.Result = 1; return;   // the whole level is painted in Paint
    case WM_TIMER:
        if (m.WParam == kScrollTimer)
        {
            if (ScrollCode == 1)
            {
                if (CanScroll(1)) ScrollUp(false);
                else StopScroll();
            }
            else if (ScrollCode == 2)
            {
                if (CanScroll(2)) ScrollDown(false);
                else StopScroll();
            }
            return;
        }
        break;
    default: break;
    }
    TCustomControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Building

int TbsSkinPopupWindow::ItemHeight(const TbsSkinMenuItem* Item) const
{
    if (DSMI) return Item->IsSeparator() ? RectHeight(DSMI->DividerRect) : RectHeight(DSMI->SkinRect);
    return Item->IsSeparator() ? 4 : ParentMenu->DefaultMenuItemHeight();
}

void TbsSkinPopupWindow::SetItemFont(TFont* F) const { bsmenus::SetItemFont(F, ParentMenu, PW ? DSMI : nullptr); }

void TbsSkinPopupWindow::CreateItems(TMenuItem* AItem, TMenuItem* AItem2, int StartIndex)
{
    FListed = AItem;
    FTwoLists = AItem2 != nullptr;
    DSMI = nullptr;
    if (SD && !SD->Empty)
        for (const auto& o : SD->ObjectList)
            if (auto* mi = dynamic_cast<const TbsDataSkinMenuItem*>(o.get()))
            {
                DSMI = mi;
                break;
            }
    // Without the frame entry the level and its items take the default look.
    if (!PW) DSMI = nullptr;
    TMenu* M = AItem->GetParentMenu();
    if (M && M->AutoLineReduction() == maAutomatic) AItem->RethinkLines();
    ImgL = M ? M->Images() : nullptr;
    ItemList.clear();
    for (int i = StartIndex; i < AItem->Count(); ++i)
        if (AItem->Items(i)->Visible()) ItemList.push_back(std::make_unique<TbsSkinMenuItem>(this, AItem->Items(i), DSMI));
    if (AItem2)
        for (int i = std::max(0, StartIndex - AItem->Count()); i < AItem2->Count(); ++i)
            if (AItem2->Items(i)->Visible())
                ItemList.push_back(std::make_unique<TbsSkinMenuItem>(this, AItem2->Items(i), DSMI));

    // Width: the widest caption (with its shortcut) and the glyph column.
    TBitmap measure(1, 1, pf32bit);
    TCanvas* mc = measure.Canvas();
    SetItemFont(mc->Font());
    int m = 0;
    for (auto& it : ItemList)
    {
        std::string text = it->MenuItem->Caption();
        const std::string sc = ShortCutTextOf(it->MenuItem);
        if (!sc.empty()) text += "  " + sc;
        m = std::max(m, RectWidth(MeasureText(mc, text, TRect(0, 0, 0, 0))) + 2);
    }
    GlyphWidth = ImgL ? ImgL->GetWidth() + 5 : 19;
    int w = m + GlyphWidth + 19;
    const int pw = WindowPicture ? WindowPicture->GetWidth() : 0;
    const int ph = WindowPicture ? WindowPicture->GetHeight() : 0;
    if (!PW) w += 10;
    else if (DSMI)
        w += DSMI->TextRct.Left + (RectWidth(DSMI->SkinRect) - DSMI->TextRct.Right) + (pw - RectWidth(PW->ItemsRect));
    else
        w += 10 + (pw - RectWidth(PW->ItemsRect));

    // Height: the items and the frame, or a fixed number of items.
    VisibleStartIndex = 0;
    VisibleCount = ItemCount();
    Scroll = Scroll2 = false;
    int S = 0;
    for (auto& it : ItemList) S += ItemHeight(it.get());
    const int F = PW ? ph - RectHeight(PW->ItemsRect) : (FTwoLists ? 6 : 4);
    const int limit = ParentMenu->MaxMenuItemsInWindow;
    int h;
    if (limit > 0 && limit < ItemCount())
    {
        h = limit * (DSMI ? RectHeight(DSMI->SkinRect) : ParentMenu->DefaultMenuItemHeight()) + F + 2 * kMarker;
        Scroll = Scroll2 = true;
    }
    else
        h = S + F;
    const int waH = RectHeight(ParentMenu->WorkArea);
    if (waH > 0 && h > waH)
    {
        h = waH;
        Scroll = true;
    }
    SetBounds(Left(), Top(), w, h);

    if (PW)
    {
        NewLTPoint = PW->LTPoint;
        NewRTPoint = TPoint(w + PW->RTPoint.X - pw, PW->RTPoint.Y);
        NewLBPoint = TPoint(PW->LBPoint.X, h + PW->LBPoint.Y - ph);
        NewRBPoint = TPoint(w + PW->RBPoint.X - pw, h + PW->RBPoint.Y - ph);
        NewItemsRect = TRect(PW->ItemsRect.Left, PW->ItemsRect.Top, w + PW->ItemsRect.Right - pw,
                             h + PW->ItemsRect.Bottom - ph);
    }
    else
        NewItemsRect = TRect(2, 2, w - 2, h - 2);
    ArrangeItems();
    if (MaskPicture) SetMenuRegion();
}

void TbsSkinPopupWindow::ArrangeItems()
{
    int y = NewItemsRect.Top, bottom = NewItemsRect.Bottom;
    if (Scroll)
    {
        y += kMarker;
        bottom -= kMarker;
    }
    VisibleCount = 0;
    for (int i = VisibleStartIndex; i < ItemCount(); ++i)
    {
        TbsSkinMenuItem* it = Item(i);
        const int h = ItemHeight(it);
        it->ObjectRect = TRect(NewItemsRect.Left, y, NewItemsRect.Right, y + h);
        if (y + h > bottom) break;
        it->FVisible = true;
        ++VisibleCount;
        y += h;
    }
    if (Scroll)
        for (int i = 0; i < ItemCount(); ++i)
            if (i < VisibleStartIndex || i >= VisibleStartIndex + VisibleCount) Item(i)->FVisible = false;
}

int TbsSkinPopupWindow::GetLastStartIndex() const
{
    int a = NewItemsRect.Bottom - kMarker, k = 0;
    for (int i = ItemCount() - 1; i >= 0; --i)
    {
        a -= ItemHeight(Item(i));
        if (a < kMarker) break;
        ++k;
    }
    return ItemCount() - k;
}

void TbsSkinPopupWindow::SetMenuRegion()
{
    HRGN rgn = nullptr;
    const int pw = WindowPicture->GetWidth(), ph = WindowPicture->GetHeight();
    (void)pw;
    (void)ph;
    CreateSkinRegion(rgn, PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect, NewLTPoint, NewRTPoint,
                     NewLBPoint, NewRBPoint, NewItemsRect, MaskPicture, Width(), Height());
    if (!rgn) return;
    HandleNeeded();
    // The window owns the region from here on.
    SetWindowRgn(handle_, rgn, TRUE);
}

// ---------------------------------------------------------------------------
// Placement and showing

void TbsSkinPopupWindow::Place(const TRect& R, bool PopupByItem, bool PopupUp)
{
    const TRect WA = ParentMenu->WorkArea;
    const int W = Width(), H = Height(), NT = NewItemsRect.Top;
    const int half = WA.Top + RectHeight(WA) / 2;
    bool beside = false;
    const bool cut = Scroll && !Scroll2;
    if (cut)
        ShowY = WA.Top;
    else if (PopupByItem)
    {
        if (R.Top + H - NT <= WA.Bottom) ShowY = R.Top - NT;
        else if (R.Top < half) ShowY = WA.Bottom - H;
        else ShowY = std::max(WA.Top, R.Bottom + NT - H);
    }
    else if (PopupUp)
    {
        if (R.Top - H >= WA.Top) ShowY = R.Top - H;
        else if (R.Top < half)
        {
            if (R.Bottom + H <= WA.Bottom) ShowY = R.Bottom;
            else
            {
                ShowY = WA.Bottom - H;
                beside = true;
            }
        }
        else
        {
            ShowY = WA.Top;
            beside = true;
        }
    }
    else if (R.Bottom + H <= WA.Bottom)
        ShowY = R.Bottom;
    else if (R.Top < half)
    {
        ShowY = WA.Bottom - H;
        beside = true;
    }
    else if (R.Top - H >= WA.Top)
        ShowY = R.Top - H;
    else
    {
        ShowY = WA.Top;
        beside = true;
    }
    if (PopupByItem || cut || beside)
        ShowX = R.Right + W + 1 <= WA.Right ? R.Right + 1 : R.Left - W - 1;
    else if (R.Left + W > WA.Right)
        ShowX = WA.Right - W;
    else if (R.Left < WA.Left)
        ShowX = WA.Left;
    else
        ShowX = R.Left;
}

void TbsSkinPopupWindow::Show(const TRect& R, TMenuItem* AItem, int StartIndex, bool PopupByItem, bool PopupUp)
{
    Show2(R, AItem, nullptr, StartIndex, PopupByItem, PopupUp);
}

void TbsSkinPopupWindow::Show2(const TRect& R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                               bool PopupUp)
{
    TbsSkinMenu* M = ParentMenu;
    const bool fade = IsLayeredWindowsAvailable() && M->AlphaBlend && M->AlphaBlendAnimation && M->First();
    CreateItems(AItem, AItem2, StartIndex);
    Place(R, PopupByItem, PopupUp);
    HandleNeeded();
    const bool layered = IsLayeredWindowsAvailable() && M->AlphaBlend;
    if (layered)
    {
        SetWindowLong(handle_, GWL_EXSTYLE, GetWindowLong(handle_, GWL_EXSTYLE) | LONG(WS_EX_LAYERED));
        SetLayeredWindowAttributes(handle_, 0, fade ? 0 : M->AlphaBlendValue, LWA_ALPHA);
    }
    SetBounds(ShowX, ShowY, Width(), Height());
    SetWindowPos(handle_, HWND_TOPMOST, ShowX, ShowY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    visible_ = true;
    Invalidate();
    if (fade)
    {
        // Fifteen steps, one per timer tick (more than 5 ms apart): the level
        // takes keys and the mouse while it fades in.
        HWND h = handle_;
        FFade.Start(M->AlphaBlendValue, M->AlphaBlendValue / 15, FadeInterval,
                    [h](int alpha) { SetLayeredWindowAttributes(h, 0, BYTE(alpha), LWA_ALPHA); });
    }
    ShowLevel();
}

void TbsSkinPopupWindow::ShowLevel()
{
    MouseTimer->SetEnabled(true);
    ActiveItem = -1;
    for (int i = 0; i < ItemCount(); ++i)
        if (Usable(i))
        {
            Item(i)->WaitCommand = true;
            ActiveItem = i;
            Item(i)->MouseEnter(true);
            break;
        }
}

void TbsSkinPopupWindow::Hide()
{
    if (HandleAllocated())
    {
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        KillTimer(handle_, kScrollTimer);
    }
    MouseTimer->SetEnabled(false);
    MorphTimer->SetEnabled(false);
    FFade.Stop();
    visible_ = false;
}

// ---------------------------------------------------------------------------
// Painting

void TbsSkinPopupWindow::Paint() { PaintMenu(Canvas()); }

void TbsSkinPopupWindow::DrawNow(const std::function<void(TCanvas*)>& draw)
{
    if (!HandleAllocated() || !visible_) return;
    HDC dc = GetDC(handle_);
    if (!dc) return;
    TCanvas c;
    c.SetHandle(dc);
    draw(&c);
    c.SetHandle(nullptr);
    ReleaseDC(handle_, dc);
}

void TbsSkinPopupWindow::CreateMenuImage(TBitmap* B, bool AFill)
{
    const int W = Width(), H = Height();
    B->SetPixelFormat(pf32bit);
    B->SetSize(W, H);
    TCanvas* C = B->Canvas();
    if (PW)
    {
        const TRect whole(0, 0, WindowPicture->GetWidth(), WindowPicture->GetHeight());
        CreateSkinImage2(PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect, NewLTPoint, NewRTPoint,
                         NewLBPoint, NewRBPoint, NewItemsRect, B, WindowPicture, whole, W, H, AFill,
                         PW->LeftStretch, PW->TopStretch, PW->RightStretch, PW->BottomStretch, PW->StretchEffect,
                         PW->StretchType);
        return;
    }
    const int s = ImgL ? GlyphWidth + 2 : 21;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(0, 0, s, H));
    C->Brush()->SetColor(clWindow);
    C->FillRect(TRect(s, 0, W, H));
    C->Brush()->SetColor(clBtnShadow);
    C->FrameRect(TRect(0, 0, W, H));
    C->Brush()->SetColor(clWindow);
    C->FrameRect(TRect(1, 1, W - 1, H - 1));
}

void TbsSkinPopupWindow::DrawItemArea(TCanvas* C, const TRect& R)
{
    if (!SD || IsEmptyRect(R)) return;
    int i = SD->GetIndex("menuitem");
    if (i == -1) i = SD->GetIndex("MENUITEM");
    if (i == -1) return;
    auto* mi = dynamic_cast<const TbsDataSkinMenuItem*>(SD->ObjectList[std::size_t(i)].get());
    if (!mi) return;
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    if (mi->InActiveTransparent && FPaintBuffer)
    {
        b.SetSize(RectWidth(R), RectHeight(R));
        b.Canvas()->CopyRect(TRect(0, 0, RectWidth(R), RectHeight(R)), FPaintBuffer->Canvas(), R);
    }
    else
    {
        TBitmap* pic = bsSkinActiveBitmap(SD, mi->ActivePictureIndex);
        if (!pic) return;
        CreateHSkinImage(mi->ItemLO, mi->ItemRO, &b, pic, mi->SkinRect, RectWidth(R), RectHeight(mi->SkinRect),
                         mi->InActiveStretchEffect);
    }
    if (b.GetWidth() <= 0 || b.GetHeight() <= 0) return;
    const int h = std::min(b.GetHeight(), RectHeight(R));
    C->CopyRect(TRect(R.Left, R.Top, R.Left + b.GetWidth(), R.Top + h), b.Canvas(), TRect(0, 0, b.GetWidth(), h));
}

void TbsSkinPopupWindow::DrawUpMarker(TCanvas* C)
{
    TRect band;
    TColor color;
    if (PW)
    {
        band = TRect(NewItemsRect.Left, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Top + kMarker);
        DrawItemArea(C, band);
        color = TColor(ScrollCode == 1 ? PW->ScrollMarkerActiveColor : PW->ScrollMarkerColor);
    }
    else
    {
        band = TRect(3, 3, Width() - 3, 13);
        color = ScrollCode == 1 ? clBtnText : clBtnShadow;
    }
    DrawArrowGlyph(C, band, ColorToRGB(color), 3);
}

void TbsSkinPopupWindow::DrawDownMarker(TCanvas* C)
{
    TRect band;
    TColor color;
    if (PW)
    {
        band = TRect(NewItemsRect.Left, NewItemsRect.Bottom - kMarker, NewItemsRect.Right, NewItemsRect.Bottom);
        DrawItemArea(C, band);
        color = TColor(ScrollCode == 2 ? PW->ScrollMarkerActiveColor : PW->ScrollMarkerColor);
    }
    else
    {
        band = TRect(3, Height() - 10, Width() - 3, Height() - 3);
        color = ScrollCode == 2 ? clBtnText : clBtnShadow;
    }
    DrawArrowGlyph(C, band, ColorToRGB(color), 4);
}

void TbsSkinPopupWindow::PaintMenu(TCanvas* C)
{
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap B;
    CreateMenuImage(&B, Scroll);
    if (PW && DSMI && DSMI->InActiveTransparent)
    {
        FPaintBuffer = std::make_unique<TBitmap>();
        CreateMenuImage(FPaintBuffer.get(), true);
    }
    int lastBottom = NewItemsRect.Top + (Scroll ? kMarker : 0);
    for (int i = VisibleStartIndex; i < VisibleStartIndex + VisibleCount && i < ItemCount(); ++i)
    {
        Item(i)->Draw(B.Canvas());
        lastBottom = Item(i)->ObjectRect.Bottom;
    }
    if (Scroll)
    {
        DrawUpMarker(B.Canvas());
        DrawDownMarker(B.Canvas());
        if (lastBottom < NewItemsRect.Bottom - kMarker)
            DrawItemArea(B.Canvas(), TRect(NewItemsRect.Left, lastBottom, NewItemsRect.Right, NewItemsRect.Bottom - kMarker));
    }
    C->Draw(0, 0, &B);
}

void TbsSkinPopupWindow::MorphTimerProc()
{
    if (!PW)
    {
        MorphTimer->SetEnabled(false);
        return;
    }
    bool changed = false;
    for (auto& it : ItemList)
    {
        if (it->EnableMorphing() && it->CanMorphing())
        {
            it->DoMorphing();
            changed = true;
        }
        else if (it->EnableAnimation())
        {
            if (it->Active && it->CurrentFrame <= it->MI->FrameCount)
            {
                ++it->CurrentFrame;
                DrawNow([&](TCanvas* c) { it->Draw(c); });
                changed = true;
            }
            else if (!it->Active && it->CurrentFrame > 0)
            {
                --it->CurrentFrame;
                DrawNow([&](TCanvas* c) { it->Draw(c); });
                changed = true;
            }
        }
    }
    if (!changed) MorphTimer->SetEnabled(false);
}

// ---------------------------------------------------------------------------
// Mouse

bool TbsSkinPopupWindow::CursorInWindow(TPoint P) { return HandleAllocated() && WindowFromPoint(P) == handle_; }

bool TbsSkinPopupWindow::InItemRect(int X, int Y) const
{
    for (auto& it : ItemList)
        if (it->FVisible && PtInRect(it->ObjectRect, TPoint(X, Y))) return true;
    return false;
}

bool TbsSkinPopupWindow::CanScroll(int Code) const
{
    if (Code == 1) return VisibleStartIndex > 0;
    if (Code == 2) return VisibleStartIndex + VisibleCount - 1 < ItemCount() - 1;
    return false;
}

bool TbsSkinPopupWindow::Usable(int i) const
{
    const TMenuItem* mi = Item(i)->MenuItem;
    return mi->Enabled() && !mi->IsLine();
}

void TbsSkinPopupWindow::MouseTimerProc()
{
    TPoint sp;
    GetCursorPos(&sp);
    const TPoint cp = ScreenToClient(sp);
    if (cp.X == OMX && cp.Y == OMY) return;
    if (CursorInWindow(sp)) TestActive(cp.X, cp.Y);
    else if (Scroll)
    {
        ScrollCode = 0;
        DrawNow([this](TCanvas* c) { DrawUpMarker(c); });
        DrawNow([this](TCanvas* c) { DrawDownMarker(c); });
    }
    OMX = cp.X;
    OMY = cp.Y;
}

void TbsSkinPopupWindow::TestActive(int X, int Y)
{
    const TPoint p(X, Y);
    if (Scroll)
    {
        const TRect up(NewItemsRect.Left, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Top + kMarker);
        const TRect down(NewItemsRect.Left, NewItemsRect.Bottom - kMarker, NewItemsRect.Right, NewItemsRect.Bottom);
        if (PtInRect(up, p) && ScrollCode == 0 && CanScroll(1))
        {
            ScrollCode = 1;
            DrawNow([this](TCanvas* c) { DrawUpMarker(c); });
            StartScroll();
        }
        else if (PtInRect(down, p) && ScrollCode == 0 && CanScroll(2))
        {
            ScrollCode = 2;
            DrawNow([this](TCanvas* c) { DrawDownMarker(c); });
            StartScroll();
        }
        else if (ScrollCode != 0 && !PtInRect(up, p) && !PtInRect(down, p))
            StopScroll();
    }
    if (ItemList.empty()) return;
    OldActiveItem = ActiveItem;
    for (int i = 0; i < ItemCount(); ++i)
        if (Item(i)->FVisible && PtInRect(Item(i)->ObjectRect, p))
        {
            ActiveItem = i;
            break;
        }
    if (OldActiveItem >= ItemCount()) OldActiveItem = -1;
    if (ActiveItem >= ItemCount()) ActiveItem = -1;
    if (ActiveItem == OldActiveItem && ActiveItem != -1)
    {
        TbsSkinMenuItem* it = Item(ActiveItem);
        if (it->WaitCommand)
        {
            it->WaitCommand = false;
            if (it->MenuItem->Count() > 0) it->MouseEnter(false);
        }
        return;
    }
    if (ActiveItem == -1 && OldActiveItem == -1) return;
    if (OldActiveItem != -1 && Usable(OldActiveItem)) Item(OldActiveItem)->MouseLeave();
    if (ActiveItem != -1 && Usable(ActiveItem)) Item(ActiveItem)->MouseEnter(false);
}

void TbsSkinPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    TestActive(X, Y);
    if (ActiveItem != -1 && Button == mbLeft && InItemRect(X, Y) && !Item(ActiveItem)->IsSeparator())
        Item(ActiveItem)->MouseDown(X, Y);
}

// ---------------------------------------------------------------------------
// Scrolling

void TbsSkinPopupWindow::StartScroll()
{
    const int i = ParentMenu->GetPWIndex(this);
    if (i + 1 < ParentMenu->LevelCount()) ParentMenu->CloseMenu(i + 1);
    KillTimer(GetHandle(), kScrollTimer);
    SetTimer(GetHandle(), kScrollTimer, 100);
}

void TbsSkinPopupWindow::StopScroll()
{
    ScrollCode = 0;
    if (HandleAllocated())
    {
        DrawNow([this](TCanvas* c) { DrawUpMarker(c); });
        DrawNow([this](TCanvas* c) { DrawDownMarker(c); });
        KillTimer(handle_, kScrollTimer);
    }
}

void TbsSkinPopupWindow::ScrollUp(bool AWrap)
{
    if (VisibleStartIndex > 0) --VisibleStartIndex;
    else if (AWrap) VisibleStartIndex = GetLastStartIndex();
    else return;
    ArrangeItems();
    Repaint();
}

void TbsSkinPopupWindow::ScrollDown(bool AWrap)
{
    if (VisibleStartIndex + VisibleCount - 1 < ItemCount() - 1) ++VisibleStartIndex;
    else if (AWrap) VisibleStartIndex = 0;
    else return;
    ArrangeItems();
    Repaint();
}

void TbsSkinPopupWindow::CloseChildLevels()
{
    const int i = ParentMenu->GetPWIndex(this);
    if (i + 1 < ParentMenu->LevelCount()) ParentMenu->CloseMenu(i + 1);
    for (auto& it : ItemList)
        if (it->Down)
        {
            it->Down = false;
            if (!it->EnableAnimation() || it->MI->InActiveAnimation) it->ReDraw();
            else
            {
                it->CurrentFrame = 0;
                DrawNow([&](TCanvas* c) { it->Draw(c); });
            }
        }
}

// ---------------------------------------------------------------------------
// Keyboard

void TbsSkinPopupWindow::NextItem()
{
    auto lastShown = [this] { return Scroll && ScrollCode == 0 && ActiveItem == VisibleStartIndex + VisibleCount - 1; };
    if (lastShown()) ScrollDown(true);
    OldActiveItem = ActiveItem;
    int from = ActiveItem < 0 ? 0 : ActiveItem + 1;
    if (from == ItemCount()) from = 0;
    for (int i = from; i < ItemCount(); ++i)
    {
        if (Usable(i))
        {
            ActiveItem = i;
            break;
        }
        if (Scroll && ScrollCode == 0 && i == VisibleStartIndex + VisibleCount - 1) ScrollDown(true);
    }
    if (ActiveItem != OldActiveItem)
    {
        Item(ActiveItem)->MouseEnter(true);
        if (OldActiveItem != -1) Item(OldActiveItem)->MouseLeave();
    }
}

void TbsSkinPopupWindow::PriorItem()
{
    if (Scroll && ScrollCode == 0 && ActiveItem == VisibleStartIndex) ScrollUp(true);
    OldActiveItem = ActiveItem;
    int from = ActiveItem < 0 ? ItemCount() - 1 : ActiveItem - 1;
    if (from == -1) from = ItemCount() - 1;
    for (int i = from; i >= 0; --i)
    {
        if (Usable(i))
        {
            ActiveItem = i;
            break;
        }
        if (Scroll && ScrollCode == 0 && i == VisibleStartIndex) ScrollUp(true);
    }
    if (ActiveItem != OldActiveItem)
    {
        Item(ActiveItem)->MouseEnter(true);
        if (OldActiveItem != -1) Item(OldActiveItem)->MouseLeave();
    }
}

void TbsSkinPopupWindow::PopupKeyDown(int CharCode)
{
    if (!visible_) return;
    if (enabled_)
        for (int i = 0; i < ItemCount(); ++i)
            if (IsAccel(WORD(CharCode), Item(i)->MenuItem->Caption()))
            {
                TbsSkinMenuItem* it = Item(i);
                it->MouseEnter(false);
                OldActiveItem = ActiveItem;
                ActiveItem = i;
                if (OldActiveItem != -1 && OldActiveItem != i && OldActiveItem < ItemCount())
                    Item(OldActiveItem)->MouseLeave();
                // May close the menu; this level stays alive until the message is done.
                it->MouseDown(0, 0);
                return;
            }
    TbsSkinMenu* M = ParentMenu;
    switch (CharCode)
    {
    case VK_RETURN:
        if (ActiveItem != -1) Item(ActiveItem)->MouseDown(0, 0);
        break;
    case VK_ESCAPE:
    case VK_LEFT:
        if (M->LevelCount() >= 2)
        {
            TbsSkinPopupWindow* parent = M->Level(M->LevelCount() - 2);
            if (parent->ActiveItem != -1) parent->Item(parent->ActiveItem)->Down = false;
            M->CloseMenu(M->LevelCount() - 1);
            if (parent->ActiveItem != -1) parent->Item(parent->ActiveItem)->ReDraw();
        }
        else if (CharCode == VK_ESCAPE)
            M->CloseMenu(0);
        break;
    case VK_UP: PriorItem(); break;
    case VK_DOWN: NextItem(); break;
    case VK_RIGHT:
        if (ActiveItem != -1 && Item(ActiveItem)->MenuItem->Count() > 0) Item(ActiveItem)->MouseDown(0, 0);
        break;
    default: break;
    }
}
