// The image-grid menu: its items, the component with its events and the
// notifications of the button that owns it, and the popup window (layout,
// placement, painting, mouse, keys and the application hook while open).
#include "lib/bsSkinMenus.h"

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinHint.h"
#include "lib/bsUtils.h"
#include "platform/core/MainThread.h"

// ---- items ------------------------------------------------------------------------------

TbsImagesMenuItem::TbsImagesMenuItem(TCollection* Collection) : TCollectionItem(Collection) {}

void TbsImagesMenuItem::Assign(const TPersistent* Source)
{
    if (const auto* s = dynamic_cast<const TbsImagesMenuItem*>(Source))
    {
        FImageIndex = s->FImageIndex;
        FCaption = s->FCaption;
        Button = s->Button;
        Hint = s->Hint;
        return;
    }
    TCollectionItem::Assign(Source);
}

TbsImagesMenuItems::TbsImagesMenuItems(TbsSkinImagesMenu* AImagesMenu)
    : TCollection(CollectionItemClass<TbsImagesMenuItem>()), ImagesMenu(AImagesMenu)
{
}

TPersistent* TbsImagesMenuItems::GetOwner() const { return ImagesMenu; }

void TbsImagesMenuItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    if (ImagesMenu) ImagesMenu->InternalChange();
}

// ---- the component ----------------------------------------------------------------------

TbsSkinImagesMenu::TbsSkinImagesMenu(TComponent* AOwner)
    : TComponent(AOwner), FImagesItems(std::make_unique<TbsImagesMenuItems>(this)), FDefaultFont(std::make_unique<TFont>())
{
    FDefaultFont->SetName("Arial");
    FDefaultFont->SetHeight(14);
    FDefaultFont->SetStyle(TFontStyles{});
}

TbsSkinImagesMenu::~TbsSkinImagesMenu()
{
    FOnInternalChange = nullptr;
    FOnInternalMenuClose = nullptr;
    if (FPopupWindow)
    {
        FPopupWindow = nullptr;
    }
    Watch(FImages, nullptr);
    Watch(FSkinData, nullptr);
    Watch(FSkinHint, nullptr);
    FImagesItems->ImagesMenu = nullptr;
}

void TbsSkinImagesMenu::Watch(TComponent* old, TComponent* now)
{
    if (old == now) return;
    if (old) old->RemoveFreeNotification(this);
    if (now) now->FreeNotification(this);
}

void TbsSkinImagesMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FSkinData) FSkinData = nullptr;
    if (AComponent == FSkinHint) FSkinHint = nullptr;
}

void TbsSkinImagesMenu::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
}

void TbsSkinImagesMenu::SetSkinData(TbsSkinData* Value)
{
    Watch(FSkinData, Value);
    FSkinData = Value;
}

void TbsSkinImagesMenu::SetSkinHint(TbsSkinHint* Value)
{
    Watch(FSkinHint, Value);
    FSkinHint = Value;
}

void TbsSkinImagesMenu::SetItemIndex(int Value)
{
    if (Value == FItemIndex) return;
    FItemIndex = Value;
    InternalChange();
}

void TbsSkinImagesMenu::SetColumnsCount(int Value)
{
    if (Value >= 1 && Value <= 50) FColumnsCount = Value;
}

TbsImagesMenuItem* TbsSkinImagesMenu::GetSelectedItem() const
{
    if (FItemIndex < 0 || FItemIndex >= FImagesItems->Count()) return nullptr;
    return FImagesItems->Items(FItemIndex);
}

void TbsSkinImagesMenu::SetInternalChange(TObject* owner, TNotifyEvent e)
{
    FInternalChangeOwner = owner;
    FOnInternalChange = std::move(e);
}

void TbsSkinImagesMenu::SetInternalMenuClose(TObject* owner, TNotifyEvent e)
{
    FInternalCloseOwner = owner;
    FOnInternalMenuClose = std::move(e);
}

void TbsSkinImagesMenu::ReleaseInternal(TObject* owner)
{
    if (FInternalChangeOwner == owner)
    {
        FInternalChangeOwner = nullptr;
        FOnInternalChange = nullptr;
    }
    if (FInternalCloseOwner == owner)
    {
        FInternalCloseOwner = nullptr;
        FOnInternalMenuClose = nullptr;
    }
}

void TbsSkinImagesMenu::InternalChange()
{
    if (FOnInternalChange) FOnInternalChange(this);
}

void TbsSkinImagesMenu::Popup(int X, int Y) { PopupFromRect(TRect(X, Y, X, Y)); }

void TbsSkinImagesMenu::Hide()
{
    if (FPopupWindow) ProcessEvents(false);
}

void TbsSkinImagesMenu::PopupFromRect(const TRect& R)
{
    Hide();
    if (OnMenuPopup) OnMenuPopup(this);
    // Without images, or without items to lay out, nothing opens.
    if (!FImages || FImages->Count() == 0 || FImagesItems->Count() == 0) return;
    FOldItemIndex = FItemIndex;
    (void)R;
}

void TbsSkinImagesMenu::ProcessEvents(bool AProcessEvents)
{
    if (!FPopupWindow) return;
    // The window is being closed from its own handling: it goes once that
    // handling has returned.
    TbsSkinImagesMenuPopupWindow* w = FPopupWindow;
    FPopupWindow = nullptr;
    (void)w;
    const std::weak_ptr<char> life = FLife;
    if (FOnInternalMenuClose) FOnInternalMenuClose(this);
    if (life.expired()) return;
    if (OnMenuClose) OnMenuClose(this);
    if (life.expired() || !AProcessEvents || FItemIndex == -1) return;
    if (TbsImagesMenuItem* item = GetSelectedItem(); item && item->OnClick) item->OnClick(this);
    if (life.expired()) return;
    if (OnItemClick) OnItemClick(this);
    if (life.expired() || FItemIndex == FOldItemIndex) return;
    InternalChange();
    if (life.expired()) return;
    if (OnChange) OnChange(this);
}
