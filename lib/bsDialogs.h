// The skin chooser: TbsSelectSkinDialog shows a modal, skinned window with
// the names of the stored skins on the left and a small preview window on the
// right drawn in the highlighted skin (from a store of its own, so the
// application's skin stays as it is); OK and Cancel below. It only reports
// the choice: a list index (skin-list mode) or a stored-skin component of the
// owner's form (stored-skin mode).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinForm.h"

// The preview window: a form drawn as a child window inside the chooser.
class TbsSkinPreviewForm : public TForm
{
public:
    using TForm::TForm;

protected:
    void CreateParams(TCreateParams& Params) override;
};

class TbsSelectSkinDlgForm : public TForm
{
public:
    // Stored-skin mode: the TbsCompressedStoredSkin components of AForm.
    TbsSelectSkinDlgForm(TComponent* AOwner, TComponent* AForm, TbsCompressedStoredSkin* ADefaultSkin,
                         TbsSkinData* ACtrlSkinData);
    // Skin-list mode: the entries of ASkinList, ASkinIndex highlighted.
    TbsSelectSkinDlgForm(TComponent* AOwner, TbsCompressedSkinList* ASkinList, int ASkinIndex,
                         TbsSkinData* ACtrlSkinData);

    TbsCompressedSkinList* FCSkinList = nullptr;
    int FCSkinIndex = -1;
    TbsSkinForm* BSF = nullptr;
    TbsSkinButton* OpenButton = nullptr;
    TbsSkinButton* CancelButton = nullptr;
    TbsSkinPreviewForm* PreviewForm = nullptr;
    TbsSkinForm* PreviewBSF = nullptr;
    TbsSkinData* PreviewSkinData = nullptr;
    TbsSkinButton* PreviewButton = nullptr;
    TbsSkinListBox* SkinsListBox = nullptr;
    // Stored-skin mode: the stored skins in list order (not owned).
    std::vector<TbsCompressedStoredSkin*> SkinList;

    void SLBOnChange(TObject* Sender);
    void SLBOnDblClick(TObject* Sender);
    // The stored skin last loaded into the preview.
    TbsCompressedStoredSkin* SelectedSkin() const;

private:
    // The controls, steps common to both modes up to the list's filling.
    void Build(TbsSkinData* ACtrlSkinData);
    void ShowPreview();
};

class TbsSelectSkinDialog : public TComponent
{
public:
    explicit TbsSelectSkinDialog(TComponent* AOwner);
    ~TbsSelectSkinDialog() override;

    TbsCompressedSkinList* SkinList() const { return FSkinList; }
    void SetSkinList(TbsCompressedSkinList* Value);
    bool AlphaBlend = false;
    std::uint8_t AlphaBlendValue = 200;
    bool AlphaBlendAnimation = false;
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TbsSkinData* CtrlSkinData() const { return FCtrlFSD; }
    void SetCtrlSkinData(TbsSkinData* Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    std::string Title = "Select skin";

    // Skin-list mode; False at once without a SkinList.
    bool Execute(int SkinIndex);
    // Stored-skin mode over the owner's components.
    bool Execute(TbsCompressedStoredSkin* DefaultCompressedSkin);

    TbsCompressedStoredSkin* SelectedSkin() const { return FSelectedSkin; }
    int SelectedSkinIndex() const { return FSelectedSkinIndex; }
    // The chooser while Execute runs, else null.
    TbsSelectSkinDlgForm* Form() const { return FForm; }
    // Applies the component's frame, fonts, stores and size to a built chooser
    // (Execute does it; the gallery shows the result).
    void Prepare(TbsSelectSkinDlgForm* F);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool Run(std::unique_ptr<TbsSelectSkinDlgForm> F, bool listMode);
    void Watch(TComponent* old, TComponent* now);

    TbsCompressedSkinList* FSkinList = nullptr;
    TbsSkinData* FSD = nullptr;
    TbsSkinData* FCtrlFSD = nullptr;
    std::unique_ptr<TFont> FDefaultFont;
    TbsCompressedStoredSkin* FSelectedSkin = nullptr;
    int FSelectedSkinIndex = -1;
    TbsSelectSkinDlgForm* FForm = nullptr;
};
