// Skinned hints: the component that makes the application's hints skinned
// (its hint window class and OnShowHint handler) and shows hints that other
// parts of the skin library request directly, after the application's hint
// pause and for its hide pause, on the timers of the class library; and the
// hint window, drawn from the skin's hint picture or as a plain tooltip, with
// an optional bold title and image, a mask region and alpha.
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinData.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

class TbsSkinHint;

class TbsSkinHintWindow : public THintWindow
{
public:
    explicit TbsSkinHintWindow(TComponent* AOwner);
    ~TbsSkinHintWindow() override;

    // Only Rect's top-left is used: the window sizes itself.
    void ActivateHint(TRect Rect, const std::string& AHint) override;
    void ActivateHintEx(TRect Rect, const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                        TCustomImageList* AImageList);
    // Centred on ARect, below it or (ATop) above it.
    void ActivateHintFromRect(const TRect& ARect, const std::string& AHint, bool ATop);

    // The active skinned hint of the main form, or null.
    static TbsSkinHint* FindSkinHint();

    // What the last activation laid out (tests, gallery).
    bool ExtendedStyle() const { return AExtendedStyle; }
    bool Skinned() const { return FSD != nullptr; }
    // Fade-in steps taken since the window was made (tests).
    int FadeSteps() const { return FFadeSteps; }
    TRect NewClRect;
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& m) override;

private:
    // Prepares font, text, size and place; false when nothing is shown.
    bool Prepare(const std::string& AHint, bool extended, int& W, int& H);
    void ShowAt(int Left, int Top, int W, int H, bool clamp);
    void SetHintFont(TCanvas* C);
    TSize MeasureText(TCanvas* C, const std::string& text);
    void CalcHintSize(TCanvas* C, int& W, int& H);
    void CalcHintSizeEx(TCanvas* C, int& W, int& H);
    // The skin's hint picture's size (the skinned look only).
    TSize PictureSize() const;
    void FitCorners(int& W, int& H);
    void SetHintRegion(int W, int H);
    void ApplyAlpha();
    void FadeIn();
    void FadeTick();
    void PaintBackground(TCanvas* C);
    void PaintPlain(TCanvas* C);
    // The skinned hint's text colour, readable on what C shows behind it.
    TColor SkinTextColor(TCanvas* C) const;
    void PaintEx(TCanvas* C);

    TbsSkinHint* FspHint = nullptr;
    TbsSkinData* FSD = nullptr;
    HRGN FRgn = nullptr;
    bool FOldAlphaBlend = false;
    BYTE FOldAlphaBlendValue = 0;
    bool AExtendedStyle = false;
    std::string FTitle;
    int FImageIndex = 0;
    TCustomImageList* FImageList = nullptr;
    std::unique_ptr<TTimer> FFadeTimer;
    int FFadeAlpha = 0, FFadeTarget = 0, FFadeStep = 1, FFadeSteps = 0;
};

class TbsSkinHint : public TComponent
{
public:
    explicit TbsSkinHint(TComponent* AOwner);
    ~TbsSkinHint() override;

    // Requests: after Application->HintPause the hint is shown under the
    // cursor (ActivateHint3: against AFromRect), and hidden after
    // Application->HintHidePause.
    void ActivateHint2(const std::string& AHint);
    void ActivateHintEx2(const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                         TCustomImageList* AImageList);
    void ActivateHint3(const TRect& AFromRect, const std::string& AHint, bool ATop);
    // Shows the hint at the screen point P at once.
    void ActivateHint(TPoint P, const std::string& AHint);
    void ActivateHintEx(TPoint P, const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                        TCustomImageList* AImageList);
    // Stops a pending request; hides a shown hint.
    void HideHint();
    bool IsVisible() const;
    // How far below the cursor's hot spot a hint under the cursor starts.
    int GetCursorHeightMargin() const;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(const TFont* Value) { FDefaultFont->Assign(Value); }
    bool AlphaBlend = false;
    BYTE AlphaBlendValue = 0;
    bool AlphaBlendAnimation = false;
    bool UseSkinFont = true;
    std::string LineSeparator = "@";
    TShowHintEvent OnShowHint;

    // The title and image of the hint being shown (copied from the hinted
    // skinned control, or given to a request).
    const std::string& HintTitle() const { return FHintTitle; }
    int HintImageIndex() const { return FHintImageIndex; }
    TCustomImageList* HintImageList() const { return FHintImageList; }
    // The component's own hint window.
    TbsSkinHintWindow* Window() const { return HW; }
    // Whether a request is waiting or shown (its timer runs).
    bool RequestPending() const { return HintTimer && HintTimer->GetEnabled(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AppShowHint(std::string& HintStr, bool& CanShow, THintInfo& HintInfo);
    void InstallAppHandler();
    void SetHintImage(const std::string& title, int index, TCustomImageList* list);
    void ClearHintImage() { SetHintImage(std::string(), 0, nullptr); }
    void StartRequest(int mode);
    void HintTimerShow();
    void Watch(TComponent* old, TComponent* now);

    bool FActive = true;
    TbsSkinData* FSD = nullptr;
    TbsSkinHintWindow* HW = nullptr;
    std::unique_ptr<TFont> FDefaultFont;
    std::unique_ptr<TTimer> HintTimer;
    std::string HintText;
    TRect FromRect;
    bool Top = false;
    // 0 plain under the cursor, 1 title and image, 2 against FromRect.
    int FRequestMode = 0;
    std::string FHintTitle;
    int FHintImageIndex = 0;
    TCustomImageList* FHintImageList = nullptr;
    // Expires with the component: the application's handler checks it.
    std::shared_ptr<char> FLife = std::make_shared<char>();
};
