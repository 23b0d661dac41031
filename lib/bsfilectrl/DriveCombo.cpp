// The drive combo box: the drives with their pictures and labels, the
// selected drive, and the linked directory list box moved to it.
#include "lib/bsfilectrl.h"

#include "platform/core/Utf8.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"

namespace
{
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
}  // namespace

TbsSkinDriveComboBox::TbsSkinDriveComboBox(TComponent* AOwner)
    : TbsSkinComboBox(AOwner), FloppyBMP(bsDriveBitmap(DRIVE_REMOVABLE)), FixedBMP(bsDriveBitmap(DRIVE_FIXED)),
      NetworkBMP(bsDriveBitmap(DRIVE_REMOTE)), CDROMBMP(bsDriveBitmap(DRIVE_CDROM)), RAMBMP(bsDriveBitmap(DRIVE_RAMDISK))
{
    OnChange = [this](TObject* s) { DriveSelected(s); };
    auto draw = [this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) { DrawDriveItem(C, Index, R); };
    SetOnListBoxDrawItem(draw);
    OnComboBoxDrawItem = draw;
    FDrive = sys::DriveOfPath(sys::GetCurrentDir());
}

TbsSkinDriveComboBox::~TbsSkinDriveComboBox() { SetDirList(nullptr); }

void TbsSkinDriveComboBox::CreateWnd()
{
    TbsSkinComboBox::CreateWnd();
    FillDriveList();
    SetDrive(FDrive);
}

void TbsSkinDriveComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDirList) FDirList = nullptr;
}

TBitmap* TbsSkinDriveComboBox::BitmapOf(unsigned type) const
{
    switch (type)
    {
    case DRIVE_REMOVABLE: return FloppyBMP.get();
    case DRIVE_REMOTE: return NetworkBMP.get();
    case DRIVE_CDROM: return CDROMBMP.get();
    case DRIVE_RAMDISK: return RAMBMP.get();
    default: return FixedBMP.get();
    }
}

void TbsSkinDriveComboBox::FillDriveList()
{
    Items()->Clear();
    for (const TbsDriveItem& d : bsReadDriveItems(FTextCase)) Items()->AddObject(d.Text, BitmapOf(d.Type));
}

void TbsSkinDriveComboBox::SetDrive(char Value)
{
    if (ItemIndex() >= 0 && Lower(Value) == Lower(FDrive)) return;
    if (Value == 0)
    {
        FDrive = 0;
        SetItemIndex(-1);
    }
    else
    {
        FDrive = FTextCase == tcUpperCase ? char(Lower(Value) - 32) : Lower(Value);
        for (int i = 0; i < Items()->Count(); ++i)
        {
            const std::string& t = Items()->Strings(i);
            if (t.size() >= 2 && Lower(t[0]) == Lower(FDrive) && t[1] == ':')
            {
                SetItemIndex(i);
                break;
            }
        }
    }
    if (FDirList) FDirList->ChangeToDrive(FDrive);
    Change();
}

void TbsSkinDriveComboBox::SetTextCase(TTextCase Value)
{
    FTextCase = Value;
    const char drive = FDrive;
    FillDriveList();
    SetDrive(drive);
}

void TbsSkinDriveComboBox::SetDirList(TbsSkinDirectoryListBox* Value)
{
    if (FDirList == Value) return;
    if (FDirList)
    {
        FDirList->FDriveCombo = nullptr;
        FDirList->RemoveFreeNotification(this);
    }
    FDirList = Value;
    if (FDirList)
    {
        FDirList->FDriveCombo = this;
        FDirList->FreeNotification(this);
    }
}

void TbsSkinDriveComboBox::DriveSelected(TObject*)
{
    const int i = ItemIndex();
    if (i >= 0 && !Items()->Strings(i).empty()) SetDrive(Items()->Strings(i)[0]);
}

void TbsSkinDriveComboBox::DrawDriveItem(TCanvas* Cnvs, int Index, const TRect& R)
{
    if (Index < 0 || Index >= Items()->Count()) return;
    int w = 0;
    if (auto* b = dynamic_cast<TBitmap*>(Items()->Objects(Index)))
    {
        w = b->GetWidth();
        const int top = (R.Top + R.Bottom - b->GetHeight()) / 2;
        Cnvs->BrushCopy(TRect(R.Left, top, R.Left + w, top + b->GetHeight()), b, TRect(0, 0, w, b->GetHeight()),
                        b->Canvas()->GetPixel(0, b->GetHeight() - 1));
    }
    Cnvs->Brush()->SetStyle(bsClear);
    Cnvs->TextOut(R.Left + w + 6, R.Top + R.Height() / 2 - Cnvs->TextHeight("Wg") / 2, Items()->Strings(Index));
}
