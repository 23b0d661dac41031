#include "Src/Previewer.h"

#include <atomic>
#include <mutex>

#include "Src/FFUtils.h"
#include "platform/core/MainThread.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Window.h"

struct TPreviewState;

namespace {

// The window: paints the last frame it was given at (0, 0), straight from
// the frame's rows; the background is erased only where the frame does not
// cover the client.
class TPreviewForm : public TForm
{
public:
    TPreviewForm(std::weak_ptr<TPreviewState> AState) : TForm(nullptr), FState(std::move(AState)) {}
    ~TPreviewForm() override;
    void WndProc(TMessage& Message) override;
    void PaintPicture();

private:
    std::weak_ptr<TPreviewState> FState;
};

}  // namespace

struct TPreviewState : std::enable_shared_from_this<TPreviewState>
{
    // Shared with the conversion thread, guarded by M.
    std::mutex M;
    TBGRBitmap Picture;  // the one picture buffer (empty while lent)
    int Width = 0;       // the size of the last frame handed over
    int Height = 0;
    int FrameNumber = 0;
    std::int64_t PTS = 0;
    bool PaintQueued = false;
    bool Lent = false;      // a conversion is writing into the buffer
    bool Reading = false;   // the GUI thread is painting from it
    std::atomic<bool> Closed{false};
    std::atomic<bool> Freed{false};

    // GUI thread only.
    TPreviewForm* Form = nullptr;
    TApplication* HookedApp = nullptr;
    TMessageHookToken HookToken = 0;

    void DoPaint();
    void CreateForm(int AWidth, int AHeight);
    void FreeForm();
    void AppMessage(TMsg& Msg, bool& Handled);
};

TPreviewForm::~TPreviewForm()
{
    // the form can also go with the application (its forms are freed with it)
    if (auto s = FState.lock())
        if (s->Form == this)
            s->Form = nullptr;
}

void TPreviewState::DoPaint()
{
    int w = 0, h = 0;
    std::int64_t pts = 0;
    {
        std::lock_guard<std::mutex> g(M);
        PaintQueued = false;
        // a lent buffer comes back with a new frame and a new paint
        if (Freed || Closed || Lent)
            return;
        w = Width;
        h = Height;
        pts = PTS;
    }
    if (w <= 0 || h <= 0)
        return;
    if (!Form)
        CreateForm(w, h);
    if (!Form)
        return;
    Form->SetCaption(DurationToText(pts));
    // Eight conversions open eight windows in the same place: a picture
    // nobody can see is not painted (the window is painted whole, from the
    // latest picture, when it comes out from under the others).
    if (!IsWindowCovered(Form->Handle()))
        Form->Invalidate();
}

void TPreviewForm::WndProc(TMessage& Message)
{
    // The caption (the frame's, drawn by the screen) changes with every
    // picture; the picture is painted when a new one comes, not for it.
    if (Message.Msg == CM_TEXTCHANGED)
        return;
    if (Message.Msg == WM_ERASEBKGND) {
        // the picture covers the client: no erasing under it (nor while the
        // buffer is lent, when the last picture stays on the window)
        bool covered = false;
        if (auto s = FState.lock()) {
            std::lock_guard<std::mutex> g(s->M);
            covered = s->Width >= ClientWidth() && s->Height >= ClientHeight();
        }
        if (covered) {
            Message.Result = 1;
            return;
        }
    }
    TForm::WndProc(Message);
}

void TPreviewForm::PaintPicture()
{
    auto s = FState.lock();
    if (!s)
        return;
    {
        std::lock_guard<std::mutex> g(s->M);
        if (s->Lent || s->Picture.Width <= 0 || s->Picture.Height <= 0)
            return;
        s->Reading = true;
    }
    const TBGRBitmap& p = s->Picture;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = p.Width;
    bi.bmiHeader.biHeight = -p.Height;  // rows top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(Canvas()->GetHandle(), 0, 0, DWORD(p.Width), DWORD(p.Height), 0, 0, 0, UINT(p.Height),
                      p.Bits.data(), &bi, DIB_RGB_COLORS);
    std::lock_guard<std::mutex> g(s->M);
    s->Reading = false;
}

void TPreviewState::CreateForm(int AWidth, int AHeight)
{
    auto* f = new TPreviewForm(weak_from_this());
    f->SetFormStyle(fsStayOnTop);
    f->SetBorderStyle(bsToolWindow);
    f->SetBorderIcons(TBorderIcons{biSystemMenu});
    f->SetPosition(poScreenCenter);
    f->SetClientSize(AWidth, AHeight);
    std::weak_ptr<TPreviewState> weak = weak_from_this();
    f->OnCloseQuery = [weak](TObject*, bool& CanClose) {
        if (auto s = weak.lock())
            s->Closed = true;
        CanClose = true;
    };
    f->OnPaint = [f](TObject*) { f->PaintPicture(); };
    Form = f;
    if (Application) {
        HookedApp = Application;
        HookToken = Application->HookOnMessage([weak](TMsg& Msg, bool& Handled) {
            if (auto s = weak.lock())
                s->AppMessage(Msg, Handled);
        });
    }
    f->Show();
}

// A press anywhere in the picture drags the window, as a press on a caption would.
void TPreviewState::AppMessage(TMsg& Msg, bool& Handled)
{
    if (!Form || Msg.message != WM_LBUTTONDOWN || Msg.hwnd != Form->Handle())
        return;
    ReleaseCapture();
    SendMessage(Msg.hwnd, WM_NCLBUTTONDOWN, WPARAM(HTCAPTION), LPARAM(GetMessagePos()));
    Handled = true;
}

void TPreviewState::FreeForm()
{
    if (HookToken && HookedApp && HookedApp == Application)
        HookedApp->UnhookOnMessage(HookToken);
    HookToken = 0;
    HookedApp = nullptr;
    TPreviewForm* f = Form;
    Form = nullptr;
    delete f;
}

TPreviewer::TPreviewer() : S(std::make_shared<TPreviewState>()) {}

TPreviewer::~TPreviewer()
{
    S->Freed = true;
    if (IsMainThread()) {
        RemoveQueuedCalls(S.get());
        S->FreeForm();
        return;
    }
    std::shared_ptr<TPreviewState> s = S;
    RunOnMainThread([s] { s->FreeForm(); }, false);
}

bool TPreviewer::PaintFrame(const TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS)
{
    return Deliver([&](TBGRBitmap& picture) {
        picture.Width = ABitmap.Width;
        picture.Height = ABitmap.Height;
        picture.Bits.assign(ABitmap.Bits.begin(), ABitmap.Bits.end());
    }, AFrameNumber, APTS);
}

bool TPreviewer::Lend(TBGRBitmap& ABitmap)
{
    std::lock_guard<std::mutex> g(S->M);
    // lent before and not given back (the run turned to another hook): the
    // one conversion thread of this window still has it
    if (S->Lent)
        return true;
    if (S->Reading)
        return false;
    std::swap(S->Picture, ABitmap);
    S->Lent = true;
    return true;
}

bool TPreviewer::PaintFrameTaking(TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS)
{
    return Deliver([&](TBGRBitmap& picture) { std::swap(picture, ABitmap); }, AFrameNumber, APTS);
}

template <class Store> bool TPreviewer::Deliver(Store AStore, int AFrameNumber, std::int64_t APTS)
{
    if (S->Closed)
        return false;
    bool queue = false;
    {
        std::lock_guard<std::mutex> g(S->M);
        if (S->Lent) {
            // the lent buffer comes back with this frame
            S->Lent = false;
        } else if (S->Reading) {
            // the GUI thread is painting from the buffer: this frame is dropped
            return !S->Closed;
        }
        AStore(S->Picture);
        S->Width = S->Picture.Width;
        S->Height = S->Picture.Height;
        S->FrameNumber = AFrameNumber;
        S->PTS = APTS;
        if (!S->PaintQueued) {
            S->PaintQueued = true;
            queue = true;
        }
    }
    if (queue && IsMainThread()) {
        // a conversion run on the GUI thread itself paints at once
        S->DoPaint();
    } else if (queue) {
        std::shared_ptr<TPreviewState> s = S;
        RunOnMainThread([s] { s->DoPaint(); }, false, S.get());
    }
    return !S->Closed;
}

bool TPreviewer::Closed() const { return S->Closed; }

TForm* TPreviewer::Form() const { return S->Form; }
