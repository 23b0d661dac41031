// The preview panel: the selected row's file plays paused into Panel6 through
// the player; play, pause, rewind, mute, the seek slider ("Down" while held,
// else "UP"), and the player's file-open, position and state events. And the
// snapshots: the picture on screen at the video's own size saved into the
// snapshot folder as <base>_<n>.<ext> (the first free n, never replacing a
// file), the snapshot menu (open or choose the folder, the picture type), and
// the off-screen capture through the save-picture dialog.
#include "app/OptionFile.h"
#include "app/Unit1.h"
#include "Src/AVProbe.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Streams.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"

#include <memory>

namespace {

const char* const kSnapshotSection = "SnapShot";
const char* const kStateNames[] = {"Play", "Pause", "Resume", "Step", "Stop", "End"};

struct TSnapshotType
{
    const char* key;        // the value of "Picture"
    const char* extension;
};
constexpr TSnapshotType kPictureTypes[] = {{"BMP", ".bmp"}, {"JPG", ".jpg"}, {"GIF", ".gif"}, {"PNG", ".png"}};

// The picture in that type's file format (BMP: 24 bits; the others with the
// image classes' default settings).
std::string Encode(const TBitmap& frame, const std::string& type)
{
    TMemoryStream out;
    TBitmap bmp;
    bmp.Assign(&frame);
    if (type == "BMP")
    {
        bmp.SetPixelFormat(pf24bit);
        bmp.SaveToStream(&out);
    }
    else
    {
        std::unique_ptr<TRasterImage> image;
        if (type == "JPG") image = std::make_unique<TJPEGImage>();
        else if (type == "GIF") image = std::make_unique<TGIFImage>();
        else image = std::make_unique<TPngImage>();
        image->Assign(&bmp);
        image->SaveToStream(&out);
    }
    return std::string(static_cast<const char*>(out.Memory()), std::size_t(out.Size()));
}

}  // namespace

void TForm1::WirePreview()
{
    DEDideve->OnFileOpen = [this](TObject*, std::int64_t duration, int w, int h, int& sw, int& sh) {
        PlayerFileOpen(duration, w, h, sw, sh);
    };
    DEDideve->OnPosition = [this](TObject*, std::int64_t pts) { PlayerPosition(pts); };
    DEDideve->OnState = [this](TObject*, TPlayState state) { PlayerState(state); };
    bsSkinSlider1->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { SeekSliderDown(); };
    bsSkinSlider1->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { SeekSliderUp(); };
    TrackBar2->OnChange = [this](TObject*) { DEDideve->SetAudioVolume(TrackBar2->Value()); };
    bsSkinButton23->OnMouseDown = [this](TObject*, TMouseButton button, TShiftState, int x, int y) {
        if (button != mbLeft) return;
        const TPoint at = bsSkinButton23->ClientToScreen(TPoint(x, y));
        bsSkinPopupMenu2->Popup(at.X, at.Y);
    };
    MenuItem1->OnClick = [this](TObject*) { OpenSnapshotFolder(); };
    MenuItem2->OnClick = [this](TObject*) { ChooseSnapshotFolder(); };
    for (const TSnapshotType& t : kPictureTypes)
    {
        const std::string key = t.key;
        SnapshotTypeItem(key)->OnClick = [this, key](TObject*) { SetSnapshotType(key); };
    }
    btnCapture->OnClick = [this](TObject*) { CaptureFrame(); };
}

// ---- playing ----

bool TForm1::OpenInPlayer()
{
    if (!DEDideve->Open(T_Movie_PLayer_FileName, Panel6->Handle(), chkOpenPaused->Checked()))
    {
        Log(DEDideve->LastErrMsg());
        return false;
    }
    return true;
}

void TForm1::OpenPreview()
{
    if (!DEDideve->AVLibLoaded() && !DEDideve->LoadAVLib(OptionFile().Places().ProgramFolder + "LibAV"))
    {
        Log(DEDideve->LastErrMsg());
        return;
    }
    const int screen = cboScreens->GetItemIndex();
    FScreenControl = screen >= 0 ? FindChildControlByName(cboScreens->Items()->Strings(screen)) : nullptr;
    if (FScreenControl) FScreenControl->HandleNeeded();
    const int video = cboVideoDriver->GetItemIndex(), audio = cboAudioDriver->GetItemIndex();
    DEDideve->SetVideoDriver(video == 1 ? vdDirectDraw : video == 2 ? vdGDI : vdDefault);
    DEDideve->SetAudioDriver(audio == 1 ? adDirectSound : audio == 2 ? adWaveOut : adDefault);
    OpenInPlayer();
}

void TForm1::PreviewPlay()
{
    DEDideve->Resume();
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::PreviewPause()
{
    DEDideve->Pause();
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::PreviewRewind()
{
    if (!lvFiles->GetSelected()) return;
    try
    {
        DEDideve->Stop(true);
        OpenInPlayer();
        if (lvFiles->CanFocus()) lvFiles->SetFocus();
    }
    catch (const std::exception& e)
    {
        Log(e.what());
        DEDideve->Stop(true);
    }
}

void TForm1::PreviewMute()
{
    DEDideve->SetMute(true);
    bsSkinButton20->SetVisible(true);
    bsSkinButton16->SetVisible(false);
}

void TForm1::PreviewUnmute()
{
    DEDideve->SetMute(false);
    bsSkinButton16->SetVisible(true);
    bsSkinButton20->SetVisible(false);
}

void TForm1::SeekSliderDown()
{
    bsSkinSlider1_down_UP = "Down";
    DEDideve->Pause();
}

void TForm1::SeekSliderUp()
{
    // Nothing to seek in: no file open, or one of unknown length.
    if (DEDideve->Playback() && FDuration > 0 && bsSkinSlider1->MaxValue() > 0)
    {
        DEDideve->Pause();
        DEDideve->Seek(FDuration * std::int64_t(bsSkinSlider1->Value()) / bsSkinSlider1->MaxValue(), TSeekFlags(0),
                       false);
        DEDideve->Resume();
    }
    bsSkinSlider1_down_UP = "UP";
}

void TForm1::PlayerFileOpen(std::int64_t duration, int frameWidth, int frameHeight, int& screenWidth,
                            int& screenHeight)
{
    TAVProbe* probe = DEDideve->AVProbe();
    Log(probe->FileInfoText());
    Log(Format("duration: %f, frame size: %dx%d", double(duration) / 1000000, frameWidth, frameHeight));
    screenWidth = FScreenControl ? FScreenControl->Width() : Screen->Width();
    screenHeight = FScreenControl ? FScreenControl->Height() : Screen->Height();
    FDuration = duration;
    Label2->SetCaption(Format("%f", double(duration) / 1000000));
    Label3->SetCaption("0.0");
    bsSkinSlider1->SetIncrement(5);
    bsSkinSlider1->SetMaxValue(bsSkinSlider1->Width());
    bsSkinSlider1->SetValue(0);
    if (FTrackChanging)
    {
        bsSkinSlider1->SetValue(0);
        FTrackChanging = false;
    }
    // One item per stream of each kind, the playing one selected.
    struct TKind
    {
        TComboBox* list;
        const char* format;
        bool (TAVProbe::*is)(int);
        int playing;
    };
    const TKind kinds[] = {
        {cboVideo, "Video#%d", &TAVProbe::IsVideoStream, DEDideve->GetVideoStreamIndex()},
        {cboAudio, "Audio#%d", &TAVProbe::IsAudioStream, DEDideve->GetAudioStreamIndex()},
        {cboSubtitle, "Subtitle#%d", &TAVProbe::IsSubtitleStream, DEDideve->GetSubtitleStreamIndex()},
    };
    for (const TKind& k : kinds)
    {
        TStrings* items = k.list->Items();
        items->Clear();
        for (int i = 0; i < probe->StreamCount(); ++i)
            if ((probe->*k.is)(i)) items->Add(Format(k.format, i));
        if (k.list == cboSubtitle && items->Count() > 0) items->Insert(0, "Subtitle#-1");
        k.list->SetItemIndex(items->IndexOf(Format(k.format, k.playing)));
    }
}

void TForm1::PlayerPosition(std::int64_t pts)
{
    if (bsSkinSlider1_down_UP != "UP") return;
    Label3->SetCaption(Format("%f", double(pts) / 1000000));
    if (pts >= 0 && FDuration > 0)
        bsSkinSlider1->SetValue(int(std::int64_t(bsSkinSlider1->MaxValue()) * pts / FDuration));
}

void TForm1::PlayerState(TPlayState state)
{
    if (state >= psPlay && state <= psEnd) Log(kStateNames[state]);
    switch (state)
    {
    case psPause:
    case psStep: SetFormStyle(fsNormal); break;
    case psStop:
        SetFormStyle(fsNormal);
        // The screen goes back to its own black.
        Panel6->Invalidate();
        Panel6->Update();
        break;
    case psEnd:
        // The file waits at its start.
        DEDideve->Seek(std::int64_t(0), SeekFlag(sfAny), false);
        DEDideve->Pause();
        break;
    case psPlay:
    case psResume:
        if (chkStayOnTop->Checked()) SetFormStyle(fsStayOnTop);
        break;
    }
}

// ---- snapshots ----

TMenuItem* TForm1::SnapshotTypeItem(const std::string& type) const
{
    return type == "JPG" ? JPG1 : type == "GIF" ? GIF1 : type == "PNG" ? PNG1 : BMP1;
}

bool TForm1::SnapshotFolder(std::string& folder)
{
    TOptionFile& file = OptionFile();
    folder = file.Read(kSnapshotSection, "Dir");
    if (!folder.empty()) return sys::ForceDirectories(folder);
    folder = file.DefaultSnapshotFolder();
    if (!sys::ForceDirectories(folder)) return false;
    file.Write(kSnapshotSection, "Dir", folder);
    return true;
}

std::string TForm1::SnapshotType()
{
    TOptionFile& file = OptionFile();
    std::string type = file.Read(kSnapshotSection, "Picture");
    bool known = false;
    for (const TSnapshotType& t : kPictureTypes) known = known || type == t.key;
    if (!known)
    {
        type = "BMP";
        file.Write(kSnapshotSection, "Picture", type);
    }
    SnapshotTypeItem(type)->SetChecked(true);
    return type;
}

std::string TForm1::Snapshot()
{
    TBitmap frame;
    frame.Assign(DEDideve->CurrentFrame());
    std::string folder;
    const bool made = SnapshotFolder(folder);
    const std::string type = SnapshotType();
    if (!made)
    {
        Inform("无法创建快照目录“" + folder + "”，没有保存快照。");
        return "";
    }
    if (frame.GetWidth() <= 0) return "";
    std::string extension;
    for (const TSnapshotType& t : kPictureTypes)
        if (type == t.key) extension = t.extension;
    const std::string base = sys::IncludeTrailingPathDelimiter(folder) +
                             sys::ChangeFileExt(sys::ExtractFileName(DEDideve->FileName()), "") + "_";
    try
    {
        const std::string data = Encode(frame, type);
        for (int n = 1;; ++n)
        {
            const std::string name = base + std::to_string(n) + extension;
            if (sys::FileExists(name) || sys::DirectoryExists(name)) continue;
            // Another program may take the name between the look and the write.
            if (sys::WriteNewFile(name, data)) return name;
        }
    }
    catch (const std::exception& e)
    {
        Inform("无法在快照目录“" + folder + "”中保存快照：" + e.what());
        return "";
    }
}

void TForm1::SnapshotMenu() { SnapshotType(); }

void TForm1::OpenSnapshotFolder()
{
    std::string folder;
    if (!SnapshotFolder(folder))
        Inform("无法创建快照目录“" + folder + "”。");
    else if (!sys::OpenWithSystem(folder))
        Inform("无法打开快照目录：没有找到桌面的打开程序（xdg-open）。");
}

void TForm1::ChooseSnapshotFolder()
{
    const std::string stored = OptionFile().Read(kSnapshotSection, "Dir");
    bsSkinSelectDirectoryDialog2->Directory = sys::DirectoryExists(stored) ? stored : "";
    // Only a confirmed choice of an existing folder is stored.
    if (!bsSkinSelectDirectoryDialog2->Execute()) return;
    const std::string folder = bsSkinSelectDirectoryDialog2->Directory;
    if (sys::DirectoryExists(folder)) OptionFile().Write(kSnapshotSection, "Dir", folder);
}

void TForm1::SetSnapshotType(const std::string& type)
{
    OptionFile().Write(kSnapshotSection, "Picture", type);
    SnapshotTypeItem(type)->SetChecked(true);
}

void TForm1::CaptureFrame()
{
    TBitmap frame;
    frame.Assign(DEDideve->CurrentFrame());
    if (frame.GetWidth() <= 0 || !SavePictureDialog1->Execute()) return;
    const std::string name = SavePictureDialog1->FileName;
    try
    {
        sys::WriteFileAtomic(name, Encode(frame, SameText(sys::ExtractFileExt(name), ".bmp") ? "BMP" : "JPG"));
    }
    catch (const std::exception& e)
    {
        Inform("无法保存图片“" + name + "”：" + e.what());
    }
}
