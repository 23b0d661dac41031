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
    // Handed over by the conversion thread, guarded by M.
    std::mutex M;
    TBGRBitmap Pending;
    int FrameNumber = 0;
    std::int64_t PTS = 0;
    bool PaintQueued = false;
    std::atomic<bool> Closed{false};
    std::atomic<bool> Freed{false};

    // GUI thread only.
    TBGRBitmap Painting;
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
    int frame = 0;
    std::int64_t pts = 0;
    {
        std::lock_guard<std::mutex> g(M);
        PaintQueued = false;
        if (Freed || Closed)
            return;
        std::swap(Painting, Pending);
        frame = FrameNumber;
        pts = PTS;
    }
    (void)frame;
    if (Painting.Width <= 0 || Painting.Height <= 0)
        return;
    if (!Form)
        CreateForm(Painting.Width, Painting.Height);
    if (!Form)
        return;
    Form->SetCaption(DurationToText(pts));
    Form->Invalidate();
}

void TPreviewForm::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_ERASEBKGND) {
        auto s = FState.lock();
        if (s && s->Painting.Width >= ClientWidth() && s->Painting.Height >= ClientHeight()) {
            Message.Result = 1;
            return;
        }
    }
    TForm::WndProc(Message);
}

void TPreviewForm::PaintPicture()
{
    auto s = FState.lock();
    if (!s || s->Painting.Width <= 0 || s->Painting.Height <= 0)
        return;
    const TBGRBitmap& p = s->Painting;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = p.Width;
    bi.bmiHeader.biHeight = -p.Height;  // rows top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(Canvas()->GetHandle(), 0, 0, DWORD(p.Width), DWORD(p.Height), 0, 0, 0, UINT(p.Height),
                      p.Bits.data(), &bi, DIB_RGB_COLORS);
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
    return Deliver([&](TBGRBitmap& pending) {
        pending.Width = ABitmap.Width;
        pending.Height = ABitmap.Height;
        pending.Bits.assign(ABitmap.Bits.begin(), ABitmap.Bits.end());
    }, AFrameNumber, APTS);
}

bool TPreviewer::PaintFrameTaking(TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS)
{
    return Deliver([&](TBGRBitmap& pending) { std::swap(pending, ABitmap); }, AFrameNumber, APTS);
}

template <class Store> bool TPreviewer::Deliver(Store AStore, int AFrameNumber, std::int64_t APTS)
{
    if (S->Closed)
        return false;
    bool queue = false;
    {
        std::lock_guard<std::mutex> g(S->M);
        AStore(S->Pending);
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
