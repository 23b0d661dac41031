// Quick buttons: a row of small image buttons at the left of the caption
// text. The items live in the form component's collection; the caption
// object lays them out, draws them, tracks the hot and pressed one and runs
// the click.
#include "lib/bsSkinForm/Internal.h"

TbsQuickButtonItem::TbsQuickButtonItem(TCollection* Collection) : TCollectionItem(Collection) {}

void TbsQuickButtonItem::Assign(const TPersistent* Source)
{
    if (auto* q = dynamic_cast<const TbsQuickButtonItem*>(Source))
    {
        FImageIndex = q->FImageIndex;
        Hint = q->Hint;
        FEnabled = q->FEnabled;
        FVisible = q->FVisible;
        return;
    }
    TCollectionItem::Assign(Source);
}

void TbsQuickButtonItem::SetImageIndex(int Value)
{
    FImageIndex = Value;
    Changed(false);
}

void TbsQuickButtonItem::SetEnabled(bool Value)
{
    FEnabled = Value;
    Changed(false);
}

void TbsQuickButtonItem::SetVisible(bool Value)
{
    FVisible = Value;
    Changed(false);
}

TbsQuickButtonItems::TbsQuickButtonItems(TbsSkinForm* ABSF)
    : TCollection(CollectionItemClass<TbsQuickButtonItem>()), BSF(ABSF)
{
}

TbsQuickButtonItem* TbsQuickButtonItems::Add()
{
    BeginUpdate();
    auto* it = static_cast<TbsQuickButtonItem*>(TCollection::Add());
    EndUpdate();
    return it;
}

TbsQuickButtonItem* TbsQuickButtonItems::Insert(int Index)
{
    BeginUpdate();
    auto* it = static_cast<TbsQuickButtonItem*>(TCollection::Insert(Index));
    EndUpdate();
    return it;
}

void TbsQuickButtonItems::Update(TCollectionItem*)
{
    if (!BSF || (BSF->ComponentState() & (csDesigning | csLoading))) return;
    // An item still being made (added through the base class) waits.
    for (int i = 0; i < Count(); ++i)
        if (!dynamic_cast<TbsQuickButtonItem*>(TCollection::Items(i))) return;
    if (BSF->Form()->HandleAllocated()) SendMessage(BSF->Form()->Handle(), WM_NCPAINT, 0, 0);
}

// ---------------------------------------------------------------------------
// The form's side

void TbsSkinForm::SetQuickButtons(const TbsQuickButtonItems* Value) { FQuickButtons->Assign(Value); }

void TbsSkinForm::SetQuickImageList(TCustomImageList* Value)
{
    if (FQuickImageList) FQuickImageList->RemoveFreeNotification(this);
    FQuickImageList = Value;
    if (Value) Value->FreeNotification(this);
}

bool TbsSkinForm::HasQuickButtons() const { return FQuickButtons && FQuickButtons->Count() > 0 && FQuickImageList; }

bool TbsSkinForm::InQuickButtonsArea(TPoint P) const
{
    if (!HasQuickButtons()) return false;
    for (const auto& o : ObjectList)
        if (auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get()))
            return P.X < c->QuickButtonsLeft() + FQuickButtons->Count() * (FQuickImageList->GetWidth() + 8);
    return false;
}

// ---------------------------------------------------------------------------
// The caption object's side

void TbsSkinCaptionObject::DrawQuickButtons(TCanvas* C, TPoint origin)
{
    TCustomImageList* il = Parent->QuickImageList();
    TbsQuickButtonItems* items = Parent->QuickButtons();
    const int W = il->GetWidth(), H = il->GetHeight();
    int x = QuickButtonsLeft();
    const int y = ObjectRect.Top + RectHeight(ObjectRect) / 2 - H / 2 - 2;
    // The hot and pressed backgrounds: the skin's office quick button, else
    // its small tool button; none without either.
    const TbsSkinData* sd = Parent->SkinData();
    int ci = bsSkinControlIndex(sd, "officequickbutton");
    if (ci == -1) ci = bsSkinControlIndex(sd, "resizetoolbutton");
    auto* look = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(sd, ci));
    TBitmap* lookPic = look ? bsSkinActiveBitmap(sd, look->PictureIndex) : nullptr;
    for (int i = 0; i < items->Count(); ++i)
    {
        TbsQuickButtonItem* it = items->Items(i);
        if (!it->GetVisible()) continue;
        it->ItemRect = TRect(x, y, x + W + 4, y + H + 4);
        x += W + 8;
        TRect r = it->ItemRect;
        OffsetRect(r, -origin.X, -origin.Y);
        if (it->Active && lookPic)
        {
            const TRect src = it->Down ? look->DownSkinRect : look->ActiveSkinRect;
            if (!IsEmptyRect(src))
            {
                TBitmap b(RectWidth(r), RectHeight(r));
                CreateSkinImageByClRect(&b, lookPic, src, look->ClRect, true);
                C->Draw(r.Left, r.Top, &b);
            }
        }
        if (it->GetImageIndex() >= 0 && it->GetImageIndex() < il->Count())
            il->Draw(C, r.Left + RectWidth(r) / 2 - W / 2, r.Top + RectHeight(r) / 2 - H / 2, it->GetImageIndex(),
                     it->GetEnabled());
    }
}

void TbsSkinCaptionObject::CheckQuickButtons(int X, int Y)
{
    TbsQuickButtonItems* items = Parent->QuickButtons();
    if (!items || items->Count() == 0) return;
    OldActiveQuickButton = ActiveQuickButton;
    ActiveQuickButton = -1;
    for (int i = 0; i < items->Count(); ++i)
    {
        TbsQuickButtonItem* it = items->Items(i);
        const TRect& r = it->ItemRect;
        if (it->GetEnabled() && it->GetVisible() && X >= r.Left && Y >= r.Top && X < r.Right && Y < r.Bottom)
        {
            ActiveQuickButton = i;
            break;
        }
    }
    bool flagChanged = false;
    for (int i = 0; i < items->Count(); ++i)
    {
        TbsQuickButtonItem* it = items->Items(i);
        const bool a = i == ActiveQuickButton;
        if (it->Active != a) flagChanged = true;
        it->Active = a;
    }
    if (ActiveQuickButton != OldActiveQuickButton || flagChanged) Parent->Repaint();
    if (ActiveQuickButton != OldActiveQuickButton && ActiveQuickButton != -1 && Parent->QuickButtonsShowHint &&
        Parent->OnShowHint && !items->Items(ActiveQuickButton)->Hint.empty())
        Parent->OnShowHint(items->Items(ActiveQuickButton)->Hint);
    if (flagChanged && Parent->QuickButtonsShowHint && ActiveQuickButton == -1 && Parent->OnHideHint)
        Parent->OnHideHint();
}

void TbsSkinCaptionObject::MouseMove(int X, int Y)
{
    TbsActiveSkinObject::MouseMove(X, Y);
    if (Parent->HasQuickButtons()) CheckQuickButtons(X, Y);
}

void TbsSkinCaptionObject::MouseDown(int X, int Y, TMouseButton Button)
{
    TbsActiveSkinObject::MouseDown(X, Y, Button);
    if (!Parent->HasQuickButtons()) return;
    CheckQuickButtons(X, Y);
    if (ActiveQuickButton != -1)
    {
        TbsQuickButtonItems* items = Parent->QuickButtons();
        for (int i = 0; i < items->Count(); ++i)
        {
            TbsQuickButtonItem* it = items->Items(i);
            it->Down = i == ActiveQuickButton;
            if (!it->Down) it->Active = false;
        }
        Parent->Repaint();
    }
    if (Parent->QuickButtonsShowHint && Parent->OnHideHint) Parent->OnHideHint();
}

void TbsSkinCaptionObject::MouseUp(int X, int Y, TMouseButton Button)
{
    // The event whether or not the mouse is over the caption.
    if (Parent->OnMouseUpEvent) Parent->OnMouseUpEvent(IDName, X, Y, ObjectRect, Button);
    if (!Parent->HasQuickButtons()) return;
    CheckQuickButtons(X, Y);
    if (ActiveQuickButton == -1) return;
    TbsQuickButtonItems* items = Parent->QuickButtons();
    // A click needs a press on the same button.
    TbsQuickButtonItem* hot = items->Items(ActiveQuickButton);
    const bool pressed = hot->Down;
    for (int i = 0; i < items->Count(); ++i) items->Items(i)->Down = false;
    Parent->Repaint();
    // Last: the handler may close the form or change the skin.
    if (pressed && hot->OnClick) hot->OnClick(this);
}

void TbsSkinCaptionObject::MouseEnter()
{
    FMouseIn = true;
    if (Parent->OnMouseEnterEvent) Parent->OnMouseEnterEvent(IDName);
}

void TbsSkinCaptionObject::MouseLeave()
{
    FMouseIn = false;
    if (Parent->OnMouseLeaveEvent) Parent->OnMouseLeaveEvent(IDName);
    if (!Parent->HasQuickButtons()) return;
    ActiveQuickButton = OldActiveQuickButton = -1;
    CheckQuickButtons(-1, -1);
}
