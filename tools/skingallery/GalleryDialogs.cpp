// Gallery entries of the skinned dialogs: a message box of each kind (the
// main window's notice, a warning question, an error with three buttons, a
// confirmation with the show-again check box, a custom box), built by the
// message component as a call would and painted with their frames.
#include "lib/bsMessages.h"
#include "platform/backend/headless/Headless.h"
#include "tools/skingallery/Gallery.h"

namespace gallery
{
namespace
{
// The whole window of a form with its skinned frame; pixels outside the
// frame's region take the page colour.
void PutFramedForm(GalleryPage& p, TForm& f, TbsSkinForm& sf, const TRect& cell)
{
    TBitmap shot(f.Width(), f.Height(), pf32bit);
    HDC dc = shot.Canvas()->GetHandle();
    if (sf.SkinSupport()) sf.PaintNCSkin(dc);
    else sf.PaintNCDefault(dc);
    const TPoint origin(f.ClientOrigin().X - f.Left(), f.ClientOrigin().Y - f.Top());
    // The client picture stays inside the client area, off the frame.
    IntersectClipRect(dc, origin.X, origin.Y, origin.X + f.ClientWidth(), origin.Y + f.ClientHeight());
    f.PaintTo(dc, origin.X, origin.Y);
    TbsBitmap out;
    out.Assign(&shot);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x)
        {
            const bool outside = sf.Region() && !PtInRegion(sf.Region(), x, y);
            out.SetPixel(x, y, outside ? p.Background() : out.GetPixel(x, y) | 0xFF000000u);
        }
    p.Put(out, cell.Left, cell.Top);
}

void DrawMessageBoxes(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("messageboxes", "消息框：提示、警告、错误、确认（带复选框）、自定义 message boxes");
    TbsSkinMessage msg(nullptr);
    msg.SetSkinData(&p.Data());
    msg.SetCtrlSkinData(&p.Data());
    struct Box
    {
        const char* label;
        const char* text;
        const char* caption;   // null: by type
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        bool checkBox;
    } boxes[] = {
        {"提示 information", "所有文件已经转换完成。", "提示", mtInformation, {mbOK}, false},
        {"warning", "The output file already exists.\nDo you want to overwrite old file?", nullptr, mtWarning,
         {mbYes, mbNo}, false},
        {"error", "无法打开输入文件：\n/home/user/Videos/12:30 clip.mts", nullptr, mtError, {mbAbort, mbRetry, mbIgnore},
         false},
        {"confirm + check box", "Stop all conversions?", nullptr, mtConfirmation, {mbYes, mbNo, mbCancel}, true},
        {"custom, help", "Quorvel MTS 1.0", nullptr, mtCustom, {mbOK, mbHelp}, false},
    };
    Application->Title = "Quorvel MTS";
    for (const Box& b : boxes)
    {
        msg.ShowAgainFlag = b.checkBox;
        TbsMessageBoxRequest r;
        r.Msg = b.text;
        if (b.caption) r.Caption = b.caption;
        r.DlgType = b.type;
        r.Buttons = b.buttons;
        auto f = msg.BuildMessageForm(r);
        f->SetLeft(0);
        f->SetTop(0);
        f->Show();
        PutFramedForm(p, *f, *f->BSF, p.Place(f->Width(), f->Height(), b.label));
    }
    ServeClosedForms();
}
}  // namespace

void AddDialogEntries(std::vector<GalleryEntry>& entries) { entries.push_back({"messageboxes", DrawMessageBoxes}); }
}  // namespace gallery
