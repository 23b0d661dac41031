// The filter combo box: its entries from the filter text, the selected mask,
// and the mask pushed into a linked file list box.
#include "lib/bsfilectrl.h"

#include "platform/core/Utf8.h"

TbsSkinFilterComboBox::TbsSkinFilterComboBox(TComponent* AOwner)
    : TbsSkinComboBox(AOwner), FFilterText("All files (*.*)|*.*")
{
}

TbsSkinFilterComboBox::~TbsSkinFilterComboBox() { SetFileList(nullptr); }

void TbsSkinFilterComboBox::CreateWnd()
{
    TbsSkinComboBox::CreateWnd();
    FillFilterList();
}

void TbsSkinFilterComboBox::FillFilterList()
{
    Items()->Clear();
    std::vector<std::string> descriptions;
    bsParseFilter(FFilterText, descriptions, FMaskList);
    for (const std::string& d : descriptions) Items()->Add(d);
    SetItemIndex(0);
}

void TbsSkinFilterComboBox::SetFilter(const std::string& Value)
{
    if (AnsiSameText(Value, FFilterText)) return;
    FFilterText = Value;
    if (HandleAllocated()) FillFilterList();
    Change();
}

void TbsSkinFilterComboBox::SetFileList(TbsSkinFileListBox* Value)
{
    if (FFileList == Value) return;
    if (FFileList)
    {
        FFileList->FFilterCombo = nullptr;
        FFileList->RemoveFreeNotification(this);
    }
    FFileList = Value;
    if (FFileList)
    {
        FFileList->FreeNotification(this);
        FFileList->FFilterCombo = this;
    }
}

std::string TbsSkinFilterComboBox::Mask()
{
    const int count = Items()->Count();
    if (ItemIndex() == -1 && count > 0) SetItemIndex(count - 1);
    const int i = ItemIndex();
    if (count == 0 || i < 0 || i >= int(FMaskList.size())) return "*.*";
    return FMaskList[std::size_t(i)];
}

void TbsSkinFilterComboBox::Click()
{
    TbsSkinComboBox::Click();
    Change();
}

void TbsSkinFilterComboBox::Change()
{
    if (FFileList) FFileList->SetMask(Mask());
    TbsSkinComboBox::Change();
}

void TbsSkinFilterComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFileList) FFileList = nullptr;
}
