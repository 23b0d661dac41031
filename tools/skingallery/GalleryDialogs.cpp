// Gallery entries of the skinned dialogs: a message box of each kind (the
// main window's notice, a warning question, an error with three buttons, a
// confirmation with the show-again check box, a custom box, a report longer
// than the work area that scrolls), built by the
// message component as a call would and painted with their frames; the skin
// chooser with the page's skin highlighted and previewed; the linked drive,
// folder, file and filter boxes over a small tree with odd names; the
// select-directory, open file and picture dialogs over such a tree (a picture
// and a file that is none).
#include "lib/bsDialogs.h"
#include "lib/bsMessages.h"
#include "lib/bsfilectrl.h"
#include "platform/backend/headless/Headless.h"
#include "platform/os/Window.h"
#include "platform/sys/Files.h"
#include "tools/skingallery/Gallery.h"

#include <unistd.h>

namespace gallery
{
void RenderFramedForm(TForm& f, TbsSkinForm& sf, TbsBitmap& out, TbsColor outside)
{
    TBitmap shot(f.Width(), f.Height(), pf32bit);
    HDC dc = shot.Canvas()->GetHandle();
    if (sf.SkinSupport()) sf.PaintNCSkin(dc);
    else sf.PaintNCDefault(dc);
    TRect wr;
    GetWindowRect(f.Handle(), &wr);
    const TPoint origin(f.ClientOrigin().X - wr.Left, f.ClientOrigin().Y - wr.Top);
    // The client picture stays inside the client area, off the frame.
    IntersectClipRect(dc, origin.X, origin.Y, origin.X + f.ClientWidth(), origin.Y + f.ClientHeight());
    f.PaintTo(dc, origin.X, origin.Y);
    out.Assign(&shot);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x)
        {
            const bool off = sf.Region() && !PtInRegion(sf.Region(), x, y);
            out.SetPixel(x, y, off ? outside : out.GetPixel(x, y) | 0xFF000000u);
        }
}

namespace
{
void PutFramedForm(GalleryPage& p, TForm& f, TbsSkinForm& sf, const TRect& cell)
{
    TbsBitmap out;
    RenderFramedForm(f, sf, out, p.Background());
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
    // A report longer than the screen's work area (here a low one) scrolls
    // in the box, scrolled to its end.
    if (backend::THeadlessBackend* screen = backend::CurrentHeadless())
    {
        const std::vector<backend::TMonitorDesc> saved = screen->GetMonitors();
        backend::TMonitorDesc low;
        low.Bounds = TRect(0, 0, 1280, 400);
        low.WorkArea = TRect(0, 0, 1280, 380);
        low.Primary = true;
        screen->SetMonitors({low});
        NotifyDisplayChange();
        msg.ShowAgainFlag = false;
        TbsMessageBoxRequest r;
        for (int i = 1; i <= 40; ++i) r.Msg += "第 " + std::to_string(i) + " 个任务：转换完成。\n";
        r.Caption = "提示";
        r.Buttons = {mbOK};
        auto f = msg.BuildMessageForm(r);
        f->SetLeft(0);
        f->SetTop(0);
        f->Show();
        if (f->MessageScrollBar) f->MessageScrollBar->SetPosition(f->MessageScrollBar->Max());
        ServeMessages();
        PutFramedForm(p, *f, *f->BSF, p.Place(f->Width(), f->Height(), "长文本滚动 long text"));
        f.reset();
        screen->SetMonitors(saved);
        NotifyDisplayChange();
    }
    ServeMessages();
}
void DrawSkinChooser(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("skinchooser", "选择皮肤：列表与预览 skin chooser");
    // The page's skin as a stored skin of a form, the chooser's stored-skin
    // mode; the entry before it is listed only.
    const std::string file = "/tmp/quorvel-gallery-" + std::to_string(::getpid()) + ".skn";
    p.Data().SaveToCompressedFile(file);
    TComponent owner(nullptr);
    auto* other = new TbsCompressedStoredSkin(&owner);
    other->SetName("Other");
    other->Description = "其他皮肤 another skin";
    auto* own = new TbsCompressedStoredSkin(&owner);
    own->SetName("Page");
    own->Description = p.Data().SkinName.empty() ? "当前皮肤" : p.Data().SkinName;
    own->LoadFromCompressFile(file);
    sys::DeleteFile(file);
    TbsSelectSkinDialog dlg(&owner);
    dlg.SetSkinData(&p.Data());
    dlg.SetCtrlSkinData(&p.Data());
    dlg.Title = "选择皮肤 Select skin";
    {
        TbsSelectSkinDlgForm f(Application, &owner, own, &p.Data());
        dlg.Prepare(&f);
        f.SetLeft(0);
        f.SetTop(0);
        f.Show();
        ServeMessages();
        // The preview is a framed window of its own inside the chooser.
        TbsBitmap out, preview;
        RenderFramedForm(f, *f.BSF, out, p.Background());
        const TPoint origin(f.ClientOrigin().X - f.Left(), f.ClientOrigin().Y - f.Top());
        RenderFramedForm(*f.PreviewForm, *f.PreviewBSF, preview, Opaque(f.BSF->SkinData()->FSkinColors.FcBtnFace));
        for (int y = 0; y < preview.Height(); ++y)
            for (int x = 0; x < preview.Width(); ++x)
                out.SetPixel(origin.X + f.PreviewForm->Left() + x, origin.Y + f.PreviewForm->Top() + y, preview.GetPixel(x, y));
        const TRect cell = p.Place(f.Width(), f.Height(), "皮肤外观");
        p.Put(out, cell.Left, cell.Top);
    }
    // The chooser is gone: serving the queue lets the window layer reclaim its windows.
    ServeMessages();
}

// The four file controls linked together, on a form of the skin's face.
std::unique_ptr<TForm> FileControlsForm(TbsSkinData* sd, const std::string& tree, int W, int H)
{
    auto f = std::make_unique<TForm>(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, W, H);
    f->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);
    auto* drives = new TbsSkinDriveComboBox(f.get());
    drives->SetBounds(10, 10, 200, 22);
    auto* folders = new TbsSkinDirectoryListBox(f.get());
    folders->SetBounds(10, 40, 200, 190);
    auto* files = new TbsSkinFileListBox(f.get());
    files->SetBounds(220, 10, 200, 190);
    files->SetFileType({bsftNormal, bsftDirectory});
    auto* filter = new TbsSkinFilterComboBox(f.get());
    filter->SetBounds(220, 208, 200, 22);
    filter->SetFilter("所有文件 (*.*)|*.*|Video (*.mts;*.avi)|*.mts;*.avi");
    for (TbsSkinControl* c : std::initializer_list<TbsSkinControl*>{drives, folders, files, filter})
    {
        c->SetParent(f.get());
        c->SetSkinData(sd);
    }
    f->Show();
    ServeMessages();
    drives->SetDirList(folders);
    folders->SetFileList(files);
    filter->SetFileList(files);
    folders->SetDirectory(tree + "/视频 Videos");
    folders->SetItemIndex(folders->Items()->Count() - 1);
    files->SetItemIndex(2);
    return f;
}

void DrawFileControls(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("filecontrols", "驱动器、文件夹、文件和过滤器框 drive, folder, file and filter boxes");
    const std::string tree = "/tmp/quorvel-gallery-" + std::to_string(::getpid());
    sys::ForceDirectories(tree + "/视频 Videos/2026-12 holiday");
    sys::ForceDirectories(tree + "/视频 Videos/back\\slash");
    sys::ForceDirectories(tree + "/视频 Videos/.cache");
    for (const char* name : {"12:30 clip.mts", "what?.avi", "notes.txt", ".hidden.mts"})
        sys::WriteFileAtomic(tree + "/视频 Videos/" + name, "x");
    const int W = 430, H = 240;
    PutForm(p, *FileControlsForm(&p.Data(), tree, W, H), p.Place(W, H, "皮肤外观"));
    PutForm(p, *FileControlsForm(nullptr, tree, W, H), p.Place(W, H, "默认外观"));
    ServeMessages();
    for (const char* name : {"12:30 clip.mts", "what?.avi", "notes.txt", ".hidden.mts"})
        sys::DeleteFile(tree + "/视频 Videos/" + name);
    for (const char* d : {"/视频 Videos/2026-12 holiday", "/视频 Videos/back\\slash", "/视频 Videos/.cache", "/视频 Videos", ""})
        sys::RemoveDir(tree + d);
}
// A small tree for the file dialogs: folders and files with odd names and a
// picture to preview; removed by the returned guard.
struct TDialogTree
{
    std::string root;
    TDialogTree()
    {
        root = "/tmp/quorvel-gallery-dlg-" + std::to_string(::getpid());
        sys::ForceDirectories(root + "/视频 Videos/2026-12 holiday");
        sys::ForceDirectories(root + "/视频 Videos/back\\slash");
        sys::ForceDirectories(root + "/快照 Snapshots");
        for (const char* name : {"12:30 clip.mts", "what?.avi", "notes.txt", "输出 output.mp4"})
            sys::WriteFileAtomic(root + "/视频 Videos/" + name, "x");
        TBitmap pic(96, 64, pf24bit);
        TCanvas* c = pic.Canvas();
        c->Brush()->SetColor(TColor(0x906030));
        c->FillRect(TRect(0, 0, 96, 64));
        c->Brush()->SetColor(TColor(0x30C0F0));
        c->Ellipse(20, 8, 76, 56);
        pic.SaveToFile(root + "/视频 Videos/frame.bmp");
    }
    ~TDialogTree()
    {
        for (const char* name : {"12:30 clip.mts", "what?.avi", "notes.txt", "输出 output.mp4", "frame.bmp"})
            sys::DeleteFile(root + "/视频 Videos/" + name);
        for (const char* d : {"/视频 Videos/2026-12 holiday", "/视频 Videos/back\\slash", "/视频 Videos", "/快照 Snapshots", ""})
            sys::RemoveDir(root + d);
    }
};

void DrawSelectDirectory(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("selectdirectory", "选择目录对话框 select-directory dialog");
    TDialogTree tree;
    for (bool toolBar : {false, true})
    {
        TbsSkinSelectDirectoryDialog dlg(nullptr);
        dlg.SetSkinData(&p.Data());
        dlg.SetCtrlSkinData(&p.Data());
        dlg.Title = "选择输出目录";
        dlg.ShowToolBar = toolBar;
        dlg.DialogWidth = 300;
        dlg.DialogHeight = 320;
        {
            // No starting folder for the build: it would open every folder on
            // the way from the desktop, /tmp's whole listing among them, only
            // for the tree to be rooted at the page's own folders below.
            std::unique_ptr<TbsSelDirDlgForm> f = dlg.BuildForm();
            // The tree of the page's own folders, the same on every machine.
            f->DirTreeView->SetRoot(tree.root);
            f->DirTreeView->SetPath(tree.root + "/视频 Videos");
            f->SetLeft(0);
            f->SetTop(0);
            f->Show();
            ServeMessages();
            PutFramedForm(p, *f, *f->BSF, p.Place(f->Width(), f->Height(), toolBar ? "带工具栏 tool bar" : "皮肤外观"));
        }
        ServeMessages();
    }
}

void DrawOpenDialogs(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("filedialogs", "打开文件与图片对话框 open file, open and save picture dialogs");
    TDialogTree tree;
    auto show = [&](TbsCustomOpenDialog& dlg, const char* label, TViewStyle style, const char* pick = nullptr) {
        dlg.SetSkinData(&p.Data());
        dlg.SetCtrlSkinData(&p.Data());
        dlg.InitialDir = tree.root + "/视频 Videos";
        dlg.ListViewStyle = style;
        std::unique_ptr<TbsOpenDlgForm> f = dlg.BuildForm();
        f->SetLeft(0);
        f->SetTop(0);
        f->Show();
        ServeMessages();
        if (f->FileListView->FolderCount() > 3) f->FileListView->SetItemIndex(3);
        for (int i = 0; pick && i < f->FileListView->FolderCount(); ++i)
            if (f->FileListView->FolderAt(i)->DisplayName() == pick) f->FileListView->SetItemIndex(i);
        ServeMessages();
        PutFramedForm(p, *f, *f->BSF, p.Place(f->Width(), f->Height(), label));
        f.reset();
        ServeMessages();
    };
    {
        TbsSkinOpenDialog dlg(nullptr);
        dlg.Title = "打开文件";
        dlg.Filter = "所有文件格式 (*.*)|*.*|MTS (*.mts)|*.mts";
        show(dlg, "打开文件 list", vsList);
    }
    {
        TbsSkinOpenDialog dlg(nullptr);
        dlg.Title = "打开文件";
        dlg.DialogWidth = 620;
        show(dlg, "details", vsReport);
    }
    {
        TbsSkinOpenPictureDialog dlg(nullptr);
        dlg.Filter = "Bitmaps (*.bmp)|*.bmp";
        dlg.SetFileName(tree.root + "/视频 Videos/frame.bmp");
        show(dlg, "open picture", vsList);
    }
    {
        // A file that is no picture: the pane says there is no preview.
        TbsSkinOpenPictureDialog dlg(nullptr);
        dlg.Filter = "所有文件 (*.*)|*.*";
        show(dlg, "无法预览 no preview", vsList, "notes.txt");
    }
    {
        TbsSkinSavePictureDialog dlg(nullptr);
        dlg.Filter = "BMP文件 (*.bmp)|*.bmp|JPEG文件 (*jpg)|*.jpg";
        dlg.FilterIndex = 2;
        show(dlg, "save file", vsSmallIcon);
    }
}
}  // namespace

void AddDialogEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"selectdirectory", DrawSelectDirectory});
    entries.push_back({"filedialogs", DrawOpenDialogs});
    entries.push_back({"filecontrols", DrawFileControls});
    entries.push_back({"messageboxes", DrawMessageBoxes});
    entries.push_back({"skinchooser", DrawSkinChooser});
}
}  // namespace gallery
