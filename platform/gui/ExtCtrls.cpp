#include "platform/gui/ExtCtrls.h"

#include "platform/gui/Forms.h"
#include "platform/os/Window.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer()
{
    enabled_ = false;
    update();
}

void TTimer::SetEnabled(bool v)
{
    if (enabled_ == v) return;
    enabled_ = v;
    update();
}

void TTimer::SetInterval(unsigned v)
{
    if (interval_ == v) return;
    interval_ = v;
    update();
}

void TTimer::SetOnTimer(TNotifyEvent e)
{
    onTimer_ = std::move(e);
    update();
}

void TTimer::update()
{
    if (id_) KillTimer(nullptr, id_);
    id_ = 0;
    if (!enabled_ || interval_ == 0 || !onTimer_ || (ComponentState() & csDestroying)) return;
    id_ = SetTimer(nullptr, 0, interval_, [this](HWND, UINT, std::uintptr_t, DWORD) {
        try
        {
            Timer();
        }
        catch (...)
        {
            if (Application) Application->HandleException(this);
        }
    });
}

void TTimer::Timer()
{
    if (enabled_ && onTimer_)
    {
        TNotifyEvent e = onTimer_;
        e(this);
    }
}

// ---- bevel ----------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    ControlStyle.Include(csReplicatable);
    width_ = 50;
    height_ = 50;
}

void TBevel::SetShape(TBevelShape v)
{
    if (shape_ == v) return;
    shape_ = v;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle v)
{
    if (style_ == v) return;
    style_ = v;
    Invalidate();
}

void TBevel::Paint()
{
    TCanvas* c = Canvas();
    const TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = width_, h = height_;
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(col);
        c->Pen()->SetWidth(1);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (shape_)
    {
    case bsBox:
        line(first, 0, h - 1, 0, 0);
        line(first, 0, 0, w - 1, 0);
        line(second, w - 1, 0, w - 1, h - 1);
        line(second, w - 1, h - 1, 0, h - 1);
        break;
    case bsFrame:
        c->Brush()->SetStyle(bsClear);
        c->Pen()->SetColor(first);
        c->Rectangle(0, 0, w - 1, h - 1);
        c->Pen()->SetColor(second);
        c->Rectangle(1, 1, w, h);
        break;
    case bsTopLine:
        line(first, 0, 0, w, 0);
        line(second, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(first, 0, h - 2, w, h - 2);
        line(second, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(first, 0, 0, 0, h);
        line(second, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(first, w - 2, 0, w - 2, h);
        line(second, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ---- splitter ---------------------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner)
{
    align_ = alLeft;
    width_ = 3;
    height_ = 100;
    cursor_ = crHSplit;
    ControlStyle = TControlStyle{csCaptureMouse};
}

void TSplitter::RequestAlign()
{
    TGraphicControl::RequestAlign();
    if (cursor_ == crHSplit || cursor_ == crVSplit) cursor_ = (align_ == alTop || align_ == alBottom) ? crVSplit : crHSplit;
}

TControl* TSplitter::FindControl()
{
    if (!parent_) return nullptr;
    // The control on the same edge whose far side touches the bar.
    TPoint p;
    switch (align_)
    {
    case alLeft: p = TPoint(left_ - 1, top_); break;
    case alRight: p = TPoint(left_ + width_, top_); break;
    case alTop: p = TPoint(left_, top_ - 1); break;
    case alBottom: p = TPoint(left_, top_ + height_); break;
    default: return nullptr;
    }
    for (int i = 0; i < parent_->ControlCount(); ++i)
    {
        TControl* c = parent_->Controls(i);
        if (c == this || !c->GetVisible() || c->GetAlign() != align_) continue;
        const TRect r = c->BoundsRect();
        const bool horizontal = align_ == alLeft || align_ == alRight;
        if (horizontal ? (p.X >= r.Left && p.X < r.Right) : (p.Y >= r.Top && p.Y < r.Bottom)) return c;
    }
    return nullptr;
}

void TSplitter::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(color_);
    c->FillRect(GetClientRect());
    if (Beveled)
    {
        TRect r = GetClientRect();
        DrawEdge(c->GetHandle(), r, EDGE_RAISED, BF_RECT);
    }
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    control_ = FindControl();
    if (!control_) return;
    dragging_ = true;
    downPos_ = ClientToScreen(TPoint(X, Y));
    startSize_ = (align_ == alLeft || align_ == alRight) ? control_->Width() : control_->Height();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!dragging_ || !control_) return;
    const TPoint p = ClientToScreen(TPoint(X, Y));
    int delta = 0;
    switch (align_)
    {
    case alLeft: delta = p.X - downPos_.X; break;
    case alRight: delta = downPos_.X - p.X; break;
    case alTop: delta = p.Y - downPos_.Y; break;
    case alBottom: delta = downPos_.Y - p.Y; break;
    default: break;
    }
    int size = startSize_ + delta;
    // Room: the parent's client extent less the other edge controls and the bar.
    const TRect cr = parent_->GetClientRect();
    const bool horizontal = align_ == alLeft || align_ == alRight;
    int room = horizontal ? cr.Width() : cr.Height();
    for (int i = 0; i < parent_->ControlCount(); ++i)
    {
        TControl* c = parent_->Controls(i);
        if (c == control_ || !c->GetVisible()) continue;
        const TAlign a = c->GetAlign();
        if (horizontal && (a == alLeft || a == alRight)) room -= c->Width();
        if (!horizontal && (a == alTop || a == alBottom)) room -= c->Height();
    }
    size = std::min(size, std::max(MinSize, room - MinSize));
    if (size < MinSize) size = AutoSnap && size < MinSize / 2 ? 0 : MinSize;
    bool accept = true;
    if (OnCanResize) OnCanResize(this, size, accept);
    if (!accept) return;
    if (horizontal) control_->SetWidth(size);
    else control_->SetHeight(size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!dragging_) return;
    dragging_ = false;
    control_ = nullptr;
    if (OnMoved) OnMoved(this);
}

// ---- image ------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>())
{
    ControlStyle.Include(csReplicatable);
    width_ = 105;
    height_ = 105;
    picture_->OnChange = [this](TObject* s) { pictureChanged(s); };
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::pictureChanged(TObject*)
{
    if (autoSize_ && picture_->GetWidth() > 0 && picture_->GetHeight() > 0)
        SetBounds(left_, top_, picture_->GetWidth(), picture_->GetHeight());
    Invalidate();
}

void TImage::SetStretch(bool v) { if (stretch_ != v) { stretch_ = v; Invalidate(); } }
void TImage::SetCenter(bool v) { if (center_ != v) { center_ = v; Invalidate(); } }
void TImage::SetProportional(bool v) { if (proportional_ != v) { proportional_ = v; Invalidate(); } }

void TImage::SetTransparent(bool v)
{
    if (transparent_ == v) return;
    transparent_ = v;
    if (picture_->GetGraphic()) picture_->GetGraphic()->SetTransparent(v);
    Invalidate();
}

void TImage::SetAutoSize(bool v)
{
    autoSize_ = v;
    if (v) pictureChanged(this);
}

TRect TImage::DestRect()
{
    int w = picture_->GetWidth(), h = picture_->GetHeight();
    const int cw = width_, ch = height_;
    if (stretch_ || (proportional_ && (w > cw || h > ch)))
    {
        if (proportional_ && w > 0 && h > 0)
        {
            if (std::int64_t(cw) * h > std::int64_t(ch) * w)
            {
                w = int(std::int64_t(w) * ch / h);
                h = ch;
            }
            else
            {
                h = int(std::int64_t(h) * cw / w);
                w = cw;
            }
        }
        else
        {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (center_) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint()
{
    TGraphic* g = picture_->GetGraphic();
    if (!g || g->Empty()) return;
    if (transparent_ != g->GetTransparent()) g->SetTransparent(transparent_);
    Canvas()->StretchDraw(DestRect(), g);
}

// ---- panel ------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                 csDoubleClicks, csReplicatable};
    width_ = 185;
    height_ = 41;
    color_ = clBtnFace;
    parentColor_ = false;
    brush_->SetColor(color_);
}

void TCustomPanel::SetBevelOuter(TPanelBevel v) { if (bevelOuter_ != v) { bevelOuter_ = v; Realign(); Invalidate(); } }
void TCustomPanel::SetBevelInner(TPanelBevel v) { if (bevelInner_ != v) { bevelInner_ = v; Realign(); Invalidate(); } }
void TCustomPanel::SetBevelWidth(int v) { if (bevelWidth_ != v && v >= 1) { bevelWidth_ = v; Realign(); Invalidate(); } }
void TCustomPanel::SetBorderWidth(int v) { if (borderWidth_ != v && v >= 0) { borderWidth_ = v; Realign(); Invalidate(); } }
void TCustomPanel::SetAlignment(TAlignment v) { if (alignment_ != v) { alignment_ = v; Invalidate(); } }

void TCustomPanel::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    int b = borderWidth_;
    if (bevelOuter_ != bvNone) b += bevelWidth_;
    if (bevelInner_ != bvNone) b += bevelWidth_;
    InflateRect(Rect, -b, -b);
}

void TCustomPanel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = GetClientRect();
    c->Brush()->SetColor(color_);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    auto bevel = [&](TPanelBevel b) {
        if (b == bvNone) return;
        for (int i = 0; i < bevelWidth_; ++i)
        {
            if (b != bvSpace) DrawEdge(c->GetHandle(), r, b == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            InflateRect(r, -1, -1);
        }
    };
    bevel(bevelOuter_);
    InflateRect(r, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    std::string t = GetText();
    if (t.empty()) return;
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    TTextFormat f{tfVerticalCenter, tfSingleLine};
    f.Include(alignment_ == taCenter ? tfCenter : alignment_ == taRightJustify ? tfRight : tfLeft);
    c->TextRect(r, t, f);
}

void TCustomPanel::Dispatch(TMessage& m)
{
    if (m.Msg == CM_TEXTCHANGED) Invalidate();
    TCustomControl::Dispatch(m);
}
