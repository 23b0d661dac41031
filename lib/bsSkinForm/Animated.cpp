// Caption objects that are not buttons: the user object (painted by the
// application) and the animated object (a strip of frames played freely or
// as a button with a command), and the form's 25 ms animation tick.
#include "lib/bsSkinForm/Internal.h"

void TbsUserObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    // The application paints the area; the rectangle is in the canvas's
    // coordinates.
    if (!Parent->OnPaintEvent) return;
    TRect r = ObjectRect;
    OffsetRect(r, -origin.X, -origin.Y);
    Parent->OnPaintEvent(IDName, Cnvs, r);
}

// ---------------------------------------------------------------------------
TbsSkinAnimateObject::TbsSkinAnimateObject(TbsSkinForm* AParent, const TbsDataSkinAnimate* AData)
    : TbsActiveSkinObject(AParent, AData)
{
    if (!AData) return;
    TimerInterval = std::max(25, AData->TimerInterval);
    CountFrames = AData->CountFrames;
    Cycle = AData->Cycle;
    ButtonStyle = AData->ButtonStyle;
    Command = AData->Command;
    DownSkinRect = AData->DownSkinRect;
    RestoreRect = AData->RestoreRect;
    RestoreActiveRect = AData->RestoreActiveRect;
    RestoreInActiveRect = AData->RestoreInActiveRect;
    RestoreDownRect = AData->RestoreDownRect;
    RestoreHint = AData->RestoreHint;
    FTempHint = AData->Hint;
}

bool TbsSkinAnimateObject::RestoreState() const
{
    const TWindowState ws = Parent->Form()->GetWindowState();
    return (Command == cmMaximize && ws == wsMaximized) || (Command == cmMinimize && ws == wsMinimized) ||
           (Command == cmRollUp && Parent->RollUpState());
}

void TbsSkinAnimateObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    const TbsSkinData* sd = Parent->SkinData();
    TBitmap* pic = ActivePicture();
    if (!sd || sd->Empty || !pic) return;
    TRect N = SkinRect, A = ActiveSkinRect, D = DownSkinRect, I = InActiveSkinRect;
    if (!IsEmptyRect(RestoreRect) && RestoreState())
        N = RestoreRect, A = RestoreActiveRect, D = RestoreDownRect, I = RestoreInActiveRect;
    const int w = RectWidth(N), h = RectHeight(N);
    auto frame = [&](int n) { return TRect(A.Left + (n - 1) * w, A.Top, A.Left + n * w, A.Top + h); };
    TRect src;
    if (FMenuTracking)
    {
        if (!IsEmptyRect(D)) src = D;
        else
        {
            FFrame = CountFrames;
            src = frame(FFrame);
        }
    }
    else if (!Parent->GetFormActive() && !IsEmptyRect(I))
        src = I;
    else if (FDown && FMouseIn && !IsEmptyRect(D))
        src = D;
    else
        src = frame(FFrame);
    if (w <= 0 || h <= 0 || IsEmptyRect(src)) return;
    TRect dst = ObjectRect;
    OffsetRect(dst, -origin.X, -origin.Y);
    skinform::CopyPicture(Cnvs, dst, pic, src);
}

void TbsSkinAnimateObject::SetFrame(int Value)
{
    if (Increment && Value > CountFrames) Value = 1;
    else if (!Increment && Value < 1) Value = CountFrames;
    FFrame = std::max(1, Value);
    Parent->DrawSkinObject(this);
}

void TbsSkinAnimateObject::ChangeFrame()
{
    if (FInc < TimerInterval)
    {
        FInc += 25;
        return;
    }
    if (Increment)
    {
        SetFrame(FFrame + 1);
        if (!Cycle && FFrame == CountFrames) Active = false;
    }
    else
    {
        SetFrame(FFrame - 1);
        if (FFrame == 1) Active = false;
    }
    FInc = 25;
}

void TbsSkinAnimateObject::Start()
{
    FInc = 25;
    FFrame = 1;
    Increment = true;
    Active = true;
    Parent->AnimateTimer->SetEnabled(true);
}

void TbsSkinAnimateObject::Stop()
{
    Increment = true;
    SetFrame(1);
    Active = false;
    FInc = 25;
}

void TbsSkinAnimateObject::PlayAsButton(bool forward)
{
    Active = true;
    Increment = forward;
    // A held object keeps its pressed picture.
    if (!FDown || IsEmptyRect(DownSkinRect)) Parent->AnimateTimer->SetEnabled(true);
    else Parent->DrawSkinObject(this);
}

void TbsSkinAnimateObject::MouseEnter()
{
    if (Command != cmDefault) Hint = !RestoreHint.empty() && RestoreState() ? RestoreHint : FTempHint;
    FMouseIn = true;
    if (FMenuTracking) return;
    if (ButtonStyle) PlayAsButton(true);
    if (Parent->OnMouseEnterEvent) Parent->OnMouseEnterEvent(IDName);
    ShowLayer();
}

void TbsSkinAnimateObject::MouseLeave()
{
    if (!FMouseIn) return;
    FMouseIn = false;
    if (FMenuTracking) return;
    // Plays back to the first frame.
    if (ButtonStyle) PlayAsButton(false);
    if (Parent->OnMouseLeaveEvent) Parent->OnMouseLeaveEvent(IDName);
    HideLayer();
}

void TbsSkinAnimateObject::MouseDown(int X, int Y, TMouseButton Button)
{
    TbsActiveSkinObject::MouseDown(X, Y, Button);
    if (Button == mbLeft && !IsEmptyRect(DownSkinRect))
    {
        FFrame = CountFrames;
        FDown = true;
        Parent->DrawSkinObject(this);
    }
    if (Command == cmSysMenu && FMouseIn && ButtonStyle && Button == mbLeft) DoCommand();
    // A linked menu opens on the press and holds the last frame until it closes.
    else if (ButtonStyle && Button == mbLeft && MenuItem && MenuItem->Count() > 0 && !FMenuTracking)
    {
        FMenuTracking = true;
        Parent->TrackObjectMenu(this, MenuItem, FPopupUp);
    }
}

void TbsSkinAnimateObject::MouseUp(int X, int Y, TMouseButton Button)
{
    TbsActiveSkinObject::MouseUp(X, Y, Button);
    if (FMenuTracking) return;
    if (Button == mbLeft && !IsEmptyRect(DownSkinRect))
    {
        FDown = false;
        Parent->DrawSkinObject(this);
        Parent->AnimateTimer->SetEnabled(true);
    }
    // Last: the command may close the form.
    if (Command != cmSysMenu && FMouseIn && ButtonStyle && Button == mbLeft) DoCommand();
}

void TbsSkinAnimateObject::DblClick()
{
    if (Command == cmSysMenu) Parent->Form()->Close();
}

void TbsSkinAnimateObject::DoCommand()
{
    switch (Command)
    {
    case cmClose:
    case cmMaximize:
    case cmMinimize:
    case cmMinimizeToTray: Parent->TestActive(-1, -1, false); break;
    default: break;
    }
    // The system menu opens under the object, which shows its pressed
    // picture (or last frame) until the menu closes.
    if (Command == cmSysMenu && !Parent->OnSystemMenu)
    {
        FMenuTracking = true;
        Parent->PopupSystemMenuFromObject(this);
        return;
    }
    if (Command != cmDefault) Parent->DoStdCommand(Command);
}

// ---------------------------------------------------------------------------
void TbsSkinForm::AnimateTimerProc()
{
    bool stepped = false;
    for (std::size_t i = 0; i < ObjectList.size(); ++i)
    {
        TbsActiveSkinObject* o = ObjectList[i].get();
        if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o))
        {
            if (a->Active && (!a->FDown || IsEmptyRect(a->DownSkinRect)))
            {
                a->ChangeFrame();
                stepped = true;
            }
            continue;
        }
        auto* c = dynamic_cast<TbsSkinCaptionObject*>(o);
        if (!c || !c->EnableAnimation()) continue;
        const bool pending = c->Active ? c->CurrentFrame <= c->FrameCount : c->CurrentFrame > 0;
        if (!pending) continue;
        stepped = true;
        if (c->FIncTime < c->AnimateInterval)
        {
            c->FIncTime += 25;
            continue;
        }
        c->CurrentFrame += c->Active ? 1 : -1;
        DrawSkinObject(c);
        c->FIncTime = 25;
    }
    if (!stepped) AnimateTimer->SetEnabled(false);
}

void TbsSkinForm::UserObjectDraw(const std::string& AIDName)
{
    const int i = GetIndex(AIDName);
    if (i != -1 && dynamic_cast<TbsUserObject*>(ObjectList[std::size_t(i)].get()))
        DrawSkinObject(ObjectList[std::size_t(i)].get());
}
