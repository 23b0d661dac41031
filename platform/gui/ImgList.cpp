#include "platform/gui/ImgList.h"

#include <algorithm>

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(int AWidth, int AHeight) : TComponent(nullptr)
{
    width_ = std::max(1, AWidth);
    height_ = std::max(1, AHeight);
}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::Change()
{
    if (updates_ > 0)
    {
        changed_ = true;
        return;
    }
    if (OnChange) OnChange(this);
}

void TCustomImageList::EndUpdate()
{
    if (updates_ > 0 && --updates_ == 0 && changed_)
    {
        changed_ = false;
        Change();
    }
}

void TCustomImageList::SetSize(int w, int h)
{
    w = std::max(1, w);
    h = std::max(1, h);
    if (w == width_ && h == height_) return;
    width_ = w;
    height_ = h;
    images_.clear();
    Change();
}
void TCustomImageList::SetWidth(int v) { SetSize(v, height_); }
void TCustomImageList::SetHeight(int v) { SetSize(width_, v); }

int TCustomImageList::addPieces(const TSurface& s)
{
    if (s.Empty()) return -1;
    const int first = Count();
    const int pieces = std::max(1, s.Width() / width_);
    for (int i = 0; i < pieces; ++i)
    {
        TSurface img(width_, height_);
        for (int y = 0; y < height_ && y < s.Height(); ++y)
            for (int x = 0; x < width_; ++x)
            {
                const int sx = i * width_ + x;
                if (sx < s.Width()) img.Row(y)[x] = s.Row(y)[sx];
            }
        images_.push_back(std::move(img));
    }
    Change();
    return first;
}

static TSurface opaqueCopy(TBitmap* b)
{
    TSurface s = b->ToSurface();
    if (b->GetPixelFormat() != pf32bit || b->AlphaFormat == afIgnored)
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x) s.Row(y)[x] |= 0xFF000000u;
    return s;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask)
{
    if (!Image || Image->Empty()) return -1;
    TSurface s = opaqueCopy(Image);
    if (Mask && !Mask->Empty())
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
            {
                const TPixel m = Mask->GetPixel32(x, y);
                // White mask pixels are transparent.
                if (PixelR(m) > 127 && PixelG(m) > 127 && PixelB(m) > 127) s.Row(y)[x] &= 0x00FFFFFFu;
            }
    return addPieces(s);
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    if (!Image || Image->Empty()) return -1;
    TSurface s = opaqueCopy(Image);
    const COLORREF key =
        MaskColor == clDefault ? PixelToColorRef(Image->GetPixel32(0, Image->GetHeight() - 1)) : ColorToRGB(MaskColor);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (PixelToColorRef(s.Row(y)[x]) == key) s.Row(y)[x] &= 0x00FFFFFFu;
    return addPieces(s);
}

int TCustomImageList::AddSurface(const TSurface& s) { return addPieces(s); }

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask)
{
    if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
    TCustomImageList tmp(width_, height_);
    if (tmp.Add(Image, Mask) < 0) return;
    images_[std::size_t(Index)] = tmp.images_[0].Clone();
    Change();
}

void TCustomImageList::Delete(int Index)
{
    if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
    images_.erase(images_.begin() + Index);
    Change();
}

void TCustomImageList::Clear()
{
    images_.clear();
    Change();
}

void TCustomImageList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex < 0 || CurIndex >= Count() || NewIndex < 0 || NewIndex >= Count())
        throw EInvalidOperation("Invalid image list index");
    TSurface s = std::move(images_[std::size_t(CurIndex)]);
    images_.erase(images_.begin() + CurIndex);
    images_.insert(images_.begin() + NewIndex, std::move(s));
    Change();
}

const TSurface* TCustomImageList::Image(int Index) const
{
    if (Index < 0 || Index >= Count()) return nullptr;
    return &images_[std::size_t(Index)];
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image)
{
    const TSurface* s = this->Image(Index);
    if (!s || !Image) return false;
    Image->FromSurface(*s, pf32bit);
    Image->AlphaFormat = afDefined;
    return true;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled)
{
    Draw(Canvas, X, Y, Index, DrawingStyle, ImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle, TImageType, bool Enabled)
{
    const TSurface* src = Image(Index);
    if (!src || !Canvas) return;
    TSurface s = src->Clone();
    if (!Enabled)
    {
        // Greyed: the brightness only, washed out towards white.
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
            {
                const TPixel p = s.Row(y)[x];
                const int lum = (PixelR(p) * 77 + PixelG(p) * 150 + PixelB(p) * 29) >> 8;
                const BYTE g = BYTE(128 + lum / 2);
                s.Row(y)[x] = MakePixel(g, g, g, PixelA(p));
            }
    }
    if (BkColor != clNone)
    {
        // An opaque background under the image.
        const TPixel bk = ColorRefToPixel(ColorToRGB(BkColor));
        TSurface under(s.Width(), s.Height());
        under.Fill(bk);
        BLENDFUNCTION bf;
        bf.AlphaFormat = AC_SRC_ALPHA;
        TSurface pm = s.Clone();
        pm.Premultiply();
        AlphaBlendSurface(under, 0, 0, pm, pm.Bounds(), bf);
        s = std::move(under);
    }
    s.Premultiply();
    TBitmap tmp;
    tmp.FromSurface(s, pf32bit);
    BLENDFUNCTION bf;
    bf.AlphaFormat = AC_SRC_ALPHA;
    AlphaBlend(Canvas->GetHandle(), X, Y, width_, height_, tmp.Canvas()->GetHandle(), 0, 0, width_, height_, bf);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int, bool Enabled)
{
    Draw(Canvas, X, Y, ImageIndex, Enabled);
}

void TCustomImageList::Assign(const TPersistent* Source)
{
    if (auto* l = dynamic_cast<const TCustomImageList*>(Source))
    {
        if (l == this) return;
        width_ = l->width_;
        height_ = l->height_;
        images_.clear();
        for (const TSurface& s : l->images_) images_.push_back(s.Clone());
        BkColor = l->BkColor;
        Masked = l->Masked;
        Change();
        return;
    }
    TComponent::Assign(Source);
}
