// Adding files: one file, several files or every file of a folder, each
// probed and made a job (a conversion task, a row of the job table and the
// slot of that row). The files that cannot be jobs are skipped, and one
// "提示" box at the end names each of them and why.
#include "app/OptionFile.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "app/catalogue/OutputRecord.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

#include <algorithm>
#include <chrono>

using namespace catalogue;

namespace {

// Why a name cannot be a job before anything opens it; "" for a regular file.
// A FIFO would block the opener, a device may never end: neither is opened.
std::string NotARegularFile(const std::string& file)
{
    if (sys::IsSpecialFile(file)) return "不是普通文件（管道、设备或套接字），没有打开";
    if (sys::DirectoryExists(file)) return "是一个目录";
    if (!sys::FileExists(file)) return "文件不存在（或是指向不存在文件的链接）";
    return {};
}

// The regular entries of a folder (links followed, folders left out) in name
// order: case ignored first, then the bytes.
std::vector<std::string> FolderFiles(const std::string& folder)
{
    std::vector<sys::TSearchRec> entries;
    sys::ListDirectory(folder, "*.*", entries);
    std::sort(entries.begin(), entries.end(), [](const sys::TSearchRec& a, const sys::TSearchRec& b) {
        const int c = CompareText(a.Name, b.Name);
        return c != 0 ? c < 0 : a.Name < b.Name;
    });
    std::vector<std::string> files;
    const std::string base = sys::IncludeTrailingPathDelimiter(folder);
    for (const sys::TSearchRec& e : entries)
        if (!(e.Attr & sys::faDirectory)) files.push_back(base + e.Name);
    return files;
}

// A failure text without the file's name in front (the box names the file).
std::string Reason(const std::string& file, const std::string& msg)
{
    const std::string prefix = file + ": ";
    return msg.compare(0, prefix.size(), prefix) == 0 ? msg.substr(prefix.size()) : msg;
}

// The skipped files the box names one by one (the log names all).
constexpr std::size_t kMaxListedSkips = 20;

// While many files are added the window takes no input, shows the busy
// cursor and the progress label; all of it ends with the scope.
class TBusyWindow
{
public:
    TBusyWindow(HWND window, TbsSkinStdLabel* label, bool& adding, bool active)
        : window_(window), label_(label), adding_(adding), active_(active)
    {
        adding_ = true;
        if (!active_) return;
        EnableWindow(window_, FALSE);
        Screen->SetCursor(crHourGlass);
        label_->Show();
        label_->BringToFront();
    }
    ~TBusyWindow()
    {
        adding_ = false;
        if (!active_) return;
        label_->Hide();
        Screen->SetCursor(crDefault);
        EnableWindow(window_, TRUE);
    }
    TBusyWindow(const TBusyWindow&) = delete;
    TBusyWindow& operator=(const TBusyWindow&) = delete;

private:
    HWND window_;
    TbsSkinStdLabel* label_;
    bool& adding_;
    bool active_;
};

}  // namespace

bool TForm1::LoadConversionLibraries()
{
    if (FFConv->AVLibLoaded()) return true;
    // The program's own "LibAV" folder first; the loader takes the system's
    // libraries for those the folder lacks.
    if (FFConv->LoadAVLib(OptionFile().Places().ProgramFolder + "LibAV")) return true;
    const std::string why = FFConv->LastErrMsg();
    Log(why);
    Inform("无法载入转换所需的 FFmpeg 库，没有添加文件。\n" + why);
    return false;
}

void TForm1::AddOneFile()
{
    if (FAddingFiles) return;
    ResetOptionState();
    if (!LoadConversionLibraries()) return;
    if (!OpenDialog1->Execute()) return;
    AddFiles({OpenDialog1->FileName()});
}

void TForm1::AddSeveralFiles()
{
    if (FAddingFiles) return;
    ResetOptionState();
    if (!LoadConversionLibraries()) return;
    if (!OpenDialog2->Execute()) return;
    std::vector<std::string> files;
    for (int i = 0; i < OpenDialog2->Files()->Count(); ++i) files.push_back(OpenDialog2->Files()->Get(i));
    if (files.empty()) files.push_back(OpenDialog2->FileName());
    AddFiles(files);
}

void TForm1::AddFolder()
{
    if (FAddingFiles) return;
    ResetOptionState();
    if (!LoadConversionLibraries()) return;
    // Only a confirmed choice adds anything.
    if (!bsSkinSelectDirectoryDialog1->Execute()) return;
    AddFolderContents(bsSkinSelectDirectoryDialog1->Directory);
}

int TForm1::AddFolderContents(const std::string& folder)
{
    if (FAddingFiles) return 0;
    if (folder.empty() || !sys::DirectoryExists(folder))
    {
        Inform("目录“" + folder + "”不存在。");
        return 0;
    }
    ListBox1->Items()->Clear();
    const std::vector<std::string> files = FolderFiles(folder);
    for (const std::string& f : files) ListBox1->Items()->Add(f);
    return AddFiles(files, true);
}

int TForm1::AddFiles(const std::vector<std::string>& files, bool fromFolder)
{
    if (FAddingFiles || BatchRunning() || !LoadConversionLibraries()) return 0;
    const std::string folder = Video_OutPut_Folder_Edit->GetText();
    if (!sys::DirectoryExists(folder))
    {
        Inform("输出目录“" + folder + "”不存在，请先用“浏览”选择输出目录。没有添加文件。");
        return 0;
    }
    struct Skipped
    {
        std::string file, why;
    };
    std::vector<Skipped> skipped;
    std::unordered_set<std::string> outputs = RowOutputNames();
    int added = 0;
    std::size_t taken = 0;  // files looked at
    bool full = false;
    {
        const bool many = files.size() > 1;
        AddProgressLabel->SetCaption(Format("正在添加文件：0 / %zu", files.size()));
        TBusyWindow busy(Handle(), AddProgressLabel, FAddingFiles, many);
        auto shown = std::chrono::steady_clock::now();
        for (; taken < files.size(); ++taken)
        {
            if (lvFiles->Items()->Count() >= kJobSlots)
            {
                full = true;
                break;
            }
            std::string why = AddJob(files[taken], outputs);
            if (!why.empty()) skipped.push_back({files[taken], std::move(why)});
            // The commands of a listed job, set once (each set redraws the tool buttons).
            else if (++added == 1) SetControlStates(TControlEvent::Add);
            // The window repaints now and then (a folder of hundreds of files).
            if (many && std::chrono::steady_clock::now() - shown > std::chrono::milliseconds(50))
            {
                AddProgressLabel->SetCaption(Format("正在添加文件：%zu / %zu", taken + 1, files.size()));
                Application->ProcessMessages();
                shown = std::chrono::steady_clock::now();
            }
        }
    }

    if (added > 0)
    {
        const int last = lvFiles->Items()->Count() - 1;
        lvFiles->SetItemIndex(last);
        lvFiles->Items()->Item(last)->MakeVisible(false);
        if (lvFiles->CanFocus()) lvFiles->SetFocus();
    }

    std::string text;
    auto line = [&text](const std::string& l) { text += (text.empty() ? "" : "\n") + l; };
    if (full)
        line(added == 0 ? Format("作业列表已满（最多 %d 个文件），没有添加文件。", kJobSlots)
                        : Format("作业列表已满（最多 %d 个文件）：添加了 %d 个文件，其余 %zu 个没有添加。",
                                 kJobSlots, added, files.size() - taken));
    else if (fromFolder && added == 0)
        line("在该目录没有发现可以用的视频或音频文件！");
    if (!skipped.empty())
    {
        line(Format("以下 %zu 个文件没有添加：", skipped.size()));
        for (std::size_t i = 0; i < skipped.size() && i < kMaxListedSkips; ++i)
            line(sys::ExtractFileName(skipped[i].file) + "：" + skipped[i].why);
        if (skipped.size() > kMaxListedSkips)
            line(Format("……另有 %zu 个文件没有添加（原因见日志）。", skipped.size() - kMaxListedSkips));
        for (const Skipped& s : skipped) Log("***Skipped: " + s.file + ": " + s.why);
    }
    if (!text.empty()) Inform(text);
    return added;
}

std::string TForm1::AddJob(const std::string& name, std::unordered_set<std::string>& outputs)
{
    // The row and the task hold the whole path, whatever folder a caller was in.
    const std::string file = sys::ExpandFileName(name);
    if (std::string why = NotARegularFile(file); !why.empty()) return why;

    TAVProbe* probe = FFConv->AVProbe();
    if (!probe->LoadFile(file))
    {
        const std::string msg = probe->LastErrMsg();
        Log("");
        Log("***File load error: " + msg);
        Log("");
        return "无法识别为视频或音频文件（" + Reason(file, msg) + "）";
    }
    const bool hasStreams = probe->VideoStreamCount() > 0 || probe->AudioStreamCount() > 0;
    const std::int64_t duration = probe->FileStreamInfo().Duration;
    const std::int64_t size = probe->FileSize() >= 0 ? probe->FileSize() : sys::FileSize(file);
    probe->CloseFile();
    if (!hasStreams) return "文件中没有视频或音频流";

    ProgressBar1->Position = 0;
    Video_AddFileName = file;
    TInputOptions in;
    InitInputOptions(in);
    const int task = FFConv->AddTask(file, &in);
    if (task < 0)
    {
        const std::string msg = FFConv->LastErrMsg();
        Log("");
        Log("***File open error: " + msg);
        Log("");
        return "无法打开（" + Reason(file, msg) + "）";
    }
    Log("");
    Log(FFConv->GetTaskAVProbe(task, 0)->FileInfoText());
    T_Movie_PLayer_FileName = file;

    // The option state of the chosen preset and the six boxes, as a preset
    // change makes it; only the new row is written.
    const int category = bsSkinOfficeComboBox2->ItemIndex(), preset = bsSkinOfficeComboBox1->ItemIndex();
    const bool overwrite = OverwriteOutput();
    ApplyPreset(*this, category, preset, Video_OutPut_Folder_Edit->GetText(), overwrite,
                [&outputs](const std::string& path) { return outputs.count(sys::ExtractFileName(path)) > 0; });
    CopyParameterChoices();
    const std::string outName = sys::ExtractFileName(Video_OutPutFileName);
    if (overwrite && outputs.count(outName))
    {
        FFConv->RemoveTask(task);
        return "输出文件“" + outName + "”已是列表中另一个文件的输出（选项为“直接覆盖输出文件”）";
    }
    TOutputOptions out = OutputRecordFor(*this);
    if (!FFConv->SetOutputFile(task, Video_OutPutFileName, &out))
    {
        const std::string msg = FFConv->LastErrMsg();
        FFConv->RemoveTask(task);
        Log("");
        Log("***Cannot do convert, error: " + msg);
        Log("");
        return "无法转换（" + Reason(Video_OutPutFileName, msg) + "）";
    }

    bsSkinPanel5->Hide();
    ParamIndexes indexes{};
    const auto boxes = ParamBoxes();
    for (std::size_t b = 0; b < boxes.size(); ++b) indexes[b] = boxes[b]->ItemIndex();
    TListItem* row = lvFiles->Items()->Add();
    row->SetCaption(in.FileName);
    TStrings* cols = row->SubItems();
    cols->BeginUpdate();
    cols->Add(duration > 0 ? DurationText(duration / 1000000) : "N/A");
    cols->Add(SizeText(size));
    cols->Add(outName);
    for (int c = 4; c <= 7; ++c) cols->Add("");
    cols->Add(IntToStr(task + 1));
    cols->Add(IntToStr(CategoryCode(category, preset)));
    cols->Add(OptionCode(indexes));
    for (const std::string& c : HiddenColumnsOf(*this)) cols->Add(c);
    cols->EndUpdate();
    outputs.insert(outName);

    const int r = row->Index();
    IO1[static_cast<std::size_t>(r)] = in;
    OO1[static_cast<std::size_t>(r)] = out;
    JobSlotMarker[static_cast<std::size_t>(r)] = "Full";
    Log("");
    Log("***Can do convert.");
    Log("");
    return {};
}
