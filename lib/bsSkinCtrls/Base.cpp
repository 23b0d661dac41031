// The look protocol of skinned controls: entry lookup, geometry, resize
// modes, off-screen painting, regions from masks and the skin-change walk.
#include "lib/bsSkinCtrls.h"

#include "lib/bsSkinCtrls/Common.h"

// ---- store access -------------------------------------------------------------

int bsSkinControlIndex(const TbsSkinData* sd, const std::string& name)
{
    if (!sd || sd->Empty) return -1;
    return sd->GetControlIndex(name);
}

const TbsDataSkinControl* bsSkinControlEntry(const TbsSkinData* sd, int index)
{
    if (!sd || sd->Empty || index < 0 || index >= static_cast<int>(sd->CtrlList.size())) return nullptr;
    return sd->CtrlList[static_cast<std::size_t>(index)].get();
}

TBitmap* bsSkinActiveBitmap(const TbsSkinData* sd, int index)
{
    if (!sd) return nullptr;
    const TbsSkinPicture* p = sd->ActivePicture(index);
    if (!p || p->Empty()) return nullptr;
    return p->Bitmap();
}

namespace bsctrls
{
std::unique_ptr<TBitmap> CopyPart(TBitmap* pic, const TRect& r)
{
    if (!pic || pic->Empty() || IsEmptyRect(r)) return nullptr;
    auto b = std::make_unique<TBitmap>(RectWidth(r), RectHeight(r), pf32bit);
    b->Canvas()->CopyRect(TRect(0, 0, RectWidth(r), RectHeight(r)), pic->Canvas(), r);
    return b;
}

void DrawTiles(TCanvas* C, TBitmap* tile, const TRect& area, const TRect& fullRect, bool stretch,
               TbsStretchType st)
{
    if (!tile || tile->Empty() || IsEmptyRect(area)) return;
    const int w = tile->GetWidth(), h = tile->GetHeight();
    const int aw = RectWidth(area), ah = RectHeight(area);
    if (!stretch)
    {
        for (int i = 0; i <= aw / w; ++i)
            for (int j = 0; j <= ah / h; ++j) C->Draw(area.Left + i * w, area.Top + j * h, tile);
        return;
    }
    switch (st)
    {
    case bsstFull: C->StretchDraw(fullRect, tile); break;
    case bsstHorz:
        for (int i = 0; i <= aw / w; ++i)
            C->StretchDraw(TRect(area.Left + i * w, area.Top, area.Left + (i + 1) * w, area.Bottom), tile);
        break;
    case bsstVert:
        for (int j = 0; j <= ah / h; ++j)
            C->StretchDraw(TRect(area.Left, area.Top + j * h, area.Right, area.Top + (j + 1) * h), tile);
        break;
    }
}

void AdjustTopInPanel(TControl* c, int& ATop, int AHeight)
{
    auto* p = dynamic_cast<TbsSkinPanel*>(c->Parent());
    if (!p || !p->AdjustsControls()) return;
    TRect r;
    p->GetSkinClientRect(r);
    ATop = r.Top + RectHeight(r) / 2 - AHeight / 2;
}

std::unique_ptr<TFont> MakeDefaultFont()
{
    auto f = std::make_unique<TFont>();
    f->SetName("Arial");
    f->SetStyle(TFontStyles{});
    f->SetHeight(14);
    return f;
}

TFontStyles ToFontStyles(TbsFontStyles s)
{
    TFontStyles r;
    if (s.Has(TbsFontStyles::Bold)) r.Include(fsBold);
    if (s.Has(TbsFontStyles::Italic)) r.Include(fsItalic);
    if (s.Has(TbsFontStyles::Underline)) r.Include(fsUnderline);
    if (s.Has(TbsFontStyles::StrikeOut)) r.Include(fsStrikeOut);
    return r;
}

void SetSkinFont(TFont* f, const std::string& name, TbsFontStyles style, int height)
{
    f->SetName(name);
    f->SetStyle(ToFontStyles(style));
    f->SetHeight(height);
}

void SetStringTableCharset(TFont* f, const TbsSkinData* sd, const TFont* fallback)
{
    if (sd && sd->ResourceStrData()) f->SetCharset(sd->ResourceStrData()->CharSet());
    else if (fallback) f->SetCharset(fallback->GetCharset());
}

int ComposeButtonLook(const TbsSkinData* sd, const std::string& name, bool hot, bool pressed, TBitmap* B, int W,
                      int H)
{
    const auto* d = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(sd, bsSkinControlIndex(sd, name)));
    TBitmap* src = d ? bsSkinActiveBitmap(sd, d->PictureIndex) : nullptr;
    if (!d || !src) return -1;
    const TRect active = IsEmptyRect(d->ActiveSkinRect) ? d->SkinRect : d->ActiveSkinRect;
    const TRect down = IsEmptyRect(d->DownSkinRect) ? active : d->DownSkinRect;
    const TRect state = pressed ? down : hot ? active : d->SkinRect;
    const int dx = W - RectWidth(d->SkinRect), dy = H - RectHeight(d->SkinRect);
    CreateSkinImage(d->LTPoint, d->RTPoint, d->LBPoint, d->RBPoint, d->ClRect, d->LTPoint,
                    TPoint(d->RTPoint.X + dx, d->RTPoint.Y), TPoint(d->LBPoint.X, d->LBPoint.Y + dy),
                    TPoint(d->RBPoint.X + dx, d->RBPoint.Y + dy),
                    TRect(d->ClRect.Left, d->ClRect.Top, d->ClRect.Right + dx, d->ClRect.Bottom + dy), B, src, state, W,
                    H, true, d->LeftStretch, d->TopStretch, d->RightStretch, d->BottomStretch, d->StretchEffect,
                    d->StretchType);
    return pressed ? d->DownFontColor : hot ? d->ActiveFontColor : d->FontColor;
}
} // namespace bsctrls

using namespace bsctrls;

// ---- skin-change walk -------------------------------------------------------------

namespace
{
bool FromSender(const TbsSkinData* own, const TbsSkinData* sender) { return !sender || own == sender; }

template <class F>
void WalkControls(TWinControl* root, F&& f)
{
    if (!root) return;
    const int n = root->ControlCount();
    std::vector<TControl*> children;
    children.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) children.push_back(root->Controls(i));
    for (TControl* c : children)
    {
        f(c);
        if (c->IsWindowed()) WalkControls(static_cast<TWinControl*>(c), f);
    }
}
} // namespace

void bsBeforeChangeSkinDataWalk(TWinControl* root, const TbsSkinData* sender)
{
    WalkControls(root, [sender](TControl* c) {
        if (auto* s = dynamic_cast<TbsSkinControl*>(c); s && FromSender(s->SkinData(), sender))
            s->BeforeChangeSkinData();
    });
}

void bsChangeSkinDataWalk(TWinControl* root, const TbsSkinData* sender)
{
    WalkControls(root, [sender](TControl* c) {
        if (auto* s = dynamic_cast<TbsSkinControl*>(c)) {
            if (FromSender(s->SkinData(), sender)) s->ChangeSkinData();
        } else if (auto* g = dynamic_cast<TbsGraphicSkinControl*>(c)) {
            if (FromSender(g->SkinData(), sender)) g->ChangeSkinData();
        } else if (auto* t = dynamic_cast<TbsSkinTextLabel*>(c)) {
            if (FromSender(t->SkinData(), sender)) t->ChangeSkinData();
        } else if (auto* l = dynamic_cast<TbsSkinStdLabel*>(c)) {
            if (FromSender(l->SkinData(), sender)) l->ChangeSkinData();
        } else if (auto* b = dynamic_cast<TbsSkinBevel*>(c)) {
            if (FromSender(b->SkinData(), sender)) b->ChangeSkinData();
        } else if (auto* sp = dynamic_cast<TbsSkinSplitter*>(c)) {
            if (FromSender(sp->SkinData(), sender)) sp->ChangeSkinData();
        } else if (auto* t2 = dynamic_cast<TbsSkinChangeTarget*>(c)) {
            if (FromSender(t2->SkinStore(), sender)) t2->ChangeSkinData();
        }
    });
}

bool bsHandleSkinChangeMessage(TWinControl* root, const TMessage& m)
{
    const auto* sender = reinterpret_cast<const TbsSkinData*>(m.WParam);
    switch (m.Msg)
    {
    case BSM_SKINDATA_BEFORECHANGE: bsBeforeChangeSkinDataWalk(root, sender); return true;
    case BSM_SKINDATA_CHANGE: bsChangeSkinDataWalk(root, sender); return true;
    case BSM_SKINDATA_AFTERCHANGE: return true;
    default: return false;
    }
}

// ---- geometry ------------------------------------------------------------------------

void TbsSkinGeometry::TakeGeometry(const TbsDataSkinCustomControl& d, const TbsSkinData* sd)
{
    LTPt = d.LTPoint;
    RTPt = d.RTPoint;
    LBPt = d.LBPoint;
    RBPt = d.RBPoint;
    SkinRect = d.SkinRect;
    StretchEffect = d.StretchEffect;
    StretchType = d.StretchType;
    LeftStretch = d.LeftStretch;
    TopStretch = d.TopStretch;
    RightStretch = d.RightStretch;
    BottomStretch = d.BottomStretch;
    ClRect = d.ClRect;
    Picture = bsSkinActiveBitmap(sd, d.PictureIndex);
    if (IsEmptyRect(SkinRect)) ResizeMode = -1;
    else if (RBPt.X != 0 && RBPt.Y != 0) ResizeMode = 1;
    else if (RTPt.X != 0 || RTPt.Y != 0) ResizeMode = 2;
    else if (LBPt.X != 0 || LBPt.Y != 0) ResizeMode = 3;
    else ResizeMode = 0;
}

void TbsSkinGeometry::CalcLookSize(int& AWidth, int& AHeight)
{
    const int dx = AWidth - RectWidth(SkinRect), dy = AHeight - RectHeight(SkinRect);
    switch (ResizeMode)
    {
    case 0:
        AWidth = RectWidth(SkinRect);
        AHeight = RectHeight(SkinRect);
        NewClRect = ClRect;
        break;
    case 1:
        NewLTPoint = LTPt;
        NewRTPoint = TPoint(RTPt.X + dx, RTPt.Y);
        NewLBPoint = TPoint(LBPt.X, LBPt.Y + dy);
        NewRBPoint = TPoint(RBPt.X + dx, RBPt.Y + dy);
        NewClRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right + dx, ClRect.Bottom + dy);
        break;
    case 2:
        AHeight = RectHeight(SkinRect);
        NewLTPoint = LTPt;
        NewRTPoint = TPoint(RTPt.X + dx, RTPt.Y);
        NewClRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right + dx, ClRect.Bottom);
        break;
    case 3:
        AWidth = RectWidth(SkinRect);
        NewLTPoint = LTPt;
        NewLBPoint = TPoint(LBPt.X, LBPt.Y + dy);
        NewClRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right, ClRect.Bottom + dy);
        break;
    default: break;
    }
}

void TbsSkinGeometry::ComposeLook(TBitmap* B, TBitmap* APicture, const TRect& ARect, int W, int H,
                                  bool drawResizable)
{
    switch (ResizeMode)
    {
    case 0:
        B->SetSize(std::max(RectWidth(ARect), 0), std::max(RectHeight(ARect), 0));
        if (APicture && !B->Empty())
            B->Canvas()->CopyRect(TRect(0, 0, B->GetWidth(), B->GetHeight()), APicture->Canvas(), ARect);
        break;
    case 1:
        if (drawResizable)
            CreateSkinImage(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                            NewClRect, B, APicture, ARect, W, H, true, LeftStretch, TopStretch, RightStretch,
                            BottomStretch, StretchEffect, StretchType);
        break;
    case 2:
        CreateHSkinImage(LTPt.X, RectWidth(SkinRect) - RTPt.X, B, APicture, ARect, W, H, StretchEffect);
        break;
    case 3:
        CreateVSkinImage(LTPt.Y, RectHeight(SkinRect) - LBPt.Y, B, APicture, ARect, W, H, StretchEffect);
        break;
    default: break;
    }
}

void TbsSkinGeometry::ResizedRect(const TRect& ARect, TRect& AResult, int W, int H) const
{
    const int sw = RectWidth(SkinRect), sh = RectHeight(SkinRect);
    const int dx = W - sw, dy = H - sh;
    AResult = ARect;
    auto move = [&](int mx, int my) { OffsetRect(AResult, mx, my); };
    switch (ResizeMode)
    {
    case 1:
    {
        const TRect lt(0, 0, LTPt.X, LTPt.Y), lb(0, LBPt.Y, LBPt.X, sh), rt(RTPt.X, 0, sw, RTPt.Y),
            rb(RBPt.X, RBPt.Y, sw, sh);
        if (RectInRect(ARect, lt)) return;
        if (RectInRect(ARect, rt)) return move(dx, 0);
        if (RectInRect(ARect, lb)) return move(0, dy);
        if (RectInRect(ARect, rb)) return move(dx, dy);
        const TPoint tl(ARect.Left, ARect.Top), br(ARect.Right, ARect.Bottom);
        auto in = [](const TRect& r, const TPoint& p) { return PtInRectInclusive(r, p); };
        if (in(lt, tl) && in(rb, br))
        {
            AResult.Right += dx;
            AResult.Bottom += dy;
        }
        else if (in(lt, tl) && in(rt, br))
            AResult.Right += dx;
        else if (in(lb, tl) && in(rb, br))
        {
            AResult.Right += dx;
            move(0, dy);
        }
        else if (in(lt, tl) && in(lb, br))
            AResult.Bottom += dy;
        else if (in(rt, tl) && in(rb, br))
        {
            move(dx, 0);
            AResult.Bottom += dy;
        }
        break;
    }
    case 2:
        if (ARect.Left <= LTPt.X && ARect.Right >= RTPt.X) AResult.Right += dx;
        else if (ARect.Left >= RTPt.X && ARect.Right > RTPt.X) move(dx, 0);
        break;
    case 3:
        if (ARect.Top <= LTPt.Y && ARect.Bottom >= LBPt.Y) AResult.Bottom += dy;
        else if (ARect.Top >= LBPt.Y && ARect.Bottom > LBPt.Y) move(0, dy);
        break;
    default: break;
    }
}

// ---- TbsSkinControl -------------------------------------------------------------------

void TbsSkinControl::SetSkinData(TbsSkinData* Value)
{
    LinkStore(Value);
    if (FSD && !FSD->Empty) ChangeSkinData();
}

void TbsSkinControl::SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }

void TbsSkinControl::GetSkinData() { FIndex = bsSkinControlIndex(FSD, FSkinDataName); }

void TbsSkinControl::ChangeSkinData()
{
    GetSkinData();
    Invalidate();
}

void TbsSkinControl::BeforeChangeSkinData() { DropSkinReferences(); }

namespace
{
// The off-screen image of a control: default look without an entry, else
// the skin look, drawn in one step. Where the entry has no picture to draw,
// what lies under the control shows. A skin look that cannot be drawn (a
// piece of an impossible size) gives the default look, never an error out
// of every paint.
template <class Control, class Def, class Skin>
void PaintOffscreen(Control* c, TCanvas* canvas, bool entry, Def def, Skin skin)
{
    if (c->Width() <= 0 || c->Height() <= 0) return;
    if (entry)
    {
        try
        {
            TBitmap B(c->Width(), c->Height(), pf32bit);
            if (!c->HasSkinPicture()) DrawParentImage(c, B.Canvas());
            skin(&B);
            canvas->Draw(0, 0, &B);
            return;
        }
        catch (const EInvalidGraphicOperation&)
        {
        }
        catch (const EOutOfResources&)
        {
        }
    }
    TBitmap B(c->Width(), c->Height(), pf32bit);
    def(&B);
    canvas->Draw(0, 0, &B);
}
} // namespace

void TbsSkinControl::Paint()
{
    if (width_ <= 0 || height_ <= 0) return;
    GetSkinData();
    PaintOffscreen(this, Canvas(), FIndex != -1, [this](TBitmap* B) { CreateControlDefaultImage(B); },
                   [this](TBitmap* B) { CreateControlSkinImage(B); });
}

void TbsSkinControl::Dispatch(TMessage& m)
{
    if (m.Msg == BSM_CHECKPARENTBACKGROUND)
    {
        CheckParentBackground();
        return;
    }
    TbsSkinHintLink::Dispatch(m);
}

void TbsSkinControl::WMPaint(TMessage& m)
{
    struct Flag
    {
        bool& f;
        explicit Flag(bool& v) : f(v) { f = true; }
        ~Flag() { f = false; }
    } flag(FromWMPaint);
    TbsSkinHintLink::WMPaint(m);
}

// ---- TbsGraphicSkinControl -------------------------------------------------------------

TbsGraphicSkinControl::TbsGraphicSkinControl(TComponent* AOwner) : TbsSkinHintLink(AOwner)
{
    ControlStyle.Include(csOpaque);
}

void TbsGraphicSkinControl::SetSkinData(TbsSkinData* Value)
{
    LinkStore(Value);
    if (FSD && !FSD->Empty) ChangeSkinData();
}

void TbsGraphicSkinControl::GetSkinData() { FIndex = bsSkinControlIndex(FSD, SkinDataName); }

void TbsGraphicSkinControl::ChangeSkinData()
{
    GetSkinData();
    Invalidate();
}

void TbsGraphicSkinControl::BeforeChangeSkinData() { DropSkinReferences(); }

void TbsGraphicSkinControl::Paint()
{
    if (width_ <= 0 || height_ <= 0) return;
    GetSkinData();
    PaintOffscreen(this, Canvas(), FIndex != -1, [this](TBitmap* B) { CreateControlDefaultImage(B); },
                   [this](TBitmap* B) { CreateControlSkinImage(B); });
}

// ---- TbsSkinCustomBase: shared by both custom controls -----------------------------------

template <class Base>
TbsSkinCustomBase<Base>::TbsSkinCustomBase(TComponent* AOwner) : Base(AOwner), FDefaultFont(MakeDefaultFont())
{
    FDefaultFont->OnChange = [this](TObject*) {
        DefaultFontChanged();
        if (this->FIndex == -1) this->Invalidate();
    };
}

template <class Base>
TbsSkinCustomBase<Base>::~TbsSkinCustomBase()
{
    FDefaultFont->OnChange = nullptr;
}

template <class Base>
void TbsSkinCustomBase<Base>::SetDefaultWidth(int Value)
{
    FDefaultWidth = Value;
    if (this->FIndex == -1 && Value > 0) this->SetWidth(Value);
}

template <class Base>
void TbsSkinCustomBase<Base>::SetDefaultHeight(int Value)
{
    FDefaultHeight = Value;
    if (this->FIndex == -1 && Value > 0) this->SetHeight(Value);
}

template <class Base>
void TbsSkinCustomBase<Base>::SetDefaultFont(TFont* Value)
{
    FDefaultFont->Assign(Value);
    DefaultFontChanged();
}

template <class Base>
void TbsSkinCustomBase<Base>::DropSkinReferences()
{
    Base::DropSkinReferences();
    Picture = nullptr;
}

template <class Base>
void TbsSkinCustomBase<Base>::GetSkinData()
{
    Base::GetSkinData();
    // Without an entry the geometry stays, but nothing of the store is kept.
    Picture = nullptr;
    if (this->FIndex == -1) return;
    const auto* d = dynamic_cast<const TbsDataSkinCustomControl*>(bsSkinControlEntry(this->FSD, this->FIndex));
    if (!d)
    {
        ResizeMode = 0;
        return;
    }
    TakeGeometry(*d, this->FSD);
}

template <class Base>
void TbsSkinCustomBase<Base>::CalcSize(int& AWidth, int& AHeight)
{
    if (this->FIndex == -1 || ResizeMode == -1) return;
    CalcLookSize(AWidth, AHeight);
}

template <class Base>
bool TbsSkinCustomBase<Base>::PrepareBounds(int& ATop, int& AWidth, int& AHeight)
{
    GetSkinData();
    const bool counts = (AWidth != this->Width() || AHeight != this->Height()) && this->FIndex != -1;
    if (counts)
    {
        CalcSize(AWidth, AHeight);
        if (ResizeMode == 0) NewClRect = ClRect;
    }
    AdjustTopInPanel(this, ATop, AHeight);
    return counts;
}

template <class Base>
bool TbsSkinCustomBase<Base>::ApplySkinSize()
{
    int w = this->Width(), h = this->Height();
    if (this->FIndex == -1)
    {
        if (FDefaultWidth > 0) w = FDefaultWidth;
        if (FDefaultHeight > 0) h = FDefaultHeight;
    }
    else
        CalcSize(w, h);
    if (w == this->Width() && h == this->Height()) return false;
    this->SetBounds(this->Left(), this->Top(), w, h);
    return true;
}

template <class Base>
void TbsSkinCustomBase<Base>::CreateControlDefaultImage(TBitmap* B)
{
    B->Canvas()->Brush()->SetStyle(bsSolid);
    B->Canvas()->Brush()->SetColor(clBtnFace);
    B->Canvas()->FillRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
}

template class TbsSkinCustomBase<TbsSkinControl>;
template class TbsSkinCustomBase<TbsGraphicSkinControl>;

// ---- TbsSkinCustomControl ------------------------------------------------------------

void TbsSkinCustomControl::DropSkinReferences()
{
    TbsSkinCustomBase::DropSkinReferences();
    MaskPicture = nullptr;
}

void TbsSkinCustomControl::GetSkinData()
{
    TbsSkinCustomBase::GetSkinData();
    const auto* d = dynamic_cast<const TbsDataSkinCustomControl*>(bsSkinControlEntry(FSD, FIndex));
    MaskPicture = d ? bsSkinActiveBitmap(FSD, d->MaskPictureIndex) : nullptr;
}

void TbsSkinCustomControl::CalcResizedRect(const TRect& ARect, TRect& AResult) const
{
    ResizedRect(ARect, AResult, width_, height_);
}

void TbsSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool counts = PrepareBounds(ATop, AWidth, AHeight);
    TbsSkinCustomBase::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (counts)
    {
        SetControlRegion();
        Invalidate();
    }
    if (FIndex != -1 && StretchEffect) CheckControlsBackground();
}

void TbsSkinCustomControl::ChangeSkinData()
{
    GetSkinData();
    // A new size sets the region and repaints through SetBounds.
    if (!ApplySkinSize() || FIndex == -1)
    {
        SetControlRegion();
        Invalidate();
    }
}

void TbsSkinCustomControl::SetControlRegion()
{
    if (!Parent()) return;
    if (!MaskPicture || FIndex == -1)
    {
        if (FRgn)
        {
            SetWindowRgn(GetHandle(), nullptr, TRUE);
            FRgn = nullptr;
        }
        return;
    }
    int w = width_, h = height_;
    CalcSize(w, h);
    HRGN rgn = nullptr;
    const int sw = RectWidth(SkinRect), sh = RectHeight(SkinRect);
    switch (ResizeMode)
    {
    case 0: CreateRgnFromMaskBitmap(rgn, MaskPicture); break;
    case 1:
        CreateSkinRegion(rgn, LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                         NewClRect, MaskPicture, width_, height_);
        break;
    case 2:
    {
        const TPoint P(width_ + RTPt.X - sw, RTPt.Y);
        CreateSkinRegion(rgn, LTPt, RTPt, LTPt, RTPt, ClRect, LTPt, P, LTPt, P, NewClRect, MaskPicture, width_,
                         height_);
        break;
    }
    case 3:
    {
        const TPoint P(LBPt.X, height_ + LBPt.Y - sh);
        CreateSkinRegion(rgn, LTPt, LTPt, LBPt, LBPt, ClRect, LTPt, LTPt, P, P, NewClRect, MaskPicture, width_,
                         height_);
        break;
    }
    default: return;
    }
    // The window owns the region from here on, and frees the one it had.
    SetWindowRgn(GetHandle(), rgn, TRUE);
    FRgn = rgn;
}

void TbsSkinCustomControl::CheckControlsBackground()
{
    for (int i = 0; i < ControlCount(); ++i)
    {
        TControl* c = Controls(i);
        if (c->IsWindowed() && static_cast<TWinControl*>(c)->HandleAllocated())
            SendMessage(static_cast<TWinControl*>(c)->GetHandle(), BSM_CHECKPARENTBACKGROUND, 0, 0);
        else
            c->Perform(BSM_CHECKPARENTBACKGROUND, 0, 0);
    }
}

void TbsSkinCustomControl::CreateControlSkinImage(TBitmap* B) { CreateSkinControlImage(B, Picture, SkinRect); }

void TbsSkinCustomControl::CreateSkinControlImage(TBitmap* B, TBitmap* APicture, const TRect& ARect)
{
    ComposeLook(B, APicture, ARect, width_, height_, !ForcebackGround);
}

void TbsSkinCustomControl::Paint()
{
    if (width_ < 1 || height_ < 1) return;
    GetSkinData();
    int w = width_, h = height_;
    CalcSize(w, h);
    if (FIndex == -1 || !ForcebackGround || ResizeMode != 1 || !Picture) TbsSkinCustomBase::Paint();
    else PaintBorderPieces();
}

void TbsSkinCustomControl::PaintBorderPieces()
{
    TBitmap L, T, R, Bt;
    CreateSkinBorderImages(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                           NewClRect, &L, &T, &R, &Bt, Picture, SkinRect, width_, height_, LeftStretch,
                           TopStretch, RightStretch, BottomStretch);
    CreateControlSkinImage(&T);
    TCanvas* C = Canvas();
    if (DrawbackGround && Picture && !IsEmptyRect(NewClRect))
    {
        TRect tileRect = ClRect;
        OffsetRect(tileRect, SkinRect.Left, SkinRect.Top);
        if (auto tile = CopyPart(Picture, tileRect))
        {
            HDC dc = C->GetHandle();
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
            DrawTiles(C, tile.get(), NewClRect, NewClRect, StretchEffect, StretchType);
            RestoreDC(dc, saved);
        }
    }
    if (!T.Empty()) C->Draw(0, 0, &T);
    if (!L.Empty()) C->Draw(0, T.GetHeight(), &L);
    if (!R.Empty()) C->Draw(width_ - R.GetWidth(), T.GetHeight(), &R);
    if (!Bt.Empty()) C->Draw(0, height_ - Bt.GetHeight(), &Bt);
}

// ---- TbsGraphicSkinCustomControl ---------------------------------------------------------

void TbsGraphicSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    PrepareBounds(ATop, AWidth, AHeight);
    TbsSkinCustomBase::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TbsGraphicSkinCustomControl::ChangeSkinData()
{
    GetSkinData();
    if (!ApplySkinSize()) Invalidate();
}

void TbsGraphicSkinCustomControl::CreateControlSkinImage(TBitmap* B)
{
    CreateSkinControlImage(B, Picture, SkinRect);
}

void TbsGraphicSkinCustomControl::CreateSkinControlImage(TBitmap* B, TBitmap* APicture, const TRect& ARect)
{
    ComposeLook(B, APicture, ARect, width_, height_, true);
}
