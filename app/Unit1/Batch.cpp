// The batch: start (every task made again from its row), pause, resume and
// stop; the conversion component's progress and terminate events brought to
// the GUI thread in the order they happened; failed tasks reported in one
// plain box at a time; the action after a batch that ran to its end; the
// engine's log lines.
//
// The component reports on worker threads and never waits for the GUI
// thread: progress keeps the newest report of each task and asks the GUI
// thread once to show what is waiting; every terminate event becomes one
// queued call. The window's queued calls go when it closes.
#include "app/OptionFile.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "app/Unit5.h"
#include "app/catalogue/OutputRecord.h"
#include "platform/core/Exception.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Dialogs.h"
#include "platform/sys/Files.h"
#include "platform/sys/Power.h"
#include "platform/sys/Sound.h"

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

using unit1::RowText;
using unit1::SetRowText;

struct TBatchState
{
    // Worker threads and the GUI thread: the newest progress of each task
    // that is not shown yet, and whether the GUI thread has been asked to show it.
    std::mutex lock;
    std::map<int, TProgressInfo> progress;
    bool progressQueued = false;
    // The window has closed: nothing more reaches it.
    std::atomic<bool> detached{false};

    // The GUI thread only.
    std::vector<int> taskRow;            // the row of each task of the batch
    bool running = false;                // from Start to the end of the batch
    bool stopped = false;                // Stop was asked for this batch
    bool actionDue = false;              // the batch ended while a failure box was open
    bool boxOpen = false;                // a failure box shows
    std::vector<std::string> failures;   // failures waiting for the box
    std::thread powerOff;                // a power-off request waiting for its answer
    std::function<void()> afterBatch;    // the options window's action after a batch
};

namespace {

constexpr int kColFps = 5, kColTime = 6, kColSize = 7;
constexpr const char* kFailed = "失败";

// The integer of a hidden column; a text that is none fails the row.
int IntColumn(TListItem* row, int c)
{
    int v = 0;
    if (!TryStrToInt(RowText(row, c), v))
        throw EConvertError(Format("第 %d 列“%s”不是整数", c, RowText(row, c).c_str()));
    return v;
}

// The task's output record from the row's hidden columns, in their order.
void ApplyRowColumns(TListItem* row, TOutputOptions& o)
{
    auto col = [row](int c) { return RowText(row, c); };
    if (const std::string v = col(11); !v.empty())
    {
        o.VideoCodec = v;
        o.VideoPreset = v == "libx264" ? "libx264-default" : "";
    }
    if (const std::string v = col(12); !v.empty() && v != "AUTO") o.AudioCodec = v;
    if (!col(13).empty()) o.AudioChannels = IntColumn(row, 13);
    o.VideoTag = !col(14).empty() && col(11) != "libx264" ? col(14) : "";
    if (!col(15).empty()) o.FileExt = col(15);
    if (!col(16).empty()) o.FrameSize = col(16);
    // A disc target's own rate (-1000) stays as the preset set it.
    if (!col(17).empty() && col(17) != "-1000") o.VideoBitrate = IntColumn(row, 17);
    if (!col(18).empty()) o.FrameRate = col(18);
    if (col(19) != "-1000" && col(19) != "-2000") o.AudioBitrate = IntColumn(row, 19);
    if (const std::string v = col(20); !v.empty() && v != "AUTO") o.AudioSampleRate = IntColumn(row, 20);
    if (!col(21).empty()) o.FrameAspectRatio = col(21);
    o.DisableVideo = col(22) == "True";
    if (const std::string v = col(23); !v.empty())
        o.TargetType = v == "vcd" ? ttVCD : v == "svcd" ? ttSVCD : v == "dvd" ? ttDVD : ttIgnore;
    o.NormType = col(24) == "PAL" ? ntPAL : col(24) == "NTSC" ? ntNTSC : ntAuto;
}

// A failure text without the file's name in front (the box names the file).
std::string WithoutFileName(const std::string& file, const std::string& msg)
{
    const std::string prefix = file + ": ";
    return msg.compare(0, prefix.size(), prefix) == 0 ? msg.substr(prefix.size()) : msg;
}

// An audio bit rate the encoder refuses at the output's sample rate and
// channels (the source's when the preset keeps them) becomes the nearest
// one it accepts, and the log says so.
void FitAudioBitrate(TForm1& f, TAVProbe* probe, TOutputOptions& o)
{
    if (o.AudioCodec.empty() || o.AudioBitrate <= 0 || o.DisableAudio || !probe || probe->AudioStreamCount() <= 0)
        return;
    const TAudioStreamInfo a = probe->FirstAudioStreamInfo();
    const int rate = o.AudioSampleRate > 0 ? o.AudioSampleRate : a.SampleRate;
    const int channels = o.AudioChannels > 0 ? o.AudioChannels : a.Channels;
    const int fitted = catalogue::AcceptedAudioBitrate(o.AudioCodec, rate, channels, o.AudioBitrate);
    if (fitted == o.AudioBitrate) return;
    f.Log(Format("%s: 编码器 %s 在 %d Hz、%d 声道时不接受音频比特率 %d，改为 %d。", probe->FileName().c_str(),
                 o.AudioCodec.c_str(), rate, channels, o.AudioBitrate, fitted));
    o.AudioBitrate = fitted;
}

}  // namespace

bool TForm1::BatchRunning() const { return FBatch && FBatch->running; }

// ---- the events, on the GUI thread -------------------------------------------

namespace {

int RowOfTask(TForm1& f, const TBatchState& st, int task)
{
    if (task < 0 || task >= int(st.taskRow.size())) return -1;
    const int r = st.taskRow[static_cast<std::size_t>(task)];
    return r < f.lvFiles->Items()->Count() ? r : -1;
}

void ShowProgress(TForm1& f, TBatchState& st)
{
    std::map<int, TProgressInfo> waiting;
    {
        std::lock_guard<std::mutex> g(st.lock);
        waiting.swap(st.progress);
        st.progressQueued = false;
    }
    if (st.detached) return;
    for (const auto& [task, p] : waiting)
    {
        const int r = RowOfTask(f, st, task);
        if (r < 0) continue;
        TListItem* row = f.lvFiles->Items()->Item(r);
        SetRowText(row, unit1::kColProgress,
                   p.TotalDuration > 0 ? IntToStr(p.CurrentDuration * 100 / p.TotalDuration) + "%" : "N/A");
        if (p.FPS > 0) SetRowText(row, kColFps, IntToStr(p.FPS));
        SetRowText(row, kColTime, TForm1::DurationText(p.CurrentDuration / 1000000));
        SetRowText(row, kColSize, TForm1::SizeText(p.CurrentSize));
    }
}

// The failures waiting, in one plain box titled with the application's
// title; failures that come while it shows wait for the next box. Then the
// action of a batch that ended meanwhile.
void ShowFailures(TForm1&, TBatchState& st)
{
    if (st.boxOpen) return;
    st.boxOpen = true;
    while (!st.failures.empty() && !st.detached)
    {
        std::string text;
        for (const std::string& l : std::exchange(st.failures, {})) text += (text.empty() ? "" : "\n") + l;
        Application->MessageBox(text, Application->Title, MB_OK | MB_ICONEXCLAMATION);
    }
    st.boxOpen = false;
    if (st.actionDue && !st.detached)
    {
        st.actionDue = false;
        st.afterBatch();
    }
}

void Fail(TForm1& f, TBatchState& st, int r, const std::string& reason)
{
    TListItem* row = f.lvFiles->Items()->Item(r);
    SetRowText(row, unit1::kColProgress, kFailed);
    f.Log("***Convert failed: " + row->GetCaption() + ": " + reason);
    st.failures.push_back(sys::ExtractFileName(row->GetCaption()) + "：" + reason);
}

}  // namespace

void TForm1::WireBatch()
{
    FBatch = std::make_shared<TBatchState>();
    // Progress comes on the conversion threads, which never wait for this window.
    FFConv->SetTriggerEventInMainThread(false);
    const std::shared_ptr<TBatchState> st = FBatch;
    FFConv->OnProgress = [this, st](TObject*, PProgressInfo p) {
        if (st->detached) return;
        bool ask = false;
        {
            std::lock_guard<std::mutex> g(st->lock);
            st->progress[p->TaskIndex] = *p;
            ask = !std::exchange(st->progressQueued, true);
        }
        if (ask) RunOnMainThread([this, st] { ShowProgress(*this, *st); }, false, this);
    };
    // (The state holds this call: it keeps no owning pointer to the state.)
    st->afterBatch = [this, s = st.get()] {
        // The options window's choice, tested in its order.
        const auto radios = Form5->AfterDoneRadios();
        if (radios[0]->Checked())
            OpenOutputFolder();
        else if (radios[1]->Checked())
        {
            if (s->powerOff.joinable()) s->powerOff.join();
            // logind may take its time (or ask programs with unsaved work):
            // the window does not wait. The window's close waits for the answer.
            s->powerOff = std::thread([this, s] {
                if (sys::RequestPowerOff() || s->detached) return;
                RunOnMainThread(
                    [this, s] {
                        if (!s->detached) Inform("关机请求没有被系统接受，电脑没有关闭。");
                    },
                    false, this);
            });
        }
        else if (radios[2]->Checked())
        {
            const std::string sound = OptionFile().Places().ProgramFolder + "sounds/ring001.wav";
            if (sys::FileExists(sound) && !sys::PlayWavFile(sound)) Log("***Cannot play " + sound);
        }
    };
    FFConv->OnTerminate = [this, st](TObject*, const TTerminateInfo& info) {
        if (st->detached) return;
        RunOnMainThread(
            [this, st, info] {
                if (st->detached) return;
                if (info.TaskIndex < 0)
                {
                    st->running = false;
                    SetControlStates(TControlEvent::End);
                    EnableMoving(true);
                    bsSkinButton12->Hide();
                    bsSkinButton11->Show();
                    if (st->stopped) return;
                    // After the failure boxes of the batch are closed.
                    if (st->boxOpen || !st->failures.empty())
                        st->actionDue = true;
                    else
                        st->afterBatch();
                    return;
                }
                const int r = RowOfTask(*this, *st, info.TaskIndex);
                if (r < 0) return;
                if (info.Finished) SetRowText(lvFiles->Items()->Item(r), unit1::kColProgress, "100%");
                // A task the stop ended is no failure: its row keeps its progress.
                if (info.Exception && !st->stopped)
                {
                    Fail(*this, *st, r, WithoutFileName(RowText(lvFiles->Items()->Item(r), 0), info.ExceptionMsg));
                    ShowFailures(*this, *st);
                }
            },
            false, this);
    };
    FFLogger->SetOnLog([this](TObject*, std::uint32_t thread, TLogLevel level, const std::string& msg) {
        Log("#" + std::to_string(thread) + "." + std::to_string(int(level)) + ": " + msg);
    });
}

void TForm1::DetachBatch()
{
    // The log's lines still queued for this window find no handler.
    FFLogger->SetOnLog(nullptr);
    if (!FBatch || FBatch->detached.exchange(true)) return;
    FFConv->Stop(true);
    if (FBatch->powerOff.joinable()) FBatch->powerOff.join();
    RemoveQueuedCalls(this);
    FFConv->OnProgress = nullptr;
    FFConv->OnTerminate = nullptr;
}

// ---- the commands --------------------------------------------------------------

void TForm1::StartBatch()
{
    TBatchState& st = *FBatch;
    if (st.running || FAddingFiles || st.boxOpen) return;
    TListItems* items = lvFiles->Items();
    if (items->Count() == 0) return;
    CancelRename();
    const std::string folder = FileOutPutPath;
    if (!sys::DirectoryExists(folder))
    {
        Inform("输出目录“" + folder + "”不存在，请先用“浏览”选择输出目录。");
        return;
    }

    static constexpr TThreadPriority kPriorities[] = {tpIdle, tpLowest, tpLower, tpNormal};
    const auto radios = Form5->PriorityRadios();
    for (std::size_t i = 0; i < radios.size(); ++i)
        if (radios[i]->Checked()) FFConv->SetThreadPriority(kPriorities[i]);

    // Every task again from its row; a row that cannot be one fails alone.
    {
        std::lock_guard<std::mutex> g(st.lock);
        st.progress.clear();
    }
    FFConv->ClearTasks();
    st.taskRow.clear();
    st.failures.clear();
    const bool overwrite = OverwriteOutput();
    const std::string base = sys::IncludeTrailingPathDelimiter(folder);
    std::unordered_set<std::string> claimed;  // outputs of the rows made so far
    for (int r = 0; r < items->Count(); ++r)
    {
        TListItem* row = items->Item(r);
        for (int c = unit1::kColProgress; c <= kColSize; ++c) SetRowText(row, c, "");
        SetRowText(row, unit1::kColTask, "");
        const auto slot = static_cast<std::size_t>(r);
        TInputOptions in = IO1[slot];
        TOutputOptions out = OO1[slot];
        in.FileName = row->GetCaption();
        try
        {
            ApplyRowColumns(row, out);
        }
        catch (const std::exception& e)
        {
            Fail(*this, st, r, std::string("参数无效：") + e.what());
            continue;
        }

        std::string name = RowText(row, unit1::kColOutput);
        if (claimed.count(name) && overwrite)
        {
            Fail(*this, st, r, "输出文件“" + name + "”已是列表中另一个文件的输出（选项为“直接覆盖输出文件”）");
            continue;
        }
        // "自动重命名": a file that appeared since the add is not overwritten.
        if (!overwrite && (claimed.count(name) || sys::FileExists(base + name)))
        {
            const std::string ext = sys::ExtractFileExt(name);
            const std::unordered_set<std::string> others = RowOutputNames(r);
            const std::string free = sys::ExtractFileName(catalogue::FreeOutputName(
                base + name.substr(0, name.size() - ext.size()), ext, [&](const std::string& path) {
                    const std::string n = sys::ExtractFileName(path);
                    return claimed.count(n) > 0 || others.count(n) > 0;
                }));
            Log("输出文件“" + name + "”已存在，改为“" + free + "”。");
            name = free;
            SetRowText(row, unit1::kColOutput, name);
        }
        claimed.insert(name);
        const std::string output = base + name;
        catalogue::ClearSlotMarker(out);
        catalogue::SubstituteEncoders(out, output);
        if (const std::string missing = catalogue::MissingEncoder(out); !missing.empty())
        {
            Fail(*this, st, r, "本机的 FFmpeg 没有这种输出格式所需的编码器（" + missing + "）");
            continue;
        }
        // A file replaced by a pipe or device since the add would block the opener.
        if (sys::IsSpecialFile(in.FileName) || !sys::FileExists(in.FileName))
        {
            Fail(*this, st, r, "输入文件已不存在，或不再是普通文件");
            continue;
        }
        const int t = FFConv->AddTask(in.FileName, &in);
        if (t < 0)
        {
            Fail(*this, st, r, "无法打开输入文件（" + WithoutFileName(in.FileName, FFConv->LastErrMsg()) + "）");
            continue;
        }
        FitAudioBitrate(*this, FFConv->GetTaskAVProbe(t, 0), out);
        out.FileName = output;
        if (!FFConv->SetOutputFile(t, output, &out))
        {
            const std::string msg = FFConv->LastErrMsg();
            FFConv->RemoveTask(t);
            Fail(*this, st, r, "无法转换（" + WithoutFileName(output, msg) + "）");
            continue;
        }
        st.taskRow.push_back(r);
        SetRowText(row, unit1::kColTask, IntToStr(t + 1));
        IO1[slot] = in;
        OO1[slot] = out;
    }

    SetControlStates(TControlEvent::Start);
    // Progress reaches rows by task: rows keep their places while the batch runs.
    EnableMoving(false);
    bsSkinButton12->Hide();
    bsSkinButton11->Show();

    int threads = 1;
    if (Form5->bsSkinCheckRadioBox7->Checked())
    {
        const int i = Form5->bsSkinComboBox2->ItemIndex();
        const std::string text = i >= 0 ? Form5->bsSkinComboBox2->Items()->Get(i) : std::string();
        // At least one conversion thread: none would run the batch inside this call.
        threads = std::max(1, StrToIntDef(text, 1));
    }
    st.running = true;
    st.stopped = false;
    st.actionDue = false;
    // Rows that could not be tasks, in one box, before any event of the batch.
    if (!st.failures.empty())
        RunOnMainThread(
            [this, s = FBatch] {
                if (!s->detached) ShowFailures(*this, *s);
            },
            false, this);
    FFConv->Start(threads);
}

void TForm1::StopBatch()
{
    TBatchState& st = *FBatch;
    if (!st.running) return;
    st.stopped = true;
    SetControlStates(TControlEvent::Stop);
    FFConv->Stop(true);
}

void TForm1::PauseBatch()
{
    if (!BatchRunning()) return;
    SetControlStates(TControlEvent::Pause);
    FFConv->Pause();
}

void TForm1::ResumeBatch()
{
    if (!BatchRunning()) return;
    SetControlStates(TControlEvent::Resume);
    FFConv->Resume();
}
