// Image lists: pictures of one size kept together and drawn by index,
// normally or greyed (for disabled items).
#pragma once
#include <vector>

#include "platform/gui/Classes.h"
#include "platform/gui/Graphics.h"

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent
{
public:
    explicit TCustomImageList(TComponent* AOwner);
    TCustomImageList(int AWidth, int AHeight);
    ~TCustomImageList() override;

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // A new size empties the list.
    void SetWidth(int v);
    void SetHeight(int v);
    void SetSize(int w, int h);
    int Count() const { return int(images_.size()); }
    TColor BkColor = clNone;
    bool Masked = true;
    TDrawingStyle DrawingStyle = dsNormal;
    TImageType ImageType = itImage;

    // Adds the picture (split into Width-wide pieces when wider); the mask's
    // black pixels are the visible ones (no mask: all visible, 32-bit
    // pictures keep their alpha). Returns the index of the first image added.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Pixels of MaskColor are transparent (clDefault: the bottom-left pixel's colour).
    int AddMasked(TBitmap* Image, TColor MaskColor);
    // Adds a 32-bit picture with its own alpha.
    int AddSurface(const TSurface& s);
    void Replace(int Index, TBitmap* Image, TBitmap* Mask);
    void Delete(int Index);
    void Clear();
    void Move(int CurIndex, int NewIndex);
    // Copies an image into a bitmap of the list's size (32 bits with alpha).
    bool GetBitmap(int Index, TBitmap* Image);
    const TSurface* Image(int Index) const;

    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
              bool Enabled = true);
    void DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay, bool Enabled = true);
    void Assign(const TPersistent* Source) override;
    void BeginUpdate() { ++updates_; }
    void EndUpdate();

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    int addPieces(const TSurface& s);
    int width_ = 16, height_ = 16;
    std::vector<TSurface> images_;
    int updates_ = 0;
    bool changed_ = false;
};

class TImageList : public TCustomImageList
{
public:
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
    TImageList(int AWidth, int AHeight) : TCustomImageList(AWidth, AHeight) {}
};
