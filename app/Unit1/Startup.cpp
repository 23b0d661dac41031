// The main window's create handler, its close request, the window-move
// messages the preview follows, the start-up notices and the log.
#include "app/OptionFile.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "platform/gui/Dialogs.h"

namespace {

// Posted once the window exists: the start-up notices are shown from the
// message loop, after every window of the start-up is made.
constexpr UINT WM_SHOWNOTICES = WM_USER + 520;

}  // namespace

void TForm1::FormCreate(TObject*)
{
    ResetJobSlots();
    ReadOutputFolder();
    BuildOpenDialogFilter();
    ReadSkinIndex();
    FillPresetBox();
    // The screens the preview can take its size from: Panel6 first, then the
    // window's own windowed children in tab order, up to the first gap.
    cboScreens->Items()->Clear();
    cboScreens->Items()->Add("Panel6");
    for (int t = 0;; ++t)
    {
        TWinControl* found = nullptr;
        for (int i = 0; i < ControlCount() && !found; ++i)
            if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->GetTabOrder() == t) found = w;
        if (!found) break;
        cboScreens->Items()->Add(found->Name());
    }
    cboScreens->SetItemIndex(0);
    SavePictureDialog1->Options =
        TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofExtensionDifferent, ofPathMustExist, ofEnableSizing};
    SavePictureDialog1->Filter = "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg";
    SavePictureDialog1->DefaultExt = "bmp";
    bsSkinSlider1_down_UP = "UP";
    PostMessage(Handle(), WM_SHOWNOTICES, 0, 0);
}

void TForm1::FormCloseQuery(TObject*, bool& CanClose)
{
    DEDideve->OnPosition = nullptr;
    DEDideve->OnState = nullptr;
    FFConv->OnCustomHook = nullptr;
    DetachBatch();
    FFLogger->SetOnLog(nullptr);
    DEDideve->Stop(true);
    CanClose = true;
}

void TForm1::Dispatch(TMessage& m)
{
    if (m.Msg == WM_SHOWNOTICES)
    {
        ShowPendingNotices();
        return;
    }
    TForm::Dispatch(m);
    // The player's picture follows its screen while the window moves.
    if ((m.Msg == WM_WINDOWPOSCHANGING || m.Msg == WM_WINDOWPOSCHANGED) && DEDideve) DEDideve->UpdateScreenPosition();
}

TWinControl* TForm1::FindChildControlByName(const std::string& name)
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->Name() == name) return w;
    return nullptr;
}

void TForm1::ShowPendingNotices()
{
    std::vector<std::string> lines = std::exchange(PendingNotices, {});
    for (std::string& n : OptionFile().TakeNotices()) lines.push_back(std::move(n));
    if (lines.empty()) return;
    std::string text;
    for (const std::string& l : lines) text += (text.empty() ? "" : "\n") + l;
    Inform(text);
}

void TForm1::Log(const std::string& line) { mmoLog->Add(line); }

void TForm1::ResetJobSlots()
{
    for (std::string& marker : JobSlotMarker) marker = "kong";
}

void TForm1::BuildOpenDialogFilter()
{
    static const char* const kFilter[][2] = {
        {"所有文件格式 (*.*)", "*.*"},
        {"支持的视频/音频文件格式",
         "*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;"
         "*.TP;*.IFO;*.NSV;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.SWF;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;"
         "*.OGG;*.RA;*.WV;*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;*.m4v;"
         "*.3gpp;*.3gp2;*.qt"},
        {"支持的视频文件格式",
         "*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;"
         "*.TP;*.IFO;*.NSV;*.SWF;*.WV;*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;"
         "*.dif;*.m4v;*.3gpp;*.3gp2;*.qt"},
        {"支持的音频文件格式",
         "*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;"
         "*.AC3"},
        {"AVI文件 (*.avi)", "*.avi"},
        {"Real视频文件格式 (*.rm;*.rmvb)", "*.rm;*.rmvb"},
        {"MP4视频格式 (*.mp4;*.m4v)", "*.mp4;*.m4v"},
        {"MPEG视频格式 (*.mpg;*.mpeg)", "*.mpg;*.mpeg"},
        {"DVD视频格式 (*.vob)", "*.vob"},
        {"VCD/SVCD视频格式 (*.dat;*.mpg)", "*.dat;*.mpg"},
        {"ASF微软视频格式 (*.asf)", "*.asf"},
        {"WMV微软视频格式 (*.wmv)", "*.wmv"},
        {"手机3GPP文件格式 (*.3gp;*.3gpp)", "*.3gp;*.3gpp"},
        {"手机3GPP2文件格式 (*.3g2;*.3gp2)", "*.3g2;*.3gp2"},
        {"Flash动画格式 (*.swf)", "*.swf"},
        {"Flash视频格式 (*.flv)", "*.flv"},
        {"MKV视频媒体格式 (*.mkv)", "*.mkv"},
        {"Quick Time视频文件格式 (*.mov;*.qt)", "*.mov;*.qt"},
        {"DV数字视频文件格式 (*.dv;*.dif)", "*.dv;*.dif"},
        {"Raw h261类型文件 (*.h261)", "*.h261"},
        {"Raw h264类型文件 (*.h264)", "*.h264"},
        {"YUV类型文件 (*.yuv)", "*.yuv"},
        {"GIF图片动画格式 (*.gif)", "*.gif"},
        {"MJPEG视频格式(*.mjpg;*.mjpeg)", "*.mjpg;*.mjpeg"},
        {"TS视频格式 (*.ts)", "*.ts"},
        {"WMV高清HD视频格式 (*.xwmv)", "*.xwmv"},
        {"微软数字视频格式( *.dvr-ms)", "*.dvr-ms"},
        {"iTunes视频格式 (*.m4v)", "*.m4v"},
        {"MP3音频格式 (*.mp3)", "*.mp3"},
        {"CD音频格式 (*.cda)", "*.cda"},
        {"WMA微软音频格式 (*.wma)", "*.wma"},
        {"WAVE音频格式 (*.wav)", "*.wav"},
        {"REAL音频格式 (*.ra;*.ram)", "*.ra;*.ram"},
        {"MP4音频格式 (*.m4a;*.mp4)", "*.m4a;*.mp4"},
        {"AAC高级音频格式 (*.aac)", "*.aac"},
        {"AC3音频格式 (*.ac3)", "*.ac3"},
        {"Monkey音频格式 (*.ape;*.cue)", "*.ape;*.cue"},
        {"Flac无损压缩音频格式\u3000(*.flac)", "*.flac"},
        {"MPEG音频编码格式(*.mpa)", "*.mpa"},
        {"MPEG 2音频编码格式(*.mp2)", "*.mp2"},
        {"OGG音频编码格式(*.ogg)", "*.ogg"},
        {"AIFF音频编码格式(*.aif; *.aiff)", "*.aif; *.aiff"},
    };
    std::string filter;
    for (const auto& e : kFilter) filter += std::string(e[0]) + "|" + e[1] + "|";
    for (TbsSkinOpenDialog* d : {OpenDialog1, OpenDialog2})
    {
        d->Filter = filter;
        d->FilterIndex = 1;
    }
}
