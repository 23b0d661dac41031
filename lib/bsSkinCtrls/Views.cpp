// What the skinned tree view and list view share: the store link, the look
// (font and background colour from the entry), the frame messages, and the
// attached skinned scroll bars.
#include <type_traits>

#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinValidate.h"

using namespace bsctrls;

template <class Base>
TbsSkinViewBase<Base>::TbsSkinViewBase(TComponent* AOwner, const std::string& entryName)
    : TbsSkinLink<Base>(AOwner), FSkinDataName(entryName), FDefaultFont(MakeDefaultFont())
{
}

template <class Base>
TbsSkinViewBase<Base>::~TbsSkinViewBase()
{
    this->Watch(FVScrollBar, nullptr);
    this->Watch(FHScrollBar, nullptr);
}

template <class Base>
void TbsSkinViewBase<Base>::SetSkinData(TbsSkinData* Value)
{
    this->LinkStore(Value);
    if (Value && !Value->Empty && !(this->ComponentState() & csDesigning)) ChangeSkinData();
}

template <class Base>
void TbsSkinViewBase<Base>::SetDefaultFont(TFont* Value)
{
    FDefaultFont->Assign(Value);
    if (this->FIndex == -1) this->Font()->Assign(Value);
}

template <class Base>
void TbsSkinViewBase<Base>::SetDefaultColor(TColor Value)
{
    FDefaultColor = Value;
    if (this->FIndex == -1) this->SetColor(Value);
}

template <class Base>
void TbsSkinViewBase<Base>::SetVScrollBar(TbsSkinScrollBar* Value)
{
    this->Watch(FVScrollBar, Value);
    FVScrollBar = Value;
    if (Value)
    {
        Value->SetEnabled(true);
        Value->SetVisible(false);
        Value->OnChange = [this](TObject*) { VScrollChanged(); };
    }
    UpDateScrollBars();
}

template <class Base>
void TbsSkinViewBase<Base>::SetHScrollBar(TbsSkinScrollBar* Value)
{
    this->Watch(FHScrollBar, Value);
    FHScrollBar = Value;
    if (Value)
    {
        Value->SetEnabled(true);
        Value->SetVisible(false);
        Value->OnChange = [this](TObject*) { HScrollChanged(); };
    }
    UpDateScrollBars();
}

template <class Base>
void TbsSkinViewBase<Base>::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinLink<Base>::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FVScrollBar) FVScrollBar = nullptr;
    if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

template <class Base>
void TbsSkinViewBase<Base>::CMVisibleChanged(TMessage& m)
{
    Base::CMVisibleChanged(m);
    if (FVScrollBar) FVScrollBar->SetVisible(this->GetVisible());
    if (FHScrollBar) FHScrollBar->SetVisible(this->GetVisible());
}

template <class Base>
void TbsSkinViewBase<Base>::TakeSkinLook()
{
    this->FIndex = bsSkinControlIndex(this->FSD, FSkinDataName);
    if (this->FIndex == -1)
    {
        this->SetColor(FDefaultColor);
        this->Font()->Assign(FDefaultFont.get());
        if constexpr (std::is_same_v<Base, TCustomListView>) this->SetGridLineColor(clBtnFace);
    }
    else
    {
        // The tree view takes a tree view entry, the list view a list view
        // entry; any other kind under the name leaves the look alone.
        const TbsDataSkinControl* e = bsSkinControlEntry(this->FSD, this->FIndex);
        const TbsDataSkinTextBGControl* d = nullptr;
        if constexpr (std::is_same_v<Base, TCustomTreeView>) d = dynamic_cast<const TbsDataSkinTreeView*>(e);
        else d = dynamic_cast<const TbsDataSkinListView*>(e);
        if (d)
        {
            if (UseSkinFont) SetSkinFont(this->Font(), d->FontName, d->FontStyle, d->FontHeight);
            else this->Font()->Assign(FDefaultFont.get());
            this->Font()->SetColor(TColor(d->FontColor));
            this->SetColor(TColor(d->BGColor));
            // Grid lines a quarter of the way from the background to the
            // text: faint on light and on dark skins alike.
            if constexpr (std::is_same_v<Base, TCustomListView>)
            {
                const COLORREF bg = ColorToRGB(TColor(d->BGColor)), fg = ColorToRGB(TColor(d->FontColor));
                auto mix = [](BYTE b, BYTE f) { return BYTE((3 * b + f) / 4); };
                this->SetGridLineColor(TColor(RGB(mix(GetRValue(bg), GetRValue(fg)), mix(GetGValue(bg), GetGValue(fg)),
                                                  mix(GetBValue(bg), GetBValue(fg)))));
            }
        }
    }
    SetStringTableCharset(this->Font(), this->FSD, FDefaultFont.get());
    TakeSelectionColors();
}

// The selection in the skin's accent: with the focus the accent itself,
// darkened or lightened until its text reads; without it a light tint of the
// accent on the view's background that the row's own text still reads on.
template <class Base>
void TbsSkinViewBase<Base>::TakeSelectionColors()
{
    const bool skinned = this->FSD && !this->FSD->Empty;
    const int accent = skinned ? this->FSD->FSkinColors.FcHighLight : int(ColorToRGB(clHighlight));
    const int accentText = skinned ? this->FSD->FSkinColors.FcHighLightText : int(ColorToRGB(clHighlightText));
    const int back = int(ColorToRGB(this->GetColor())), text = int(ColorToRGB(this->Font()->GetColor()));
    TSelectionColors& s = this->SelectionColors;
    s.FocusedText = TColor(accentText);
    s.Focused = TColor(bsColorReaching(accent, accentText, bsBodyTextContrast));
    double weight = 0.3;
    int tint = bsMixColor(accent, back, weight);
    while (weight > 0.05 && bsContrastRatio(text, tint) < bsBodyTextContrast)
        tint = bsMixColor(accent, back, weight -= 0.05);
    s.Unfocused = TColor(tint);
    s.UnfocusedText = TColor(text);
}

template <class Base>
bool TbsSkinViewBase<Base>::ShowBar(TbsSkinScrollBar* bar, bool show)
{
    if (!bar || bar->GetVisible() == show) return false;
    FInCheckScrollBars = true;
    bar->SetVisible(show);
    FInCheckScrollBars = false;
    return true;
}

template <class Base>
void TbsSkinViewBase<Base>::FinishBarUpdate(bool changed)
{
    if (FVScrollBar && FHScrollBar)
    {
        if (!FVScrollBar->GetVisible() && FHScrollBar->Both()) FHScrollBar->SetBoth(false);
        else if (FVScrollBar->GetVisible() && !FHScrollBar->Both()) FHScrollBar->SetBoth(true);
    }
    if (changed && this->GetAlign() != alNone && this->Parent())
    {
        FInCheckScrollBars = true;
        this->Parent()->Realign();
        FInCheckScrollBars = false;
    }
}

template <class Base>
bool TbsSkinViewBase<Base>::NativeScroll(int bar, SCROLLINFO& si)
{
    si = SCROLLINFO{};
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    return this->HandleAllocated() && GetScrollInfo(this->GetHandle(), bar, &si);
}

template <class Base>
void TbsSkinViewBase<Base>::MirrorRange(TbsSkinScrollBar* bar, int mn, int mx, int pos, int page)
{
    if (bar->Min() == mn && bar->Max() == mx && bar->PageSize() == page && bar->Position() == pos) return;
    bar->SetRange(mn, mx, pos, page);
}

template <class Base>
bool TbsSkinViewBase<Base>::HandleFrameMessage(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        // No frame and no window scroll bars: the client is the whole window.
        m.Result = 0;
        return true;
    case BSM_NCPAINT:
        m.Result = kNoNcSkin;
        return true;
    default: return false;
    }
}

template class TbsSkinViewBase<TCustomTreeView>;
template class TbsSkinViewBase<TCustomListView>;
