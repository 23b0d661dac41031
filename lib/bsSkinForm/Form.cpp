// The form skinning component: window procedure, frame geometry, painting,
// window region, hit testing, non-client mouse and skin changes.
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>

#include "lib/bsEffects.h"
#include "lib/bsTrayIcon.h"

namespace
{
constexpr int DefBorder = 3;

bool InRect(const TRect& r, TPoint p) { return p.X >= r.Left && p.Y >= r.Top && p.X < r.Right && p.Y < r.Bottom; }
}  // namespace

TbsSkinForm* FindSkinForm(TCustomForm* AForm)
{
    if (!AForm) return nullptr;
    for (int i = 0; i < AForm->ComponentCount(); ++i)
        if (auto* sf = dynamic_cast<TbsSkinForm*>(AForm->Components(i))) return sf;
    return nullptr;
}

TbsSkinForm::TbsSkinForm(TComponent* AOwner) : TComponent(AOwner)
{
    FForm = dynamic_cast<TCustomForm*>(AOwner);
    if (!FForm) throw Exception("Invalid class typecast");
    LogoBitMap = std::make_unique<TBitmap>();
    for (auto [font, color] : {std::pair{&FDefCaptionFont, clBtnText}, std::pair{&FDefInActiveCaptionFont, clBtnShadow}})
    {
        *font = std::make_unique<TFont>();
        (*font)->SetName("Arial");
        (*font)->SetHeight(14);
        (*font)->SetStyle(TFontStyles{fsBold});
        (*font)->SetColor(color);
    }
    MouseTimer = new TTimer(this);
    MouseTimer->SetEnabled(false);
    MouseTimer->SetInterval(50);
    MouseTimer->SetOnTimer([this](TObject* s) { MouseTimerProc(s); });
    FBorderLayer = std::make_unique<TbsFormLayerBorder>(this);
    ObjectsAttach();
    CreateMenus();
    // The frame's buttons are the component's; the form keeps none.
    FForm->SetBorderIcons(TBorderIcons());
    FForm->AutoScroll = false;
    if (ComponentState() & csDesigning) return;
    OldWindowProc = FForm->WindowProc;
    FForm->WindowProc = [this](TMessage& m) { NewWindowProc(m); };
    // The new frame comes with the first WM_NCCALCSIZE.
    if (FForm->HandleAllocated()) FForm->RecreateWnd();
}

TbsSkinForm::~TbsSkinForm()
{
    // A form's components go before its window: a maximized MDI child tells
    // the main form here, as its window's end would.
    if (IsMDIChild() && FWindowState == wsMaximized)
    {
        FWindowState = wsNormal;
        if (Application->MainForm() && Application->MainForm()->HandleAllocated())
            SendMessage(Application->MainForm()->Handle(), BSM_MDICHILD_RESTORED, 0, 0);
    }
    UnHookApp();
    ObjectList.clear();
    if (FClientToken && IsWindow(FClientWnd)) RemoveWindowSubclass(FClientWnd, FClientToken);
    SetTrayIcon(nullptr);
    if (FIcon) DestroyIcon(FIcon);
    if (!(ComponentState() & csDesigning) && OldWindowProc) FForm->WindowProc = OldWindowProc;
    SetSkinData(nullptr);
    if (FRgn)
    {
        if (FForm->HandleAllocated()) SetWindowRgn(FForm->Handle(), nullptr, FALSE);
        DeleteObject(FRgn);
    }
}

void TbsSkinForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FTrayIcon) FTrayIcon = nullptr;
    if (Operation == opRemove && AComponent == MDITabsBar) MDITabsBar = nullptr;
    if (Operation == opRemove && AComponent == FQuickImageList) FQuickImageList = nullptr;
    if (Operation == opRemove && AComponent == FMenusSD) FMenusSD = nullptr;
    if (Operation == opRemove && AComponent == FMainMenuBar) FMainMenuBar = nullptr;
    if (Operation == opRemove && AComponent == FSkinHint) FSkinHint = nullptr;
    if (Operation == opRemove && AComponent == FSystemMenu) FSystemMenu = nullptr;
    if (Operation == opRemove && AComponent == FStatusBar) FStatusBar = nullptr;
    if (Operation == opRemove &&
        std::erase_if(FMenuLinks, [AComponent](const TMenuLink& l) { return l.Menu == AComponent; }) > 0)
        ApplyMenuLinks();
    if (Operation == opRemove && AComponent == FSD)
    {
        FSD = nullptr;
        FSkinSupport = false;
        ClearObjects();
    }
}

void TbsSkinForm::SetSkinData(TbsSkinData* Value)
{
    if (FSD == Value) return;
    if (FSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD)
    {
        FSD->FreeNotification(this);
        FSkinnableForm = FSD->SkinnableForm();
    }
    if (FSysTrayMenu) FSysTrayMenu->SetSkinData(FSD);
    UpdateTrayMenuCaptions();
    if (!(ComponentState() & (csDesigning | csDestroying))) ChangeSkinData();
}

void TbsSkinForm::SetSkinnableForm(bool Value)
{
    if (FSkinnableForm == Value) return;
    FSkinnableForm = Value;
    if (FForm->HandleAllocated()) FForm->RecreateWnd();
    ChangeSkinData();
}

void TbsSkinForm::SetBorderIcons(const TbsBorderIcons& Value)
{
    FBorderIcons = Value;
    if (ComponentState() & (csDesigning | csLoading)) return;
    CheckObjects();
    NCPaint();
}

void TbsSkinForm::SetHideCaptionButtons(bool Value)
{
    FHideCaptionButtons = Value;
    if (ComponentState() & (csDesigning | csLoading)) return;
    CheckObjects();
    if (!FSkinnableForm) UpdateFormBorderIcons();
    NCPaint();
}

void TbsSkinForm::SetDefCaptionFont(const TFont* Value)
{
    if (Value) FDefCaptionFont->Assign(Value);
    if (!(ComponentState() & (csDesigning | csLoading)) && !FSkinSupport) NCPaint();
}

void TbsSkinForm::SetDefInActiveCaptionFont(const TFont* Value)
{
    if (Value) FDefInActiveCaptionFont->Assign(Value);
    if (!(ComponentState() & (csDesigning | csLoading)) && !FSkinSupport) NCPaint();
}

void TbsSkinForm::SetStatusBar(TbsSkinStatusBar* Value)
{
    if (FStatusBar == Value) return;
    if (FStatusBar) FStatusBar->RemoveFreeNotification(this);
    FStatusBar = Value;
    if (FStatusBar) FStatusBar->FreeNotification(this);
}

bool TbsSkinForm::GetFormActive() const { return PreviewMode || FFormActive || FForm->Active(); }

bool TbsSkinForm::Sizeable() const
{
    const TFormBorderStyle bs = FForm->GetBorderStyle();
    return bs == bsSizeable || bs == bsSizeToolWin;
}

bool TbsSkinForm::HasBorder() const { return FForm->GetBorderStyle() != bsNone; }

int TbsSkinForm::GetDefCaptionHeight() const
{
    const TFormBorderStyle bs = FForm->GetBorderStyle();
    return bs == bsToolWindow || bs == bsSizeToolWin ? 15 : 19;
}

int TbsSkinForm::GetDefButtonSize() const
{
    const TFormBorderStyle bs = FForm->GetBorderStyle();
    return bs == bsToolWindow || bs == bsSizeToolWin ? 13 : 17;
}

// ---------------------------------------------------------------------------
// Geometry

void TbsSkinForm::CalcRects()
{
    if (!FSD || FSD->Empty) return;
    const int dw = FFormWidth - FSD->FPicture.Width(), dh = FFormHeight - FSD->FPicture.Height();
    NewLTPoint = FSD->LTPoint;
    NewRTPoint = TPoint(FSD->RTPoint.X + dw, FSD->RTPoint.Y);
    NewLBPoint = TPoint(FSD->LBPoint.X, FSD->LBPoint.Y + dh);
    NewRBPoint = TPoint(FSD->RBPoint.X + dw, FSD->RBPoint.Y + dh);
    NewClRect = TRect(FSD->ClRect.Left, FSD->ClRect.Top, FSD->ClRect.Right + dw, FSD->ClRect.Bottom + dh);
    NewCaptionRect = FSD->CaptionRect;
    if (!IsEmptyRect(NewCaptionRect)) NewCaptionRect.Right += dw;
    NewButtonsRect = FSD->ButtonsRect;
    NewButtonsInLeft = FSD->CapButtonsInLeft;
    if (!IsEmptyRect(NewButtonsRect) && NewButtonsRect.Left > FSD->FPicture.Width() / 2) OffsetRect(NewButtonsRect, dw, 0);
    NewButtonsOffset = FSD->ButtonsOffset;
    NewHitTestLTPoint = FSD->HitTestLTPoint;
    NewHitTestRTPoint = TPoint(FSD->HitTestRTPoint.X + dw, FSD->HitTestRTPoint.Y);
    NewHitTestLBPoint = TPoint(FSD->HitTestLBPoint.X, FSD->HitTestLBPoint.Y + dh);
    NewHitTestRBPoint = TPoint(FSD->HitTestRBPoint.X + dw, FSD->HitTestRBPoint.Y + dh);
    NewMaskRectArea = TRect(FSD->MaskRectArea.Left, FSD->MaskRectArea.Top, FSD->MaskRectArea.Right + dw,
                            FSD->MaskRectArea.Bottom + dh);
}

void TbsSkinForm::CalcDefRects()
{
    if (ObjectList.empty()) return;
    const int ch = GetDefCaptionHeight(), bs = GetDefButtonSize();
    int x = FFormWidth - DefBorder;
    NewDefCaptionRect = TRect(DefBorder, DefBorder, FFormWidth - DefBorder, ch);
    auto visible = [](TbsActiveSkinObject* o) { return o->Visible && o->SkinRectInAPicture; };
    for (TbsStdCommand cmd : {cmClose, cmMaximize, cmMinimize, cmRollUp, cmMinimizeToTray})
        for (auto& o : ObjectList)
            if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get()); b && b->Command == cmd && visible(b))
            {
                b->ObjectRect = TRect(x - bs, 4, x, 4 + bs);
                x -= bs;
                break;
            }
    NewDefCaptionRect.Right = x;
    for (auto& o : ObjectList)
        if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get()); b && b->Command == cmSysMenu && visible(b))
        {
            int iw = bs, ih = bs;
            if (FShowIcon) GetSmallIconSize(iw, ih);
            b->ObjectRect = TRect(NewDefCaptionRect.Left, 4, NewDefCaptionRect.Left + iw, 4 + ih);
            NewDefCaptionRect.Left += iw;
            break;
        }
}

TRect TbsSkinForm::CalcObjectRect(const TRect& R) const
{
    if (!FSD) return R;
    const int pw = FSD->FPicture.Width(), ph = FSD->FPicture.Height();
    const TRect LT(0, 0, FSD->LTPoint.X, FSD->LTPoint.Y), RT(FSD->RTPoint.X, 0, pw, FSD->RTPoint.Y),
        LB(0, FSD->LBPoint.Y, FSD->LBPoint.X, ph), RB(FSD->RBPoint.X, FSD->RBPoint.Y, pw, ph);
    const int dx = NewRBPoint.X - FSD->RBPoint.X, dy = NewRBPoint.Y - FSD->RBPoint.Y;
    auto inside = [&R](const TRect& a) {
        return R.Left >= a.Left && R.Top >= a.Top && R.Right <= a.Right && R.Bottom <= a.Bottom;
    };
    TRect r = R;
    if (inside(LT)) return r;
    if (inside(RT)) return OffsetRect(r, dx, 0), r;
    if (inside(LB)) return OffsetRect(r, 0, dy), r;
    if (inside(RB)) return OffsetRect(r, dx, dy), r;
    const TPoint tl(R.Left, R.Top), br(R.Right, R.Bottom);
    if (InRect(LT, tl) && InRect(RB, br)) r.Right += dx, r.Bottom += dy;
    else if (InRect(LT, tl) && InRect(RT, br)) r.Right += dx;
    else if (InRect(LB, tl) && InRect(RB, br)) r.Right += dx, OffsetRect(r, 0, dy);
    else if (InRect(LT, tl) && InRect(LB, br)) r.Bottom += dy;
    else if (InRect(RT, tl) && InRect(RB, br)) OffsetRect(r, dx, 0), r.Bottom += dy;
    return r;
}

void TbsSkinForm::ArrangeObjects()
{
    TbsSkinCaptionObject* caption = nullptr;
    for (auto& o : ObjectList)
    {
        if (!o->SkinRectInAPicture) o->ObjectRect = CalcObjectRect(o->SkinRect);
        if (!caption) caption = dynamic_cast<TbsSkinCaptionObject*>(o.get());
    }
    TRect base;
    if (!IsEmptyRect(NewButtonsRect)) base = NewButtonsRect;
    else if (!IsEmptyRect(NewCaptionRect)) base = NewCaptionRect;
    else return;
    const int Y = base.Top;
    // The first visible button of each command, then the custom ones.
    std::vector<TbsSkinButtonObject*> row;
    TbsSkinStdButtonObject* sys = nullptr;
    for (TbsStdCommand cmd : {cmClose, cmMaximize, cmMinimize, cmRollUp, cmMinimizeToTray})
        for (auto& o : ObjectList)
            if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
                b && b->Command == cmd && b->Visible && b->SkinRectInAPicture)
            {
                row.push_back(b);
                break;
            }
    for (auto& o : ObjectList)
    {
        auto* b = dynamic_cast<TbsSkinButtonObject*>(o.get());
        if (!b || !b->Visible || !b->SkinRectInAPicture) continue;
        auto* sb = dynamic_cast<TbsSkinStdButtonObject*>(b);
        if (!sb || sb->Command == cmDefault) row.push_back(b);
        else if (sb->Command == cmSysMenu && !sys) sys = sb;
    }
    if (!NewButtonsInLeft)
    {
        int x = base.Right;
        for (TbsSkinButtonObject* b : row)
        {
            const int w = RectWidth(b->SkinRect), h = RectHeight(b->SkinRect);
            b->ObjectRect = TRect(x - w, Y, x, Y + h);
            x -= w + NewButtonsOffset;
        }
        if (IsEmptyRect(NewButtonsRect) && caption) caption->ObjectRect.Right = x + NewButtonsOffset;
        if (sys)
        {
            int w = RectWidth(sys->SkinRect), h = RectHeight(sys->SkinRect);
            if (FShowIcon) GetSmallIconSize(w, h);
            int sx = NewCaptionRect.Left;
            const int top = NewCaptionRect.Top + RectHeight(NewCaptionRect) / 2 - h / 2;
            sys->ObjectRect = TRect(sx, top, sx + w, top + h);
            sx += w + NewButtonsOffset;
            if (caption) caption->ObjectRect.Left = sx - NewButtonsOffset;
        }
    }
    else
    {
        int x = base.Left;
        if (sys) sys->ObjectRect = TRect();  // no place for it unless in the row
        if (IsEmptyRect(NewButtonsRect) && sys) row.push_back(sys);
        for (TbsSkinButtonObject* b : row)
        {
            const int w = RectWidth(b->SkinRect), h = RectHeight(b->SkinRect);
            b->ObjectRect = TRect(x, Y, x + w, Y + h);
            x += w + NewButtonsOffset;
        }
        if (IsEmptyRect(NewButtonsRect) && caption) caption->ObjectRect.Left = x + NewButtonsOffset;
    }
}

// ---------------------------------------------------------------------------
// Objects

void TbsSkinForm::ClearObjects()
{
    if (MouseCaptureObject != -1 && FForm->HandleAllocated() && GetCapture() == FForm->Handle()) ReleaseCapture();
    ObjectList.clear();
    ActiveObject = OldActiveObject = MouseCaptureObject = -1;
    if (MouseTimer) MouseTimer->SetEnabled(false);
    if (MorphTimer) MorphTimer->SetEnabled(false);
    if (AnimateTimer) AnimateTimer->SetEnabled(false);
    HideGlowLayers();
}

void TbsSkinForm::CreateObjects()
{
    ClearObjects();
    if (!FSD) return;
    for (const auto& e : FSD->ObjectList)
    {
        const TbsDataSkinObject* d = e.get();
        if (dynamic_cast<const TbsDataSkinMainMenuItem*>(d) || dynamic_cast<const TbsDataSkinMenuItem*>(d) ||
            dynamic_cast<const TbsDataSkinMainMenuBarButton*>(d))
            continue;
        if (auto* sb = dynamic_cast<const TbsDataSkinStdButton*>(d))
            ObjectList.push_back(std::make_unique<TbsSkinStdButtonObject>(this, sb));
        else if (auto* b = dynamic_cast<const TbsDataSkinButton*>(d))
            ObjectList.push_back(std::make_unique<TbsSkinButtonObject>(this, b));
        else if (auto* c = dynamic_cast<const TbsDataSkinCaption*>(d))
            ObjectList.push_back(std::make_unique<TbsSkinCaptionObject>(this, c));
        else if (auto* a = dynamic_cast<const TbsDataSkinAnimate*>(d))
            ObjectList.push_back(std::make_unique<TbsSkinAnimateObject>(this, a));
        else if (auto* u = dynamic_cast<const TbsDataUserObject*>(d))
            ObjectList.push_back(std::make_unique<TbsUserObject>(this, u));
    }
    CheckObjects();
}

void TbsSkinForm::CreateDefaultObjects()
{
    ClearObjects();
    const std::pair<const char*, TbsStdCommand> defs[] = {{"closebutton", cmClose},   {"maxbutton", cmMaximize},
                                                          {"minbutton", cmMinimize},  {"rollupbutton", cmRollUp},
                                                          {"sysmenubutton", cmSysMenu}, {"traybutton", cmMinimizeToTray}};
    for (const auto& [name, cmd] : defs)
    {
        auto b = std::make_unique<TbsSkinStdButtonObject>(this, nullptr);
        b->IDName = name;
        b->Command = cmd;
        b->SkinRectInAPicture = true;
        b->SkinRect = b->ActiveSkinRect = b->DownRect = TRect(0, 0, 1, 1);
        ObjectList.push_back(std::move(b));
    }
    CheckObjects();
}

void TbsSkinForm::CheckObjects()
{
    // Whether the buttons of a command may be used, by the border icons.
    auto allowed = [this](TbsStdCommand cmd) {
        switch (cmd)
        {
        case cmMaximize: return FBorderIcons.Maximize;
        case cmMinimize: return FBorderIcons.Minimize;
        case cmRollUp: return FBorderIcons.RollUp;
        case cmMinimizeToTray: return FBorderIcons.MinimizeToTray;
        case cmSysMenu: return FBorderIcons.SystemMenu && !DisableSystemMenu;
        default: return true;
        }
    };
    // A custom button shows only when the form says so.
    auto customVisible = [this](const std::string& id) {
        bool visible = false;
        if (OnActivateCustomObject) OnActivateCustomObject(this, id, visible);
        return visible;
    };
    for (auto& o : ObjectList)
    {
        auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get());
        auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
        // Animations follow the border icons as buttons do when they act as buttons.
        if ((!a || !a->ButtonStyle) && !b) continue;
        const TbsStdCommand cmd = a ? a->Command : b->Command;
        if (FHideCaptionButtons)
        {
            o->Enabled = false;
            o->Visible = !o->SkinRectInAPicture;
            continue;
        }
        // The close button is always there (again, after hidden buttons).
        if (cmd == cmClose)
        {
            o->Enabled = o->Visible = true;
            continue;
        }
        if (cmd == cmDefault)
        {
            o->Visible = customVisible(o->IDName);
            continue;
        }
        o->Enabled = allowed(cmd);
        o->Visible = o->SkinRectInAPicture ? o->Enabled : true;
    }
    SetDefaultObjectHints();
}

void TbsSkinForm::SetDefaultObjectHints()
{
    if (!UseDefaultObjectHint || !FSD) return;
    static const std::pair<const char*, const char*> hints[] = {
        {"CLOSEBUTTON_HINT", "Close"},   {"MAXBUTTON_HINT", "Maximize"},   {"MINBUTTON_HINT", "Minimize"},
        {"MENUBUTTON_HINT", "System menu"}, {"", ""},                     {"ROLLUPBUTTON_HINT", "Roll Up"},
        {"TRAYBUTTON_HINT", "Minimize to Tray"}};
    auto text = [this](const char* key, const char* builtIn) {
        const std::string s = FSD->ResourceStrData() ? FSD->ResourceStrData()->GetResStr(key) : "";
        return s.empty() ? std::string(builtIn) : s;
    };
    for (auto& o : ObjectList)
    {
        if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get()); b && b->Command != cmDefault)
        {
            b->Hint = b->FTempHint = text(hints[b->Command].first, hints[b->Command].second);
            b->RestoreHint = text("RESTORE_HINT", "Restore");
        }
        else if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get()); a && a->Command != cmDefault)
        {
            a->Hint = a->FTempHint = text(hints[a->Command].first, hints[a->Command].second);
            a->RestoreHint = text("RESTORE_HINT", "Restore");
        }
    }
}


int TbsSkinForm::GetIndex(const std::string& AIDName) const
{
    for (std::size_t i = 0; i < ObjectList.size(); ++i)
        if (ObjectList[i]->IDName == AIDName) return int(i);
    return -1;
}

void TbsSkinForm::SetEnabled(const std::string& AIDName, bool Value)
{
    const int i = GetIndex(AIDName);
    if (i == -1) return;
    ObjectList[std::size_t(i)]->Enabled = Value;
    NCPaint();
}

// ---------------------------------------------------------------------------
// Painting and region

void TbsSkinForm::NCPaint()
{
    if (FForm->HandleAllocated() && FSkinnableForm) SendMessage(FForm->Handle(), WM_NCPAINT, 1, 0);
}

void TbsSkinForm::PaintNCSkin(HDC DC)
{
    if (!FSD || FSD->Empty || !FForm->HandleAllocated()) return;
    if (FFormWidth == 0 || FFormHeight == 0) FFormWidth = FForm->Width(), FFormHeight = FForm->Height();
    if (!PreviewMode && (FFormWidth < GetMinWidth() || FFormHeight < GetMinHeight())) return;
    CalcRects();
    ArrangeObjects();
    const bool active = GetFormActive();
    TBitmap* pic = (active || FSD->FInActivePicture.Empty()) ? FSD->FPicture.Bitmap() : FSD->FInActivePicture.Bitmap();
    if (!pic) return;
    ++NCPaintCount;
    TBitmap L, T, R, B;
    CreateSkinBorderImages(FSD->LTPoint, FSD->RTPoint, FSD->LBPoint, FSD->RBPoint, FSD->ClRect, NewLTPoint, NewRTPoint,
                           NewLBPoint, NewRBPoint, NewClRect, &L, &T, &R, &B, pic,
                           TRect(0, 0, pic->GetWidth(), pic->GetHeight()), FFormWidth, FFormHeight, FSD->LeftStretch,
                           FSD->TopStretch, FSD->RightStretch, FSD->BottomStretch);
    for (auto& o : ObjectList)
    {
        if (!o->Visible || IsEmptyRect(o->ObjectRect)) continue;
        if (o->ObjectRect.Bottom <= NewClRect.Top) o->Draw(T.Canvas(), TPoint(0, 0));
        else if (!B.Empty()) o->Draw(B.Canvas(), TPoint(0, NewClRect.Bottom));
    }
    HDC dc = DC ? DC : GetWindowDC(FForm->Handle());
    if (!dc) return;
    const int sdc = SaveDC(dc);
    if (NewClRect.Top < NewClRect.Bottom) ExcludeClipRect(dc, NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
    const int th = T.Empty() ? 0 : T.GetHeight();
    const std::pair<TBitmap*, TPoint> strips[] = {{&T, TPoint(0, 0)},
                                                  {&L, TPoint(0, th)},
                                                  {&R, TPoint(FFormWidth - (R.Empty() ? 0 : R.GetWidth()), th)},
                                                  {&B, TPoint(0, FFormHeight - (B.Empty() ? 0 : B.GetHeight()))}};
    const bool effect = !active && FSD->AutoRenderingInActiveImage && FSD->FInActivePicture.Empty();
    for (const auto& [b, at] : strips)
    {
        if (b->Empty()) continue;
        if (!effect)
        {
            BitBlt(dc, at.X, at.Y, b->GetWidth(), b->GetHeight(), b->Canvas()->GetHandle(), 0, 0, SRCCOPY);
            continue;
        }
        std::unique_ptr<TbsEffectBmp> e(TbsEffectBmp::CreateFromhWnd(b->GetHandle()));
        if (!e) continue;
        skinform::ApplyInActiveEffect(e.get(), FSD->InActiveEffect);
        e->Draw(dc, at.X, at.Y);
    }
    RestoreDC(dc, sdc);
    if (!DC) ReleaseDC(FForm->Handle(), dc);
}

void TbsSkinForm::PaintNCDefault(HDC DC)
{
    if (FSD && FSD->ChangeSkinDataProcess) return;
    if (!FForm->HandleAllocated()) return;
    if (FFormWidth == 0 || FFormHeight == 0) FFormWidth = FForm->Width(), FFormHeight = FForm->Height();
    if (ObjectList.empty()) CreateDefaultObjects();
    CalcDefRects();
    const int ch = GetDefCaptionHeight(), w = FFormWidth - 2 * DefBorder;
    if (w <= 0) return;
    ++NCPaintCount;
    const bool active = GetFormActive();
    TBitmap bmp;
    bmp.SetSize(w, ch);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, w, ch));
    // Caption stripes.
    for (int i = 0; ch - 4 > 1 && i < ch - 5; ++i)
    {
        c->Pen()->SetColor(i % 2 == 0 ? clBtnHighlight : clBtnShadow);
        c->MoveTo(NewDefCaptionRect.Left - 1 - DefBorder + 3, 2 + i);
        c->LineTo(NewDefCaptionRect.Right - 6, 2 + i);
    }
    std::string text = FForm->GetText();
    if (FMDIChildMaximized)
        if (TCustomForm* child = GetMaximizedMDIChild()) text += " - [" + child->GetText() + "]";
    const int L = NewDefCaptionRect.Left - DefBorder, tw = NewDefCaptionRect.Right - NewDefCaptionRect.Left;
    if (OnCaptionPaint)
        OnCaptionPaint(c, TRect(L, 0, NewDefCaptionRect.Right - DefBorder, ch), active);
    else if (!text.empty())
    {
        c->Font()->Assign(active ? FDefCaptionFont.get() : FDefInActiveCaptionFont.get());
        if (FSD && FSD->ResourceStrData()) c->Font()->SetCharset(FSD->ResourceStrData()->CharSet());
        CorrectTextByWidthW(c, text, tw);
        TRect tr(0, 0, 0, 0);
        DrawTextUnicode(c, text, tr, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        const int x = L + tw / 2 - (RectWidth(tr) + 5) / 2, y = ch / 2 - RectHeight(tr) / 2;
        OffsetRect(tr, x, y);
        InflateRect(tr, 2, 2);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(tr);
        c->Brush()->SetStyle(bsClear);
        InflateRect(tr, -2, -2);
        DrawTextUnicode(c, text, tr, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
    for (auto& o : ObjectList)
        if (o->Visible) o->Draw(c, TPoint(DefBorder, DefBorder));
    HDC dc = DC ? DC : GetWindowDC(FForm->Handle());
    if (!dc) return;
    const int sdc = SaveDC(dc);
    ExcludeClipRect(dc, DefBorder, ch + DefBorder, FFormWidth - DefBorder, FFormHeight - DefBorder);
    BitBlt(dc, DefBorder, DefBorder, w, ch, c->GetHandle(), 0, 0, SRCCOPY);
    // Three rings from the outer edge inward.
    const TColor rings[3][2] = {{cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}, {clBtnFace, clBtnFace}};
    for (int i = 0; i < 3; ++i)
    {
        const TRect r(i, i, FFormWidth - i, FFormHeight - i);
        auto fill = [dc](const TRect& rr, TColor col) {
            HBRUSH br = CreateSolidBrush(ColorToRGB(col));
            FillRect(dc, rr, br);
            DeleteObject(br);
        };
        fill(TRect(r.Left, r.Top, r.Right, r.Top + 1), rings[i][0]);
        fill(TRect(r.Left, r.Top, r.Left + 1, r.Bottom), rings[i][0]);
        fill(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), rings[i][1]);
        fill(TRect(r.Right - 1, r.Top, r.Right, r.Bottom), rings[i][1]);
    }
    // Between the caption and the client.
    RestoreDC(dc, sdc);
    if (!DC) ReleaseDC(FForm->Handle(), dc);
}

void TbsSkinForm::SetFormRegion(bool AUpdate)
{
    if (!FForm->HandleAllocated()) return;
    HWND h = FForm->Handle();
    auto replace = [&](HRGN rgn) {
        SetWindowRgn(h, rgn, TRUE);
        if (FRgn) DeleteObject(FRgn);
        FRgn = rgn;
    };
    if (!FSkinnableForm || !HasBorder())
    {
        if (FRgn) replace(nullptr);
        return;
    }
    if (!FSkinSupport || FSD->FMask.Empty())
    {
        replace(CreateRectRgn(0, 0, FFormWidth, FFormHeight));
        RMTop.reset(), RMBottom.reset(), RMLeft.reset(), RMRight.reset();
        return;
    }
    if (!AUpdate) return;
    TBitmap* mask = FSD->FMask.Bitmap();
    if (!mask) return;
    for (auto* p : {&RMTop, &RMBottom, &RMLeft, &RMRight}) *p = std::make_unique<TBitmap>();
    CreateSkinMaskImages(FSD->LTPoint, FSD->RTPoint, FSD->LBPoint, FSD->RBPoint, FSD->ClRect, NewLTPoint, NewRTPoint,
                         NewLBPoint, NewRBPoint, NewClRect, mask, RMTop.get(), RMLeft.get(), RMRight.get(),
                         RMBottom.get(), FFormWidth, FFormHeight);
    // The strips are cut along the client rectangle; the region is built
    // from the mask composed the same way.
    HRGN rgn = nullptr;
    CreateSkinRegion(rgn, FSD->LTPoint, FSD->RTPoint, FSD->LBPoint, FSD->RBPoint, FSD->ClRect, NewLTPoint, NewRTPoint,
                     NewLBPoint, NewRBPoint, NewClRect, mask, FFormWidth, FFormHeight);
    if (!rgn) rgn = CreateRectRgn(0, 0, FFormWidth, FFormHeight);
    replace(rgn);
}

bool TbsSkinForm::PointInMask(TPoint P) const
{
    if (InRect(NewMaskRectArea, P) || InRect(NewClRect, P)) return true;
    auto black = [](TBitmap* b, int x, int y) {
        if (!b || b->Empty() || x < 0 || y < 0 || x >= b->GetWidth() || y >= b->GetHeight()) return false;
        return (b->Canvas()->GetPixel(x, y) & 0xFFFFFF) == 0;
    };
    // The strips lie around the client rectangle as the frame's strips do.
    const TRect& c = NewClRect;
    if (P.Y < c.Top) return black(RMTop.get(), P.X, P.Y);
    if (P.Y >= c.Bottom) return black(RMBottom.get(), P.X, P.Y - c.Bottom);
    if (P.X < c.Left) return black(RMLeft.get(), P.X, P.Y - c.Top);
    return black(RMRight.get(), P.X - c.Right, P.Y - c.Top);
}

void TbsSkinForm::RefreshFrame(bool AUpdate)
{
    if (ComponentState() & csDesigning) return;
    if (FSkinSupport && FSkinnableForm)
    {
        CalcRects();
        if (AUpdate) ArrangeObjects();
    }
    SetFormRegion(AUpdate);
    if (!FRgn && FSkinnableForm && HasBorder()) NCPaint();
}

// ---------------------------------------------------------------------------
// Client background

void TbsSkinForm::PaintPlainBG(HDC DC, TColor Color)
{
    if (!DC) return;
    TCanvas c;
    c.SetHandle(DC);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color);
    c.FillRect(FForm->GetClientRect());
    DrawLogo(&c);
    c.SetHandle(nullptr);
}

void TbsSkinForm::PaintBGDefault(HDC DC) { PaintPlainBG(DC, clBtnFace); }

void TbsSkinForm::PaintMDIBGDefault(HDC DC) { PaintPlainBG(DC, clAppWorkSpace); }

void TbsSkinForm::PaintBG3(HDC DC)
{
    if (!DC || !FSD || FSD->Empty) return;
    PaintPicture(DC, bsSkinActiveBitmap(FSD, FSD->MDIBGPictureIndex), FSD->MDIBGStretchEffect, FSD->MDIBGStretchType);
}

void TbsSkinForm::PaintBG(HDC DC)
{
    if (!DC || !FSD || FSD->Empty) return;
    TBitmap* pic = FSD->FPicture.Bitmap();
    if (IsEmptyRect(FSD->ClRect) || !pic)
    {
        TCanvas c;
        c.SetHandle(DC);
        c.Brush()->SetColor(clBtnFace);
        c.FillRect(FForm->GetClientRect());
        c.SetHandle(nullptr);
        return;
    }
    TBitmap b(RectWidth(FSD->ClRect), RectHeight(FSD->ClRect));
    b.Canvas()->CopyRect(TRect(0, 0, b.GetWidth(), b.GetHeight()), pic->Canvas(), FSD->ClRect);
    PaintPicture(DC, &b, FSD->StretchEffect, FSD->StretchType);
}

void TbsSkinForm::PaintBG2(HDC DC)
{
    if (!DC || !FSD || FSD->Empty) return;
    // A bad index draws nothing but the logo.
    PaintPicture(DC, bsSkinActiveBitmap(FSD, FSD->BGPictureIndex), FSD->StretchEffect, FSD->StretchType);
}

void TbsSkinForm::PaintPicture(HDC DC, TBitmap* P, bool stretch, TbsStretchType type)
{
    TCanvas c;
    c.SetHandle(DC);
    const int cw = FForm->ClientWidth(), ch = FForm->ClientHeight();
    const int W = FFormWidth, H = FFormHeight;
    const int w = P ? P->GetWidth() : 0, h = P ? P->GetHeight() : 0;
    // A picture without pixels has no tile size: nothing is drawn.
    if (P && w > 0 && h > 0 && cw > 0 && ch > 0)
    {
        if (stretch)
            switch (type)
            {
            case bsstFull: c.StretchDraw(TRect(0, 0, W, H), P); break;
            case bsstHorz:
            {
                TBitmap col(w, H);
                col.Canvas()->StretchDraw(TRect(0, 0, w, H), P);
                for (int i = 0; i <= W / w; ++i) c.Draw(i * w, 0, &col);
                break;
            }
            case bsstVert:
            {
                TBitmap row(W, h);
                row.Canvas()->StretchDraw(TRect(0, 0, W, h), P);
                for (int i = 0; i <= H / h; ++i) c.Draw(0, i * h, &row);
                break;
            }
            }
        else
            for (int y = 0; y <= ch / h; ++y)
                for (int x = 0; x <= cw / w; ++x) c.Draw(x * w, y * h, P);
    }
    DrawLogo(&c);
    c.SetHandle(nullptr);
}

void TbsSkinForm::DrawLogo(TCanvas* C)
{
    if (LogoBitMap->Empty()) return;
    const int x = std::max(0, FForm->ClientWidth() / 2 - LogoBitMap->GetWidth() / 2);
    const int y = std::max(0, FForm->ClientHeight() / 2 - LogoBitMap->GetHeight() / 2);
    if (LogoBitMap->GetTransparent() != LogoBitMapTransparent) LogoBitMap->SetTransparent(LogoBitMapTransparent);
    C->Draw(x, y, LogoBitMap.get());
}

// ---------------------------------------------------------------------------
// Hit testing

TPoint TbsSkinForm::ScreenToWindow(TPoint P) const
{
    TRect r;
    GetWindowRect(FForm->Handle(), &r);
    return TPoint(P.X - r.Left, P.Y - r.Top);
}

bool TbsSkinForm::InCaptionArea(TPoint P) const
{
    // Caption buttons lying over the caption picture are not a drag area.
    for (const auto& o : ObjectList)
        if (!o->IsCaption() && o->Visible && o->Enabled && InRect(o->ObjectRect, P)) return false;
    for (const auto& o : ObjectList)
        if (o->IsCaption() && InRect(o->ObjectRect, P)) return !InQuickButtonsArea(P);
    return false;
}

int TbsSkinForm::SkinHitTest(TPoint P)
{
    const TWindowState ws = WindowState();
    if (FRollUpState || ws == wsMinimized) return InCaptionArea(P) ? HTCAPTION : HTOBJECT;
    if (ActiveObject != -1 && !InCaptionArea(P) && !InRect(NewClRect, P)) return HTOBJECT;
    const int W = FFormWidth, H = FFormHeight;
    if (ws != wsMaximized && Sizeable())
    {
        const int b = FSD->BorderW;
        const TPoint probes[] = {{P.X - b, P.Y}, {P.X, P.Y - b}, {P.X + b, P.Y}, {P.X, P.Y + b}};
        bool edge = false;
        for (const TPoint& q : probes)
            if (FSD->FMask.Empty() ? !InRect(TRect(0, 0, W, H), q) : !InRect(NewMaskRectArea, P) && !PointInMask(q))
                edge = true;
        if (edge)
        {
            if (P.X <= NewHitTestLTPoint.X && P.Y <= NewHitTestLTPoint.Y) return HTTOPLEFT;
            if (P.X >= NewHitTestRTPoint.X && P.Y <= NewHitTestRTPoint.Y) return HTTOPRIGHT;
            if (P.X <= NewHitTestLBPoint.X && P.Y >= NewHitTestLBPoint.Y) return HTBOTTOMLEFT;
            if (P.X >= NewHitTestRBPoint.X && P.Y >= NewHitTestRBPoint.Y) return HTBOTTOMRIGHT;
            if (InRect(TRect(NewHitTestLTPoint.X, 0, NewHitTestRTPoint.X, NewClRect.Top), P)) return HTTOP;
            if (InRect(TRect(NewHitTestLBPoint.X, NewClRect.Bottom, NewHitTestRBPoint.X, H), P)) return HTBOTTOM;
            if (InRect(TRect(0, NewHitTestLTPoint.Y, NewClRect.Left, NewHitTestLBPoint.Y), P)) return HTLEFT;
            if (InRect(TRect(NewClRect.Right, NewHitTestRTPoint.Y, W, NewHitTestRBPoint.Y), P)) return HTRIGHT;
        }
    }
    if (InRect(NewClRect, P)) return HTCLIENT;
    return InCaptionArea(P) ? HTCAPTION : HTOBJECT;
}

int TbsSkinForm::DefaultHitTest(TPoint P)
{
    const TWindowState ws = WindowState();
    const int W = FFormWidth, H = FFormHeight;
    if (ws != wsMaximized && ws != wsMinimized && !FRollUpState && Sizeable())
    {
        if (ActiveObject != -1) return HTOBJECT;
        const bool l = P.X <= 2, t = P.Y <= 2, r = P.X >= W - 2, b = P.Y >= H - 2;
        if (t && l) return HTTOPLEFT;
        if (t && r) return HTTOPRIGHT;
        if (b && l) return HTBOTTOMLEFT;
        if (b && r) return HTBOTTOMRIGHT;
        if (l) return HTLEFT;
        if (t) return HTTOP;
        if (r) return HTRIGHT;
        if (b) return HTBOTTOM;
    }
    CalcDefRects();
    if (InRect(NewDefCaptionRect, P)) return HTCAPTION;
    const int ch = GetDefCaptionHeight();
    if (InRect(TRect(DefBorder, ch + DefBorder, W - DefBorder, H - DefBorder), P)) return HTCLIENT;
    return HTOBJECT;
}

// ---------------------------------------------------------------------------
// Mouse

void TbsSkinForm::TestActive(int X, int Y, bool AInObject)
{
    if (ObjectList.empty() || !GetFormActive() || !HasBorder() || PreviewMode) return;
    OldActiveObject = ActiveObject;
    int found = -1;
    for (std::size_t i = 0; i < ObjectList.size(); ++i)
    {
        const auto& o = ObjectList[i];
        if (o->Enabled && o->Visible && InRect(o->ObjectRect, TPoint(X, Y)) &&
            o->IsActiveMaskPoint(X - o->ObjectRect.Left, Y - o->ObjectRect.Top))
        {
            found = int(i);
            break;
        }
    }
    ActiveObject = AInObject ? found : -1;
    if (MouseCaptureObject != -1 && MouseCaptureObject != ActiveObject) ActiveObject = -1;
    if (ActiveObject >= int(ObjectList.size())) ActiveObject = -1;
    if (OldActiveObject >= int(ObjectList.size())) OldActiveObject = -1;
    if (ActiveObject == OldActiveObject) return;
    if (OldActiveObject != -1)
    {
        auto& o = ObjectList[std::size_t(OldActiveObject)];
        if (o->Enabled && o->Visible) o->MouseLeave();
        if (ShowObjectHint && FSkinHint && !o->Hint.empty()) FSkinHint->HideHint();
    }
    if (ActiveObject != -1)
    {
        auto& o = ObjectList[std::size_t(ActiveObject)];
        if (o->Enabled && o->Visible) o->MouseEnter();
        if (ShowObjectHint && FSkinHint && !o->Hint.empty()) FSkinHint->ActivateHint2(o->Hint);
    }
    NCPaint();
}

void TbsSkinForm::MouseTimerProc(TObject*)
{
    if (!GetFormActive() || !FForm->HandleAllocated()) return;
    TPoint p;
    GetCursorPos(&p);
    if (WindowFromPoint(p) != FForm->Handle() && MouseCaptureObject == -1)
    {
        MouseTimer->SetEnabled(false);
        TestActive(-1, -1, false);
        return;
    }
    p = ScreenToWindow(p);
    if (!InRect(NewClRect, p) || MouseCaptureObject != -1) TestActive(p.X, p.Y, true);
    else if (ActiveObject != -1) TestActive(-1, -1, true);
}

void TbsSkinForm::ObjectsMouseMove(int X, int Y)
{
    TestActive(X, Y, true);
    if (!MouseTimer->GetEnabled()) MouseTimer->SetEnabled(true);
    const int i = MouseCaptureObject != -1 ? MouseCaptureObject : ActiveObject;
    if (i >= 0 && i < int(ObjectList.size())) ObjectList[std::size_t(i)]->MouseMove(X, Y);
}

void TbsSkinForm::ObjectsMouseDown(TMouseButton Button, int X, int Y)
{
    if (ActiveObject == -1) return;
    TbsActiveSkinObject* o = ObjectList[std::size_t(ActiveObject)].get();
    if (!o->IsCaption()) SetCapture(FForm->Handle());
    MouseCaptureObject = ActiveObject;
    o->MouseDown(X, Y, Button);
    NCPaint();
}

void TbsSkinForm::ObjectsMouseUp(TMouseButton Button, int X, int Y)
{
    if (MouseCaptureObject == -1 || MouseCaptureObject >= int(ObjectList.size())) return;
    TbsActiveSkinObject* o = ObjectList[std::size_t(MouseCaptureObject)].get();
    if (!o->IsCaption()) ReleaseCapture();
    MouseCaptureObject = -1;
    // Last: the release may run a command that frees the objects.
    o->MouseUp(X, Y, Button);
}

void TbsSkinForm::DoStdCommand(TbsStdCommand cmd)
{
    switch (cmd)
    {
    case cmClose: FForm->Close(); break;
    case cmMaximize: ChangeWindowState(WindowState() == wsMaximized ? wsNormal : wsMaximized); break;
    case cmMinimize:
        if (AlwaysMinimizeToTray) MinimizeToTray();
        else ChangeWindowState(WindowState() == wsMinimized ? wsNormal : wsMinimized);
        break;
    case cmRollUp: ChangeRollUpState(!FRollUpState); break;
    case cmSysMenu:
        if (OnSystemMenu)
        {
            TPoint p;
            GetCursorPos(&p);
            OnSystemMenu(p);
        }
        else
            PopupSystemMenuFromButton();
        break;
    case cmMinimizeToTray: MinimizeToTray(); break;
    case cmDefault: break;
    }
}

// ---------------------------------------------------------------------------
// Skin changes

void TbsSkinForm::ChangeSkinData()
{
    FSkinSupport = FSD && !FSD->Empty && FSkinnableForm;
    if (FSkinSupport)
    {
        CreateObjects();
        ApplyMenuLinks();
    }
    else
        ClearObjects();
    if (FSkinnableForm)
    {
        if (!FForm->GetBorderIcons().Empty()) FForm->SetBorderIcons(TBorderIcons());
    }
    else
        UpdateFormBorderIcons();
    // The new skin's minimum size; a rolled-up form keeps exactly its height.
    // A preview keeps the size its host gave it: it only shows the look.
    const int mw = PreviewMode ? 0 : GetMinWidth(), mh = PreviewMode ? 0 : GetMinHeight();
    if (FRollUpState) FForm->SetHeight(GetMinHeight());
    if (FForm->Width() < mw && FForm->Height() < mh) FForm->SetBounds(FForm->Left(), FForm->Top(), mw, mh);
    else if (FForm->Height() < mh) FForm->SetHeight(mh);
    else if (FForm->Width() < mw) FForm->SetWidth(mw);
    if (FForm->HandleAllocated())
    {
        FFormWidth = FForm->Width();
        FFormHeight = FForm->Height();
        // The new frame is painted once, after its geometry and region are in.
        ++FPaintLock;
        // A frame of another size: the client rectangle is computed anew.
        SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RefreshFrame(true);
        --FPaintLock;
        // Frame and client are painted together at the next paint.
        RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
    }
    ApplyClientSize();
    LayerAfterSkinChange();
    if (OnChangeSkinData) OnChangeSkinData(this);
}

void TbsSkinForm::UpdateFormBorderIcons()
{
    TBorderIcons icons;
    if (!FHideCaptionButtons) icons.Include(biSystemMenu);
    if (FBorderIcons.Minimize) icons.Include(biMinimize);
    if (FBorderIcons.Maximize) icons.Include(biMaximize);
    if (!(FForm->GetBorderIcons() == icons)) FForm->SetBorderIcons(icons);
}

void TbsSkinForm::SetClientWidth(int Value)
{
    FClientWidth = Value;
    if (FForm->HandleAllocated() && !(ComponentState() & (csDesigning | csLoading))) ApplyClientSize();
}

void TbsSkinForm::SetClientHeight(int Value)
{
    FClientHeight = Value;
    if (FForm->HandleAllocated() && !(ComponentState() & (csDesigning | csLoading))) ApplyClientSize();
}

void TbsSkinForm::ApplyClientSize()
{
    if (FClientWidth <= 0 && FClientHeight <= 0) return;
    if (WindowState() == wsNormal)
    {
        // A rolled-up form keeps its caption height; rolling down gives the client height back.
        const int w = FClientWidth > 0 ? FClientWidth : FForm->ClientWidth();
        const int h = FClientHeight > 0 && !FRollUpState ? FClientHeight : FForm->ClientHeight();
        if (w != FForm->ClientWidth() || h != FForm->ClientHeight()) FForm->SetClientSize(w, h);
        return;
    }
    // Maximized or minimized: the bounds a restore gives back hold the
    // client size in this frame.
    if (IsEmptyRect(OldBoundsRect) || !FSkinnableForm || !HasBorder()) return;
    const int fw = FSkinSupport ? FSD->FPicture.Width() - RectWidth(FSD->ClRect) : 2 * DefBorder;
    const int fh = FSkinSupport ? FSD->FPicture.Height() - RectHeight(FSD->ClRect) : GetDefCaptionHeight() + 2 * DefBorder;
    if (FClientWidth > 0) OldBoundsRect.Right = OldBoundsRect.Left + FClientWidth + fw;
    if (FClientHeight > 0) OldBoundsRect.Bottom = OldBoundsRect.Top + FClientHeight + fh;
}

// ---------------------------------------------------------------------------
// Window procedure

void TbsSkinForm::NewWindowProc(TMessage& m)
{
    if (MdiWindowProc(m) || StatesWindowProc(m) || MoveSizeWindowProc(m)) return;
    const bool skinnable = FSkinnableForm;
    if (IsMenuCloseMessage(m.Msg)) CloseMenusOnMessage(m.Msg);
    switch (m.Msg)
    {
    case BSM_SKINMENU_CLOSED:
        SkinMenuClose();
        return;
    case WM_SYSCOMMAND:
        // F10 or a lone Alt: the skinned menu bar's menu mode, never a
        // menu loop of the system's own.
        if ((m.WParam & 0xFFF0) == SC_KEYMENU && FMainMenuBar)
        {
            // Alt with a letter went through the form's shortcuts already.
            if (m.LParam != 0) return;
            if (!FInMainMenu)
            {
                if (SkinMenu->Visible()) SkinMenuClose();
                SkinMenu->Hide();
                FMainMenuBar->EnterMainMenu();
            }
            else
                LeaveMainMenu();
            return;
        }
        break;
    case WM_SETCURSOR:
        // The form's cursor over the frame, but the sizing edges keep theirs.
        if (skinnable && UseFormCursorInNCArea)
        {
            const WORD hit = LOWORD(std::uintptr_t(m.LParam));
            if (hit != HTCLIENT && !(hit >= HTLEFT && hit <= HTBOTTOMRIGHT))
                m.LParam = LPARAM((std::uintptr_t(m.LParam) & ~std::uintptr_t(0xFFFF)) | HTCLIENT);
        }
        break;
    case WM_NCCALCSIZE:
        if (!skinnable || !HasBorder()) break;
        {
            auto* r = reinterpret_cast<TRect*>(m.LParam);
            if (!r) return;
            if (FSkinSupport)
            {
                const int pw = FSD->FPicture.Width(), ph = FSD->FPicture.Height();
                r->Left += FSD->ClRect.Left;
                r->Top += FSD->ClRect.Top;
                r->Right += FSD->ClRect.Right - pw;
                r->Bottom += FSD->ClRect.Bottom - ph;
            }
            else
            {
                r->Left += DefBorder;
                r->Top += GetDefCaptionHeight() + DefBorder;
                r->Right -= DefBorder;
                r->Bottom -= DefBorder;
            }
            r->Right = std::max(r->Right, r->Left);
            r->Bottom = std::max(r->Bottom, r->Top);
            m.Result = 0;
            return;
        }
    case WM_NCHITTEST:
        if (!skinnable) break;
        if (!HasBorder()) break;
        {
            if (FFormWidth == 0) FFormWidth = FForm->Width(), FFormHeight = FForm->Height();
            const TPoint p = ScreenToWindow(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
            if (FSkinSupport) CalcRects();
            m.Result = FSkinSupport ? SkinHitTest(p) : DefaultHitTest(p);
            if (m.Result == HTOBJECT && !MouseTimer->GetEnabled())
            {
                TestActive(p.X, p.Y, true);
                MouseTimer->SetEnabled(true);
            }
            return;
        }
    case WM_NCPAINT:
        if (!skinnable) break;
        if (HasBorder() && FPaintLock == 0)
        {
            if (FSkinSupport) PaintNCSkin();
            else if (!FStopPainting) PaintNCDefault();
        }
        m.Result = 0;
        return;
    case WM_NCACTIVATE:
        if (!skinnable) break;
        FFormActive = m.WParam != 0;
        if (!FFormActive) TestActive(-1, -1, false);
        m.Result = 1;
        NCPaint();
        ActivationChanged();
        if (FFormActive ? bool(OnActivate) : bool(OnDeActivate)) (FFormActive ? OnActivate : OnDeActivate)(this);
        return;
    case WM_ACTIVATE:
    case WM_SETTEXT:
        if (!skinnable) break;
        PassOn(m);
        NCPaint();
        if (m.Msg == WM_ACTIVATE)
        {
            ResetObjectStates();
            UpdateCaptionActive(true);
            if (FForm->GetFormStyle() == fsMDIForm) UpdateMainMenuBarItems();
        }
        return;
    case WM_SIZE:
    {
        // The window's new size (the form's own fields follow later).
        TRect r;
        GetWindowRect(FForm->Handle(), &r);
        FFormWidth = r.Width();
        FFormHeight = r.Height();
        if (FSkinSupport) RefreshFrame(true);
        else SetFormRegion(true);
        break;
    }
    case WM_ERASEBKGND:
    {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        if (!FSkinSupport) PaintBGDefault(dc);
        else if (FSD->BGPictureIndex == -1) PaintBG(dc);
        else PaintBG2(dc);
        m.Result = 0;
        return;
    }
    case BSM_SKINDATA_BEFORECHANGE:
        if (reinterpret_cast<TbsSkinData*>(m.WParam) == FSD && FSD)
        {
            // Nothing of the old skin is used until the change message.
            FStopPainting = true;
            FSkinSupport = false;
            ClearObjects();
            if (OnBeforeChangeSkinData) OnBeforeChangeSkinData(this);
        }
        bsHandleSkinChangeMessage(FForm, m);
        break;
    case BSM_SKINDATA_CHANGE:
        FStopPainting = false;
        if (reinterpret_cast<TbsSkinData*>(m.WParam) == FSD && FSD) ChangeSkinData();
        bsHandleSkinChangeMessage(FForm, m);
        break;
    case BSM_SKINDATA_AFTERCHANGE:
        bsHandleSkinChangeMessage(FForm, m);
        if (reinterpret_cast<TbsSkinData*>(m.WParam) == FSD && FSD && OnAfterChangeSkinData) OnAfterChangeSkinData(this);
        break;
    case BSM_RESSTRDATA_CHANGE:
        SetDefaultObjectHints();
        UpdateTrayMenuCaptions();
        break;
    case BSM_SKINNABLEFORM_CHANGE:
        if (FSD) SetSkinnableForm(FSD->SkinnableForm());
        break;
    case BSM_QUERYSKINNEDFORM: m.Result = skinnable ? 12853 : 12852; return;
    case BSM_PRINTTODC:
        if (!skinnable) break;
        if (PrintToDC(reinterpret_cast<HDC>(m.WParam))) m.Result = 12851;
        return;
    case BSM_PRINTTODC2:
        if (!skinnable || m.LParam != 16802) break;
        PrintToDC(reinterpret_cast<HDC>(m.WParam));
        m.Result = 16802;
        return;
    case BSM_LAYEREDBORDERS_CHANGE: LayeredBordersChanged(); break;
    default: break;
    }
    // The caption double click is the frame's own: no system maximize.
    if (!(skinnable && m.Msg == WM_NCLBUTTONDBLCLK && m.WParam == WPARAM(HTCAPTION))) PassOn(m);
    if (!skinnable) return;
    // Second dispatch: the non-client mouse reaches the caption objects.
    auto at = [this, &m] { return ScreenToWindow(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam))); };
    switch (m.Msg)
    {
    case WM_NCMOUSEMOVE:
    {
        const TPoint p = at();
        ObjectsMouseMove(p.X, p.Y);
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    {
        const TMouseButton button = m.Msg == WM_NCRBUTTONDOWN ? mbRight : mbLeft;
        const TPoint p = at();
        TestActive(p.X, p.Y, true);
        if (m.WParam != WPARAM(HTCAPTION))
        {
            ObjectsMouseDown(button, p.X, p.Y);
            if (m.Msg == WM_NCLBUTTONDBLCLK && ActiveObject != -1 && ActiveObject < int(ObjectList.size()))
                ObjectList[std::size_t(ActiveObject)]->DblClick();
            break;
        }
        // The caption object never keeps the capture while the form moves.
        MouseCaptureObject = -1;
        if (m.Msg == WM_NCLBUTTONDBLCLK)
        {
            if (OnCaptionDblClick) OnCaptionDblClick(this);
            CaptionDblClick();
        }
        if (m.Msg == WM_NCRBUTTONDOWN)
        {
            const TPoint sp(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
            if (OnSystemMenu) OnSystemMenu(sp);
            else if (!DisableSystemMenu) PopupSystemMenuAt(sp.X, sp.Y);
        }
        break;
    }
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP:
    {
        const TPoint p = at();
        ObjectsMouseUp(m.Msg == WM_NCRBUTTONUP ? mbRight : mbLeft, p.X, p.Y);
        break;
    }
    case WM_MOUSEMOVE:
        // While a caption button holds the capture the pointer may leave and
        // re-enter it.
        if (MouseCaptureObject != -1)
        {
            TPoint p;
            GetCursorPos(&p);
            p = ScreenToWindow(p);
            TestActive(p.X, p.Y, true);
        }
        break;
    case WM_LBUTTONUP: ObjectsMouseUp(mbLeft, -1, -1); break;
    case WM_RBUTTONUP: ObjectsMouseUp(mbRight, -1, -1); break;
    default: break;
    }
}
