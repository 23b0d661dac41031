// The skinned main menu bar and its items: building the items from the main
// menu, layout with the overflow marker and menu, painting from the skin
// (with morphing and frame animation) or in the default look, mouse
// tracking, and the keyboard menu mode the form component drives.
#include "lib/bsSkinMenus/Internal.h"

#include <algorithm>
#include <cmath>

#include "lib/bsSkinForm.h"
#include "lib/bsSkinValidate.h"
#include "lib/bsUtils.h"

using namespace bsmenus;

// ---------------------------------------------------------------------------
// The skinned main menu

void TbsSkinMainMenu::SetSkinData(TbsSkinData* Value)
{
    if (FSD == Value) return;
    if (FSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD) FSD->FreeNotification(this);
}

void TbsSkinMainMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMainMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSD) FSD = nullptr;
}

// ---------------------------------------------------------------------------
// Bar objects

namespace
{
bool EffectsOn(const TbsSkinData* sd) { return sd && !sd->Empty && sd->EnableSkinEffects; }
}  // namespace

TbsMenuBarObject::TbsMenuBarObject(TbsSkinMainMenuBar* AParent, const TbsDataSkinObject* AData) : Parent(AParent)
{
    if (!AData) return;
    IDName = AData->IDName;
    SkinRect = AData->SkinRect;
    ActiveSkinRect = AData->ActiveSkinRect;
    DownRect = AData->ActiveSkinRect;
    Morphing = AData->Morphing && !IsEmptyRect(AData->ActiveSkinRect);
    MorphKind = AData->MorphKind;
    ObjectRect = AData->SkinRect;
    Picture = bsSkinActiveBitmap(AParent->SkinData(), AData->ActivePictureIndex);
}

void TbsMenuBarObject::SetMorphKf(double Value) { FMorphKf = std::clamp(Value, 0.0, 1.0); }

bool TbsMenuBarObject::EnableMorphing() const { return Morphing && EffectsOn(Parent->SkinData()); }

bool TbsMenuBarObject::CanMorphing()
{
    return (!FDown || IsEmptyRect(DownRect)) && ((Active && FMorphKf < 1) || (!Active && FMorphKf > 0));
}

void TbsMenuBarObject::DoMorphing()
{
    SetMorphKf(std::round((FMorphKf + (Active ? 0.2 : -0.2)) * 5) / 5);
    Parent->DrawObject(this);
}

void TbsMenuBarObject::ReDraw()
{
    if (EnableMorphing()) Parent->MorphTimer->SetEnabled(true);
    else Parent->DrawObject(this);
}

void TbsMenuBarObject::MouseEnter()
{
    FMouseIn = true;
    Active = true;
    ReDraw();
}

void TbsMenuBarObject::MouseLeave()
{
    FMouseIn = false;
    Active = false;
    ReDraw();
}

// ---------------------------------------------------------------------------
// Items

TbsSkinMainMenuBarItem::TbsSkinMainMenuBarItem(TbsSkinMainMenuBar* AParent, const TbsDataSkinMainMenuItem* AData)
    : TbsMenuBarObject(AParent, AData)
{
    if (AData)
    {
        FSkinSupport = true;
        FontName = AData->FontName;
        FontHeight = AData->FontHeight;
        FontStyle = AData->FontStyle;
        FontColor = TColor(AData->FontColor);
        ActiveFontColor = TColor(AData->ActiveFontColor);
        DownFontColor = TColor(AData->DownFontColor);
        UnEnabledFontColor = TColor(AData->UnEnabledFontColor);
        TextRct = AData->TextRct;
        ItemDownRect = AData->DownRect;
        StretchEffect = AData->StretchEffect;
        AnimateSkinRect = AData->AnimateSkinRect;
        FrameCount = AData->FrameCount;
        AnimateInterval = AData->AnimateInterval;
        InActiveAnimation = AData->InActiveAnimation;
        LO = AData->ItemLO;
        RO = AData->ItemRO;
        if (IsEmptyRect(ItemDownRect)) ItemDownRect = IsEmptyRect(ActiveSkinRect) ? SkinRect : ActiveSkinRect;
    }
    OldEnabled = Enabled;
}

bool TbsSkinMainMenuBarItem::EnableAnimation() const
{
    return !IsEmptyRect(AnimateSkinRect) && FrameCount > 0 && EffectsOn(Parent->SkinData());
}

void TbsSkinMainMenuBarItem::ReDraw()
{
    if (EnableAnimation())
    {
        Parent->AnimateTimer->SetInterval(unsigned(std::max(1, AnimateInterval)));
        Parent->AnimateTimer->SetEnabled(true);
    }
    else
        TbsMenuBarObject::ReDraw();
}

TRect TbsSkinMainMenuBarItem::FrameRect(int n) const
{
    const TRect& a = AnimateSkinRect;
    if (RectHeight(a) > RectHeight(SkinRect))
    {
        const int h = RectHeight(a) / FrameCount;
        return TRect(a.Left, a.Top + h * (n - 1), a.Right, a.Top + h * n);
    }
    const int w = RectWidth(a) / FrameCount;
    return TRect(a.Left + w * (n - 1), a.Top, a.Left + w * n, a.Bottom);
}

void TbsSkinMainMenuBarItem::SetFont(TFont* F) const
{
    const TbsSkinData* sd = Parent->SkinData();
    if (FSkinSupport && Parent->UseSkinFont)
    {
        F->SetName(FontName);
        F->SetHeight(FontHeight);
        TFontStyles st;
        if (FontStyle.Has(TbsFontStyles::Bold)) st.Include(fsBold);
        if (FontStyle.Has(TbsFontStyles::Italic)) st.Include(fsItalic);
        if (FontStyle.Has(TbsFontStyles::Underline)) st.Include(fsUnderline);
        F->SetStyle(st);
    }
    else
        F->Assign(Parent->DefItemFont());
    if (sd && sd->ResourceStrData()) F->SetCharset(sd->ResourceStrData()->CharSet());
    else F->SetCharset(Parent->DefItemFont()->GetCharset());
}

void TbsSkinMainMenuBarItem::Place(TCanvas* C)
{
    TBitmap m(1, 1, pf32bit);
    SetFont(m.Canvas()->Font());
    const int tw = RectWidth(MeasureText(m.Canvas(), MenuItem->Caption(), TRect(0, 0, 0, 0)));
    int left = 0;
    for (auto& o : Parent->ObjectList)
    {
        if (o.get() == this) break;
        left = o->ObjectRect.Right;
    }
    if (left == 0) left = Parent->NewItemsRect.Left;
    const int top = Parent->NewItemsRect.Top;
    if (FSkinSupport)
        ObjectRect = TRect(left, top, left + RectWidth(SkinRect) - RectWidth(TextRct) + tw + 2, top + RectHeight(SkinRect));
    else
        ObjectRect = TRect(left, top, left + tw + 12, Parent->NewItemsRect.Bottom);
    (void)C;
    const int limit = Parent->ScrollMenu ? Parent->NewItemsRect.Right - 5 : Parent->NewItemsRect.Right;
    if (ObjectRect.Right > limit)
    {
        Parent->Scroll = true;
        if (Fits)
        {
            OldEnabled = Enabled;
            Enabled = false;
            Fits = false;
        }
    }
    else if (!Fits)
    {
        Fits = true;
        Enabled = OldEnabled;
    }
}

void TbsSkinMainMenuBarItem::DrawImage(TCanvas* Target, TBitmap* B, const TRect& src, bool hot)
{
    const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
    B->SetPixelFormat(pf32bit);
    if (Parent->ItemTransparent && src == SkinRect)
    {
        B->SetSize(w, h);
        B->Canvas()->CopyRect(TRect(0, 0, w, h), Target, ObjectRect);
    }
    else
        CreateHSkinImage(LO, RO, B, Picture, src, w, h, hot && StretchEffect);
    if (B->GetWidth() <= 0 || B->GetHeight() <= 0) return;
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsClear);
    SetFont(C->Font());
    C->Font()->SetColor(FDown ? DownFontColor
                        : hot ? ActiveFontColor
                        : MenuItem->Enabled() ? FontColor
                                              : bsWeakTextColor(int(ColorToRGB(TColor(UnEnabledFontColor))),
                                                                int(DominantColor(B, TextRct))));
    TRect r = MeasureText(C, MenuItem->Caption(), TextRct);
    r.Right += 2;
    // The caption sits in the text rectangle's height.
    const int th = RectHeight(r);
    r.Top = TextRct.Top + RectHeight(TextRct) / 2 - th / 2;
    r.Bottom = r.Top + th;
    DrawTextUnicode(C, MenuItem->Caption(), r, DT_CENTER | DT_VCENTER);
}

void TbsSkinMainMenuBarItem::Draw(TCanvas* Cnvs)
{
    if (!FSkinSupport)
    {
        DefaultDraw(Cnvs);
        return;
    }
    if (IsEmptyRect(SkinRect) || IsEmptyRect(TextRct)) return;
    Place(Cnvs);
    if (!Fits || !Picture) return;
    TBitmap B;
    const bool morphEnd = (Active && FMorphKf == 1) || (!Active && FMorphKf == 0);
    if (FDown) DrawImage(Cnvs, &B, ItemDownRect, true);
    else if (EnableAnimation() && CurrentFrame >= 1 && CurrentFrame <= FrameCount)
        DrawImage(Cnvs, &B, FrameRect(CurrentFrame), true);
    else if (!EnableMorphing() || morphEnd)
    {
        if (Active) DrawImage(Cnvs, &B, IsEmptyRect(ActiveSkinRect) ? SkinRect : ActiveSkinRect, true);
        else DrawImage(Cnvs, &B, SkinRect, false);
    }
    else
    {
        TBitmap hotB;
        DrawImage(Cnvs, &B, SkinRect, false);
        DrawImage(Cnvs, &hotB, ActiveSkinRect, true);
        if (B.GetWidth() == hotB.GetWidth() && B.GetHeight() == hotB.GetHeight() && B.GetWidth() > 0)
            DrawMorph(B.Canvas(), &B, &hotB, MorphKind, FMorphKf);
    }
    if (B.GetWidth() <= 0 || B.GetHeight() <= 0) return;
    if (FDown) MarkOpen(&B, COLORREF(ColorToRGB(TColor(Parent->SkinData()->FSkinColors.FcHighLight))));
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

// The item whose menu is open: an accent bar along its bottom, towards the
// menu (the hot item has none), so the two never read alike.
void TbsSkinMainMenuBarItem::MarkOpen(TBitmap* B, COLORREF accent)
{
    const int w = B->GetWidth(), h = B->GetHeight();
    DrawAccentBar(B->Canvas()->GetHandle(), TRect(2, 0, w - 2, h - 1), accent, 2);
}

void TbsSkinMainMenuBarItem::DefaultDraw(TCanvas* Cnvs)
{
    Place(Cnvs);
    if (!Fits) return;
    const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
    if (w <= 0 || h <= 0) return;
    TBitmap B(w, h, pf32bit);
    TCanvas* C = B.Canvas();
    C->Brush()->SetStyle(bsSolid);
    if (FDown || FMouseIn)
    {
        C->Brush()->SetColor(clNavy);
        C->FillRect(TRect(0, 0, w, h));
        C->Brush()->SetColor(FDown ? TColor(0xB59385) : TColor(0xD2BDB6));
        C->FillRect(TRect(1, 1, w - 1, h - 1));
    }
    else
    {
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(TRect(0, 0, w, h));
    }
    C->Brush()->SetStyle(bsClear);
    SetFont(C->Font());
    if (!MenuItem->Enabled())
        C->Font()->SetColor(TColor(bsWeakTextColor(int(ColorToRGB(clBtnShadow)), int(ColorToRGB(clBtnFace)))));
    TRect R(1, 1, w - 1, h - 1);
    const int th = RectHeight(MeasureText(C, MenuItem->Caption(), TRect(0, 0, 0, 0)));
    R.Top = R.Top + RectHeight(R) / 2 - th / 2;
    R.Bottom = R.Top + th;
    if (FDown) OffsetRect(R, 1, 1);
    DrawTextUnicode(C, MenuItem->Caption(), R, DT_CENTER | DT_VCENTER);
    if (FDown) MarkOpen(&B, ColorToRGB(clHighlight));
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

// Items are compared by identity: two unnamed menu items are two items.
void TbsSkinMainMenuBarItem::LeaveOtherActiveItem()
{
    for (auto& o : Parent->ObjectList)
        if (o.get() != this && o->Active)
        {
            o->MouseLeave();
            return;
        }
}

bool TbsSkinMainMenuBarItem::ReleaseOtherDownItem()
{
    for (auto& o : Parent->ObjectList)
        if (o.get() != this && o->FDown)
        {
            o->SetDown(false);
            return true;
        }
    return false;
}

void TbsSkinMainMenuBarItem::MouseEnter()
{
    if (ReleaseOtherDownItem())
    {
        Active = true;
        FMouseIn = true;
        if (EnableMorphing()) FMorphKf = 1;
        SetDown(true);
        return;
    }
    LeaveOtherActiveItem();
    FMouseIn = true;
    Active = true;
    ReDraw();
    if (Parent->OnItemMouseEnter) Parent->OnItemMouseEnter(MenuItem);
    if (Parent->GetHint() != MenuItem->Hint()) Parent->SetHint(MenuItem->Hint());
}

void TbsSkinMainMenuBarItem::MouseLeave()
{
    Active = false;
    FMouseIn = false;
    if (EnableAnimation() && !InActiveAnimation)
    {
        CurrentFrame = 0;
        Parent->DrawObject(this);
    }
    if (EnableMorphing() && FDown) SetMorphKf(0);
    ReDraw();
    if (Parent->OnItemMouseLeave) Parent->OnItemMouseLeave(MenuItem);
}

void TbsSkinMainMenuBarItem::SetDown(bool Value)
{
    FDown = Value;
    if (Value)
    {
        FMorphKf = 1;
        Parent->DrawObject(this);
        TbsSkinForm* F = Parent->BSF;
        if (F && !F->InMainMenu() && F->OnMainMenuEnter) F->OnMainMenuEnter(Parent);
        TrackMenu();
        return;
    }
    Active = false;
    if (EnableAnimation())
    {
        if (InActiveAnimation)
        {
            CurrentFrame = FrameCount + 1;
            ReDraw();
        }
        else
        {
            CurrentFrame = 0;
            Parent->DrawObject(this);
        }
    }
    else if (EnableMorphing())
    {
        FMorphKf = 1;
        ReDraw();
    }
    else
        Parent->DrawObject(this);
}

void TbsSkinMainMenuBarItem::TrackMenu()
{
    TRect R = ObjectRect;
    const TPoint p = Parent->ClientToScreen(TPoint(R.Left, R.Top));
    R = TRect(p.X, p.Y, p.X + RectWidth(ObjectRect), p.Y + RectHeight(ObjectRect));
    TbsSkinForm* F = Parent->BSF;
    if (!F) return;
    F->SkinMenuOpen();
    F->SetInMainMenu(true);
    F->SkinMenu->Popup(nullptr, Parent->SkinData(), 0, R, MenuItem, Parent->PopupToUp);
}

void TbsSkinMainMenuBarItem::MouseDown(int, int, TMouseButton Button)
{
    TbsSkinForm* F = Parent->BSF;
    if (!Enabled || !F || Button != mbLeft) return;
    if (MenuItem->Count() > 0)
    {
        Parent->MenuActive = true;
        SetDown(true);
        return;
    }
    // A command on the bar itself.
    if (F->InMainMenu()) F->LeaveMainMenu();
    F->SetInMenu(false);
    if (EnableMorphing()) ReDraw();
    else Parent->DrawObject(this);
    if (TMenu* m = MenuItem->GetParentMenu()) m->DispatchCommand(MenuItem->Command());
}

// ---------------------------------------------------------------------------
// The bar

TbsSkinMainMenuBar::TbsSkinMainMenuBar(TComponent* AOwner) : TbsSkinControl(AOwner)
{
    FDefItemFont = std::make_unique<TFont>();
    FDefItemFont->SetName("Arial");
    FDefItemFont->SetHeight(14);
    FDefItemFont->SetStyle(TFontStyles{});
    FDefItemFont->SetColor(clBtnText);
    MouseTimer = new TTimer(this);
    MouseTimer->SetEnabled(false);
    MouseTimer->SetInterval(50);
    MouseTimer->SetOnTimer([this](TObject*) { MouseTimerProc(); });
    MorphTimer = new TTimer(this);
    MorphTimer->SetEnabled(false);
    MorphTimer->SetInterval(25);
    MorphTimer->SetOnTimer([this](TObject*) { MorphTimerProc(); });
    AnimateTimer = new TTimer(this);
    AnimateTimer->SetEnabled(false);
    AnimateTimer->SetInterval(25);
    AnimateTimer->SetOnTimer([this](TObject*) { AnimateTimerProc(); });
    FSkinDataName = "mainmenubar";
    ControlStyle.Include(csDoubleClicks);
    height_ = 22;
    SetAlign(alTop);
}

TbsSkinMainMenuBar::~TbsSkinMainMenuBar()
{
    if (BSF && BSF->MainMenuBar() == this) BSF->SetMainMenuBar(nullptr);
    SetSkinForm(nullptr);
    SetMainMenu(nullptr);
    Watch(FMergeMenu, nullptr);
    FMergeMenu = nullptr;
    Watch(FChildMenu, nullptr);
    FChildMenu = nullptr;
    ObjectList.clear();
    Buttons.clear();
}

void TbsSkinMainMenuBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FMainMenu)
    {
        FMainMenu = nullptr;
        ObjectList.clear();
        ActiveObject = OldActiveObject = MouseCaptureObject = -1;
    }
    if (AComponent == BSF) BSF = nullptr;
    if (AComponent == FMergeMenu || AComponent == FChildMenu)
    {
        if (AComponent == FMergeMenu) FMergeMenu = nullptr;
        if (AComponent == FChildMenu) FChildMenu = nullptr;
        // Its child form is going: the main menu's own items come back once
        // it has gone.
        FRebuild = true;
        Invalidate();
        ObjectList.clear();
        ActiveObject = OldActiveObject = MouseCaptureObject = -1;
    }
}

void TbsSkinMainMenuBar::DropSkinReferences()
{
    TbsSkinControl::DropSkinReferences();
    Picture = nullptr;
    FSkinSupport = false;
    ObjectList.clear();
    DeleteMDIButtons();
    ActiveObject = OldActiveObject = MouseCaptureObject = -1;
}

void TbsSkinMainMenuBar::SetDefItemFont(const TFont* Value)
{
    FDefItemFont->Assign(Value);
    if (FIndex == -1) Invalidate();
}

void TbsSkinMainMenuBar::SetDefaultHeight(int Value)
{
    FDefaultHeight = Value;
    if (FIndex == -1 && Value > 0) SetHeight(Value);
}

void TbsSkinMainMenuBar::SetSkinForm(TbsSkinForm* Value)
{
    Watch(BSF, Value);
    BSF = Value;
}

void TbsSkinMainMenuBar::SetMainMenu(TMainMenu* Value)
{
    Watch(FMainMenu, Value);
    FMainMenu = Value;
    CreateMenu();
    Invalidate();
}

void TbsSkinMainMenuBar::CreateMenu()
{
    FRebuild = false;
    ObjectList.clear();
    DeleteMDIButtons();
    ActiveObject = OldActiveObject = MouseCaptureObject = -1;
    if (!FMainMenu) return;
    TMainMenu* child = nullptr;
    if (BSF && (BSF->Form()->GetFormStyle() == fsMDIForm || FMergeMenu)) child = GetChildMainMenu();
    TMainMenu* watched = child == FMergeMenu ? nullptr : child;
    Watch(FChildMenu, watched);
    FChildMenu = watched;
    if (FMergeMenu) FMergeMenu->FreeNotification(this);
    const TbsDataSkinMainMenuItem* entry = nullptr;
    if (FSD && !FSD->Empty)
        if (const int i = FSD->GetIndex(MenuBarItem); i != -1)
            entry = dynamic_cast<const TbsDataSkinMainMenuItem*>(FSD->ObjectList[std::size_t(i)].get());
    ChildMenuIn = child != nullptr;
    if (ChildMenuIn) ScrollMenu = false;
    std::vector<TMenuItem*> shown;
    TMenuItem* root = FMainMenu->Items();
    if (!child)
        for (int i = 0; i < root->Count(); ++i) shown.push_back(root->Items(i));
    else
    {
        // The child's groups replace the main menu's groups of the same index.
        TMenuItem* croot = child->Items();
        auto childHas = [croot](BYTE g) {
            for (int k = 0; k < croot->Count(); ++k)
                if (croot->Items(k)->GroupIndex() == g) return true;
            return false;
        };
        for (int i = 0; i < root->Count(); ++i)
            if (!childHas(root->Items(i)->GroupIndex())) shown.push_back(root->Items(i));
        for (int k = 0; k < croot->Count(); ++k) shown.push_back(croot->Items(k));
        std::stable_sort(shown.begin(), shown.end(),
                         [](TMenuItem* a, TMenuItem* b) { return a->GroupIndex() < b->GroupIndex(); });
    }
    for (TMenuItem* mi : shown)
    {
        if (!mi->Visible()) continue;
        auto item = std::make_unique<TbsSkinMainMenuBarItem>(this, entry);
        item->IDName = mi->Name();
        item->Enabled = item->OldEnabled = mi->Enabled();
        item->MenuItem = mi;
        ObjectList.push_back(std::move(item));
    }
    if (FMDIChildMax)
    {
        CreateMDIButtons();
        if (TbsSkinForm* c = FindMaximizedMDIChildSkinForm()) UpdateMDIButtons(c->BorderIcons());
    }
}

void TbsSkinMainMenuBar::UpDateItems()
{
    CreateMenu();
    Invalidate();
    ActiveObject = OldActiveObject = -1;
    MouseTimer->SetEnabled(true);
}

void TbsSkinMainMenuBar::UpDateEnabledItems()
{
    for (auto& o : ObjectList) o->Enabled = o->OldEnabled = o->MenuItem->Enabled();
    Invalidate();
}

void TbsSkinMainMenuBar::GetSkinData()
{
    TbsSkinControl::GetSkinData();
    if (FIndex == -1) return;
    auto* d = dynamic_cast<const TbsDataSkinMainMenuBar*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    SkinRect = d->SkinRect;
    ItemsRect = d->ItemsRect;
    MenuBarItem = d->MenuBarItem;
    MaxButton = d->MaxButton;
    MinButton = d->MinButton;
    CloseButton = d->CloseButton;
    SysMenuButton = d->SysMenuButton;
    TrackMarkColor = d->TrackMarkColor;
    TrackMarkActiveColor = d->TrackMarkActiveColor;
    StretchEffect = d->StretchEffect;
    ItemTransparent = d->ItemTransparent;
    Picture = bsSkinActiveBitmap(FSD, d->PictureIndex);
}

void TbsSkinMainMenuBar::BeforeChangeSkinData()
{
    FSkinSupport = false;
    TbsSkinControl::BeforeChangeSkinData();
    ObjectList.clear();
    DeleteMDIButtons();
}

void TbsSkinMainMenuBar::ChangeSkinData()
{
    GetSkinData();
    FSkinSupport = FIndex != -1;
    CreateMenu();
    if (FSkinSupport) SetHeight(RectHeight(SkinRect));
    else if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
    Invalidate();
}

void TbsSkinMainMenuBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    GetSkinData();
    if (FIndex != -1 && !IsEmptyRect(SkinRect)) AHeight = RectHeight(SkinRect);
    TbsSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    CalcItemsRect();
    Invalidate();
}

void TbsSkinMainMenuBar::CalcItemsRect()
{
    if (FSkinSupport || FIndex != -1)
        NewItemsRect = TRect(ItemsRect.Left, ItemsRect.Top, Width() - (RectWidth(SkinRect) - ItemsRect.Right), ItemsRect.Bottom);
    else
        NewItemsRect = TRect(2, 2, Width() - 2, Height() - 2);
    PlaceMDIButtons();
}

TRect TbsSkinMainMenuBar::GetMarkerRect() const
{
    return TRect(NewItemsRect.Right - 5, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Bottom);
}

void TbsSkinMainMenuBar::DrawMarker(TCanvas* C)
{
    const TColor color = FIndex != -1 ? TColor(MarkerActive ? TrackMarkActiveColor : TrackMarkColor)
                                      : (MarkerActive ? clBtnText : clBtnShadow);
    DrawArrowGlyph(C, GetMarkerRect(), ColorToRGB(color), 2);
}

void TbsSkinMainMenuBar::Paint() { PaintMenuBar(Canvas()); }

void TbsSkinMainMenuBar::WndProc(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_ERASEBKGND: m.Result = 1; return;
    case CM_MOUSEENTER:
        TbsSkinControl::WndProc(m);
        MouseTimer->SetEnabled(true);
        return;
    case CM_MOUSELEAVE:
        TbsSkinControl::WndProc(m);
        MouseTimer->SetEnabled(false);
        TestActive(-1, -1);
        return;
    case BSM_SKINMENU_CLOSED:
        ReleaseSysMenuButton();
        break;
    default: break;
    }
    TbsSkinControl::WndProc(m);
}

void TbsSkinMainMenuBar::PaintMenuBar(TCanvas* C)
{
    GetSkinData();
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap B(Width(), Height(), pf32bit);
    TCanvas* bc = B.Canvas();
    if (FIndex == -1 || !Picture)
    {
        bc->Brush()->SetColor(FIndex == -1 ? clBtnFace : TColor(FSD->FSkinColors.FcBtnFace));
        bc->FillRect(TRect(0, 0, Width(), Height()));
    }
    else if (FSD->MainMenuBarTransparent)
        DrawParentImage(this, bc);
    else
    {
        TBitmap bg;
        bg.SetPixelFormat(pf32bit);
        CreateHSkinImage(ItemsRect.Left, RectWidth(SkinRect) - ItemsRect.Right, &bg, Picture, SkinRect, Width(),
                         Height(), StretchEffect);
        bc->Draw(0, 0, &bg);
    }
    if (FRebuild) CreateMenu();
    CalcItemsRect();
    Scroll = false;
    for (auto& b : Buttons)
        if (b->Visible) b->Draw(bc);
    for (auto& o : ObjectList)
        if (o->Visible) o->Draw(bc);
    if (Scroll && ScrollMenu) DrawMarker(bc);
    C->Draw(0, 0, &B);
}

// Single objects are drawn by painting the bar again: its items may show the
// bar's own background.
void TbsSkinMainMenuBar::DrawObject(TbsMenuBarObject*)
{
    if (HandleAllocated()) Repaint();
}

bool TbsSkinMainMenuBar::Usable(int i) const { return Item(i)->Enabled && Item(i)->Fits; }

void TbsSkinMainMenuBar::TestActive(int X, int Y)
{
    if (TestButtons(X, Y)) X = Y = -1;
    if (ObjectList.empty()) return;
    OldActiveObject = ActiveObject;
    int hit = -1;
    for (int i = 0; i < ItemCount(); ++i)
        if (Item(i)->Enabled && PtInRect(Item(i)->ObjectRect, TPoint(X, Y)))
        {
            hit = i;
            break;
        }
    if (!(hit == -1 && OldActiveObject != -1 && MenuActive)) ActiveObject = hit;
    if (MouseCaptureObject != -1 && ActiveObject != MouseCaptureObject) ActiveObject = -1;
    if (ActiveObject >= ItemCount()) ActiveObject = -1;
    if (OldActiveObject >= ItemCount()) OldActiveObject = -1;
    if (ActiveObject != OldActiveObject)
    {
        if (OldActiveObject != -1 && Item(OldActiveObject)->Enabled) Item(OldActiveObject)->MouseLeave();
        if (ActiveObject != -1 && ActiveObject < ItemCount() && Item(ActiveObject)->Enabled)
            Item(ActiveObject)->MouseEnter();
    }
    if (Scroll && ScrollMenu)
    {
        const bool in = PtInRect(GetMarkerRect(), TPoint(X, Y));
        if (in != MarkerActive)
        {
            MarkerActive = in;
            Invalidate();
        }
    }
}

void TbsSkinMainMenuBar::MouseTimerProc()
{
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    if (p.X < 0 || p.Y < 0 || p.X > Width() || p.Y > Height())
    {
        MouseTimer->SetEnabled(false);
        TestActive(-1, -1);
    }
    else
        TestActive(p.X, p.Y);
}

void TbsSkinMainMenuBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TbsSkinControl::MouseMove(Shift, X, Y);
    if (!MouseTimer->GetEnabled()) MouseTimer->SetEnabled(true);
    TestActive(X, Y);
}

void TbsSkinMainMenuBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TbsSkinControl::MouseDown(Button, Shift, X, Y);
    TestActive(X, Y);
    if (ActiveButton != -1)
    {
        CaptureButton = ActiveButton;
        Buttons[std::size_t(ActiveButton)]->MouseDown(X, Y, Button);
    }
    else if (ActiveObject != -1)
    {
        MouseCaptureObject = ActiveObject;
        Item(ActiveObject)->MouseDown(X, Y, Button);
    }
    else if (Scroll && ScrollMenu && PtInRect(GetMarkerRect(), TPoint(X, Y)))
        PopupHiddenItems();
}

void TbsSkinMainMenuBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CaptureButton != -1)
    {
        const int b = CaptureButton;
        CaptureButton = -1;
        // The button may free the bar's buttons (the child restored or closed).
        if (b < ButtonsCount()) Buttons[std::size_t(b)]->MouseUp(X, Y, Button);
        TbsSkinControl::MouseUp(Button, Shift, X, Y);
        return;
    }
    if (MouseCaptureObject != -1 && MouseCaptureObject < ItemCount())
        Item(MouseCaptureObject)->MouseUp(X, Y, Button);
    MouseCaptureObject = -1;
    TbsSkinControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMainMenuBar::PopupHiddenItems()
{
    if (!BSF || !FMainMenu) return;
    int n = 0;
    for (auto& o : ObjectList)
        if (o->Fits) ++n;
    const TRect m = GetMarkerRect();
    const TPoint p = ClientToScreen(TPoint(m.Left, m.Top));
    const TRect R(p.X, p.Y, p.X + RectWidth(m), p.Y + RectHeight(m));
    BSF->SkinMenuOpen();
    BSF->SkinMenu->Popup(nullptr, FSD, n, R, FMainMenu->Items(), false);
}

void TbsSkinMainMenuBar::MorphTimerProc()
{
    bool any = false;
    auto step = [&any](TbsMenuBarObject* o) {
        if (!o->EnableMorphing() || !o->CanMorphing()) return;
        o->SetMorphKf(std::round((o->MorphKf() + (o->Active ? 0.2 : -0.2)) * 5) / 5);
        any = true;
    };
    for (auto& b : Buttons) step(b.get());
    for (auto& o : ObjectList) step(o.get());
    if (any) DrawObject(nullptr);
    else MorphTimer->SetEnabled(false);
}

void TbsSkinMainMenuBar::AnimateTimerProc()
{
    bool any = false;
    for (auto& o : ObjectList)
    {
        if (!o->EnableAnimation()) continue;
        if (o->Active && o->CurrentFrame <= o->FrameCount)
        {
            ++o->CurrentFrame;
            any = true;
        }
        else if (!o->Active && o->CurrentFrame > 0)
        {
            --o->CurrentFrame;
            any = true;
        }
    }
    if (any) DrawObject(nullptr);
    else AnimateTimer->SetEnabled(false);
}

// ---------------------------------------------------------------------------
// Keyboard menu mode

bool TbsSkinMainMenuBar::FindHotKeyItem(WORD Key)
{
    if (!BSF || !BSF->Form()->GetVisible()) return false;
    for (int i = 0; i < ItemCount(); ++i)
    {
        TbsSkinMainMenuBarItem* it = Item(i);
        if (!Usable(i) || !IsAccel(Key, it->MenuItem->Caption())) continue;
        it->MouseEnter();
        if (!(BSF->InMenu() && it->MenuItem->Count() > 0)) it->MouseDown(0, 0, mbLeft);
        return true;
    }
    return false;
}

void TbsSkinMainMenuBar::EnterMainMenu()
{
    MenuActive = true;
    TbsSkinMainMenuBarItem* first = nullptr;
    for (auto& o : ObjectList)
        if (o->Active)
        {
            first = o.get();
            break;
        }
    if (!first && !ObjectList.empty()) first = ObjectList.front().get();
    if (first) first->MouseEnter();
    if (!BSF) return;
    BSF->HookApp();
    BSF->SetInMainMenu(true);
    if (BSF->OnMainMenuEnter) BSF->OnMainMenuEnter(this);
}

void TbsSkinMainMenuBar::NextMainMenuItem()
{
    int cur = -1;
    for (int i = 0; i < ItemCount(); ++i)
        if (Usable(i) && (Item(i)->Active || Item(i)->FDown))
        {
            cur = i;
            break;
        }
    if (cur != -1) Item(cur)->MouseLeave();
    int next = -1;
    for (int i = cur + 1; i < ItemCount() && next == -1; ++i)
        if (Usable(i)) next = i;
    for (int i = 0; i < ItemCount() && next == -1; ++i)
        if (Usable(i)) next = i;
    if (next != -1) Item(next)->MouseEnter();
}

void TbsSkinMainMenuBar::PriorMainMenuItem()
{
    int cur = -1;
    for (int i = 0; i < ItemCount(); ++i)
        if (Usable(i) && (Item(i)->Active || Item(i)->FDown))
        {
            cur = i;
            break;
        }
    if (cur != -1) Item(cur)->MouseLeave();
    int prior = -1;
    for (int i = (cur == -1 ? ItemCount() : cur) - 1; i >= 0 && prior == -1; --i)
        if (Usable(i)) prior = i;
    for (int i = ItemCount() - 1; i >= 0 && prior == -1; --i)
        if (Usable(i)) prior = i;
    if (prior != -1) Item(prior)->MouseEnter();
}

bool TbsSkinMainMenuBar::PopupActiveItem()
{
    if (!BSF) return false;
    for (auto& o : ObjectList)
        if ((o->FDown && o->MenuItem->Count() == 0) || (o->Active && !BSF->InMenu()))
        {
            o->Active = false;
            o->MouseDown(0, 0, mbLeft);
            return true;
        }
    return false;
}

void TbsSkinMainMenuBar::ReleaseDownItem()
{
    for (auto& o : ObjectList)
        if (o->FDown)
        {
            o->FDown = false;
            o->Active = true;
            DrawObject(o.get());
            return;
        }
}

void TbsSkinMainMenuBar::ExitMainMenu()
{
    MenuActive = false;
    for (auto& o : ObjectList)
        if (o->FDown || o->Active)
        {
            o->Active = o->FMouseIn = o->FDown = false;
            if (o->EnableAnimation() && !o->InActiveAnimation)
            {
                o->CurrentFrame = 0;
                DrawObject(o.get());
            }
            else
                o->ReDraw();
            break;
        }
    ActiveObject = OldActiveObject = -1;
}

// ---------------------------------------------------------------------------
// The maximized MDI child's buttons

TbsSkinMainMenuBarButton::TbsSkinMainMenuBarButton(TbsSkinMainMenuBar* AParent,
                                                   const TbsDataSkinMainMenuBarButton* AData)
    : TbsMenuBarObject(AParent, AData)
{
    if (!AData) return;
    Command = AData->Command;
    DownRect = AData->DownRect;
    FSkinSupport = true;
}

void TbsSkinMainMenuBarButton::Draw(TCanvas* Cnvs)
{
    const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
    if (w <= 0 || h <= 0) return;
    if (!FSkinSupport || !Picture)
    {
        DefaultDraw(Cnvs);
        return;
    }
    auto copy = [&](TBitmap* B, const TRect& src) {
        B->SetPixelFormat(pf32bit);
        B->SetSize(w, h);
        B->Canvas()->CopyRect(TRect(0, 0, w, h), Picture->Canvas(), src);
    };
    TBitmap B;
    const bool morphEnd = (Active && FMorphKf == 1) || (!Active && FMorphKf == 0);
    if (FDown && FMouseIn && !IsEmptyRect(DownRect)) copy(&B, DownRect);
    else if (EnableMorphing() && !morphEnd)
    {
        TBitmap hot;
        copy(&B, SkinRect);
        copy(&hot, ActiveSkinRect);
        DrawMorph(B.Canvas(), &B, &hot, MorphKind, FMorphKf);
    }
    else
        copy(&B, Active && !IsEmptyRect(ActiveSkinRect) ? ActiveSkinRect : SkinRect);
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

void TbsSkinMainMenuBarButton::DefaultDraw(TCanvas* Cnvs)
{
    const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
    if (w <= 0 || h <= 0) return;
    TBitmap B(w, h, pf32bit);
    TCanvas* C = B.Canvas();
    C->Brush()->SetStyle(bsSolid);
    const bool pressed = FDown && FMouseIn;
    if (FMouseIn)
    {
        C->Brush()->SetColor(clNavy);
        C->FillRect(TRect(0, 0, w, h));
        C->Brush()->SetColor(pressed ? TColor(0xB59385) : TColor(0xD2BDB6));
        C->FillRect(TRect(1, 1, w - 1, h - 1));
    }
    else
    {
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(TRect(0, 0, w, h));
    }
    const int x = w / 2 - 5 + (pressed ? 1 : 0), y = h / 2 - 4 + (pressed ? 1 : 0);
    const COLORREF color = ColorToRGB(Enabled ? clBtnText : clBtnShadow);
    switch (Command)
    {
    case cmClose: DrawCloseGlyph(C, x, y, color); break;
    // The child is maximized: this button restores it.
    case cmMaximize: DrawRestoreGlyph(C, x, y, color); break;
    case cmMinimize: DrawMinimizeGlyph(C, x, y, color); break;
    case cmSysMenu: DrawSysMenuGlyph(C, x, y, color); break;
    default: break;
    }
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

void TbsSkinMainMenuBarButton::MouseEnter()
{
    if (FDown && Command == cmSysMenu)
    {
        FMouseIn = Active = true;
        return;
    }
    if (FDown && EnableMorphing())
    {
        FMouseIn = Active = true;
        Parent->DrawObject(this);
        return;
    }
    TbsMenuBarObject::MouseEnter();
}

void TbsSkinMainMenuBarButton::MouseLeave()
{
    if (FDown && Command == cmSysMenu)
    {
        if (EnableMorphing()) FMorphKf = 1;
        FMouseIn = Active = false;
        return;
    }
    if (FDown && EnableMorphing())
    {
        FMouseIn = Active = false;
        Parent->DrawObject(this);
        return;
    }
    TbsMenuBarObject::MouseLeave();
}

void TbsSkinMainMenuBarButton::MouseDown(int, int, TMouseButton Button)
{
    if (!Enabled || Button != mbLeft || FDown) return;
    FDown = true;
    if (EnableMorphing() && !IsEmptyRect(DownRect)) SetMorphKf(1);
    Parent->DrawObject(this);
    if (Command == cmSysMenu) ButtonClick();
}

void TbsSkinMainMenuBarButton::MouseUp(int, int, TMouseButton Button)
{
    if (!Enabled || Button != mbLeft || Command == cmSysMenu) return;
    FDown = false;
    Parent->DrawObject(this);
    if (EnableMorphing()) ReDraw();
    // Only a release over the button runs its command.
    if (Active) ButtonClick();
}

void TbsSkinMainMenuBarButton::DblClick()
{
    if (Command != cmSysMenu) return;
    TbsSkinForm* child = FindMaximizedMDIChildSkinForm();
    if (!child) return;
    if (TbsSkinForm* F = Parent->BSF)
    {
        F->SkinMenu->Hide();
        F->SkinMenuClose();
    }
    child->Form()->Close();
}

// The bar may be rebuilt (and this button freed) by what the command does:
// nothing of the button is touched after it.
void TbsSkinMainMenuBarButton::ButtonClick()
{
    TbsSkinForm* child = FindMaximizedMDIChildSkinForm();
    if (!child) return;
    switch (Command)
    {
    case cmClose: child->Form()->Close(); break;
    case cmMaximize: child->ChangeWindowState(wsNormal); break;
    case cmMinimize: child->ChangeWindowState(wsMinimized); break;
    case cmSysMenu:
    {
        TbsSkinMainMenuBar* bar = Parent;
        TbsSkinForm* F = bar->BSF;
        bar->Repaint();
        if (!F) return;
        const TPoint p = bar->ClientToScreen(TPoint(ObjectRect.Left, ObjectRect.Top));
        const TRect R(p.X, p.Y, p.X + RectWidth(ObjectRect), p.Y + RectHeight(ObjectRect));
        TMenuItem* items = child->GetSystemMenuItems();
        F->SkinMenuOpen();
        F->SkinMenu->Popup(bar, F->MenusSkinData() ? F->MenusSkinData() : F->SkinData(), 0, R, items, bar->PopupToUp);
        break;
    }
    default: break;
    }
}

TbsSkinMainMenuBarButton* TbsSkinMainMenuBar::FindButton(TbsStdCommand Command) const
{
    for (auto& b : Buttons)
        if (b->Command == Command) return b.get();
    return nullptr;
}

void TbsSkinMainMenuBar::CreateMDIButtons()
{
    DeleteMDIButtons();
    struct
    {
        const std::string& name;
        const char* fallback;
        TbsStdCommand command;
    } made[] = {{MinButton, "MinButton", cmMinimize},
                {MaxButton, "MaxButton", cmMaximize},
                {CloseButton, "CloseButton", cmClose},
                {SysMenuButton, "SysMenuButton", cmSysMenu}};
    const bool skinned = FSkinSupport;
    for (auto& m : made)
    {
        const std::string name = skinned ? m.name : std::string(m.fallback);
        const TbsDataSkinMainMenuBarButton* entry = nullptr;
        if (FSD && !FSD->Empty)
            if (const int i = FSD->GetIndex(name); i != -1)
                entry = dynamic_cast<const TbsDataSkinMainMenuBarButton*>(FSD->ObjectList[std::size_t(i)].get());
        auto b = std::make_unique<TbsSkinMainMenuBarButton>(this, entry);
        b->IDName = name;
        // Without a skin entry of their own the buttons do what their place says.
        if (!skinned || !entry) b->Command = m.command;
        Buttons.insert(Buttons.begin(), std::move(b));
    }
}

void TbsSkinMainMenuBar::UpdateMDIButtons(const TbsBorderIcons& AIcons)
{
    for (auto& b : Buttons)
    {
        b->Enabled = true;
        if (b->Command == cmMinimize && !AIcons.Minimize) b->Enabled = false;
        if (b->Command == cmSysMenu && !AIcons.SystemMenu) b->Enabled = false;
    }
}

void TbsSkinMainMenuBar::DeleteMDIButtons()
{
    Buttons.clear();
    ActiveButton = CaptureButton = -1;
}

void TbsSkinMainMenuBar::MDIChildMaximize()
{
    if (FMDIChildMax) return;
    FMDIChildMax = true;
    OldActiveObject = ActiveObject = MouseCaptureObject = -1;
    CreateMDIButtons();
    if (TbsSkinForm* child = FindMaximizedMDIChildSkinForm()) UpdateMDIButtons(child->BorderIcons());
    Invalidate();
}

void TbsSkinMainMenuBar::MDIChildRestore()
{
    TbsSkinForm* child = FindMaximizedMDIChildSkinForm();
    if (!child && FMDIChildMax)
    {
        FMDIChildMax = false;
        DeleteMDIButtons();
        Invalidate();
    }
    else if (child)
        UpdateMDIButtons(child->BorderIcons());
}

void TbsSkinMainMenuBar::ReleaseSysMenuButton()
{
    for (int i = 0; i < ButtonsCount(); ++i)
    {
        TbsSkinMainMenuBarButton* b = Button(i);
        if (b->Command != cmSysMenu || !b->FDown) continue;
        b->FDown = false;
        if (i != ActiveButton) b->Active = b->FMouseIn = false;
        b->ReDraw();
    }
}

// System menu at the left end of the items area, then minimize, restore and
// close from the right end (the last in the list is nearest the items).
void TbsSkinMainMenuBar::PlaceMDIButtons()
{
    if (!FMDIChildMax || ButtonsCount() != 4) return;
    const int ih = RectHeight(NewItemsRect);
    auto size = [ih](TbsSkinMainMenuBarButton* b) {
        return b->FSkinSupport ? TSize(RectWidth(b->SkinRect), RectHeight(b->SkinRect)) : TSize(ih, ih);
    };
    TbsSkinMainMenuBarButton* sys = Button(0);
    TSize s = size(sys);
    int top = NewItemsRect.Top + ih / 2 - s.cy / 2;
    sys->ObjectRect = TRect(NewItemsRect.Left, top, NewItemsRect.Left + s.cx, top + s.cy);
    NewItemsRect.Left += s.cx + 2;
    for (int i = 1; i < 4; ++i)
    {
        TbsSkinMainMenuBarButton* b = Button(i);
        s = size(b);
        top = NewItemsRect.Top + ih / 2 - s.cy / 2;
        b->ObjectRect = TRect(NewItemsRect.Right - s.cx, top, NewItemsRect.Right, top + s.cy);
        NewItemsRect.Right -= s.cx + 2;
    }
}

// The hit test of the buttons; true while one is under the pointer or holds
// a press, so that the items take no part.
bool TbsSkinMainMenuBar::TestButtons(int X, int Y)
{
    int hit = -1;
    for (int i = 0; i < ButtonsCount(); ++i)
        if (Button(i)->Enabled && PtInRect(Button(i)->ObjectRect, TPoint(X, Y)))
        {
            hit = i;
            break;
        }
    if (CaptureButton != -1 && hit != CaptureButton) hit = -1;
    if (hit != ActiveButton)
    {
        const int old = ActiveButton;
        ActiveButton = hit;
        if (old != -1 && old < ButtonsCount()) Button(old)->MouseLeave();
        if (hit != -1) Button(hit)->MouseEnter();
    }
    return ActiveButton != -1 || CaptureButton != -1;
}

void TbsSkinMainMenuBar::DblClick()
{
    TbsSkinControl::DblClick();
    if (ActiveButton != -1 && ActiveButton < ButtonsCount()) Button(ActiveButton)->DblClick();
}

// ---------------------------------------------------------------------------
// A merged child menu

void TbsSkinMainMenuBar::Merge(TMainMenu* Menu)
{
    Watch(FMergeMenu, Menu);
    FMergeMenu = Menu;
    UpDateItems();
}

void TbsSkinMainMenuBar::UnMerge()
{
    Watch(FMergeMenu, nullptr);
    FMergeMenu = nullptr;
    UpDateItems();
}

TMainMenu* TbsSkinMainMenuBar::GetChildMainMenu() const
{
    if (FMergeMenu) return FMergeMenu;
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    TCustomForm* child = main ? main->ActiveMDIChild() : nullptr;
    if (!child) return nullptr;
    for (int i = 0; i < child->ComponentCount(); ++i)
        if (auto* m = dynamic_cast<TMainMenu*>(child->Components(i))) return m;
    return nullptr;
}
