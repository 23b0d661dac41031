// The main window TForm1 (instance Form1): its components, menus and layout,
// the start-up and close handlers, the settings it reads and writes, the
// control-state table, the output-format catalogue's window handlers and the
// commands of the menus and tool bar.
//
// The form is also the option state (catalogue::OptionState): the fields
// Video_FrameSize, Video_VideoBitrate … are the form's own.
//
// Parts (app/Unit1/):
//   Layout.cpp             components, menus, places, captions, hints, wiring
//   Startup.cpp            create handler, close request, window moves, notices
//   Settings.cpp           output folder and skin index in the settings file
//   States.cpp             the control-state table
//   CatalogueHandlers.cpp  category, preset and parameter boxes
//   Commands.cpp           output folder, skins, help, web site, dialogs, exit
//   Jobs.cpp, Batch.cpp, Preview.cpp  the job list, the batch and the preview panel
#pragma once
#include <array>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "Src/DAVezi.h"
#include "Src/FFConverter.h"
#include "Src/FFmpegLogger.h"
#include "Src/TaskOptions.h"
#include "app/catalogue/Catalogue.h"
#include "lib/bsDialogs.h"
#include "lib/bsMessages.h"
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinExCtrls.h"
#include "lib/bsSkinForm.h"
#include "lib/bsSkinHint.h"
#include "lib/bsSkinMenus.h"
#include "lib/bsTrayIcon.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ExtDlgs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"

// The log memo: keeps the lines the main window logs (never shown). It holds
// the last kMaxLines lines, so a long session does not grow without bound.
class TLogMemo : public TCustomControl
{
public:
    explicit TLogMemo(TComponent* AOwner);
    static constexpr int kMaxLines = 10000;
    TStrings* Lines() const { return FLines.get(); }
    void Add(const std::string& line);

private:
    std::unique_ptr<TStringList> FLines;
};

// A progress bar that is only a value (never shown).
class TOffscreenProgress : public TGraphicControl
{
public:
    using TGraphicControl::TGraphicControl;
    int Position = 0;
};

// The control groups and the events of the control-state table.
enum class TControlGroup { Add, Remove, Rename, Clear, Start, Stop, Pause, Resume, Format };
constexpr int kControlGroupCount = 9;
enum class TControlEvent { Load, Add, Remove, Clear, Start, Pause, Resume, Stop, End };
constexpr int kControlEventCount = 9;
// What an event does to a group: leaves it, enables or disables it, enables
// it when rows are left (removal), enables it with the thread-mode flag
// (start), or enables only the skinned button (stop: the start group).
enum class TGroupAction { Keep, Enable, Disable, EnableIfRows, EnableIfThreadMode, EnableSkinnedOnly };
// The table: kControlStates[event][group].
extern const std::array<std::array<TGroupAction, kControlGroupCount>, kControlEventCount> kControlStates;

class TForm1 : public TForm, public catalogue::OptionState
{
public:
    explicit TForm1(TComponent* AOwner);
    ~TForm1() override;

    // ---- non-visual components ----
    TbsSkinData* bsSkinData1 = nullptr;
    TbsCompressedSkinList* bsCompressedSkinList1 = nullptr;
    TbsResourceStrData* bsResourceStrData1 = nullptr;
    TbsSelectSkinDialog* bsSelectSkinDialog1 = nullptr;
    TbsSkinHint* bsSkinHint1 = nullptr;
    TbsSkinMessage* bsSkinMessage1 = nullptr;
    TbsSkinForm* bsSkinForm1 = nullptr;
    TbsTrayIcon* bsTrayIcon1 = nullptr;
    TFFConverter* FFConv = nullptr;
    TFFLogger* FFLogger = nullptr;
    TDEDideve* DEDideve = nullptr;
    TbsSkinOpenDialog* OpenDialog1 = nullptr;
    TbsSkinOpenDialog* OpenDialog2 = nullptr;
    TbsSkinSelectDirectoryDialog* bsSkinSelectDirectoryDialog1 = nullptr;
    TbsSkinSelectDirectoryDialog* bsSkinSelectDirectoryDialog2 = nullptr;
    TSavePictureDialog* SavePictureDialog1 = nullptr;
    TImageList* ImageList1 = nullptr;  // category pictures
    TImageList* ImageList2 = nullptr;  // preset pictures
    TImageList* ImageList3 = nullptr;  // the add button's picture

    // ---- main menu ----
    TbsSkinMainMenu* bsSkinMainMenu1 = nullptr;
    TbsSkinMainMenuBar* bsSkinMainMenuBar1 = nullptr;
    TMenuItem* N1 = nullptr;        // "文件"
    TMenuItem* Item111 = nullptr;   // "添加一个文件"
    TMenuItem* Item121 = nullptr;   // "添加多个文件"
    TMenuItem* N21 = nullptr;       // "添加整个目录"
    TMenuItem* N4 = nullptr;        // "退出"
    TMenuItem* N2 = nullptr;        // "编辑"
    TMenuItem* N16 = nullptr;       // "上移文件"
    TMenuItem* N17 = nullptr;       // "下移文件"
    TMenuItem* N13 = nullptr;       // "删除选择"
    TMenuItem* N14 = nullptr;       // "清空文件"
    TMenuItem* N26 = nullptr;       // "重新命名"
    TMenuItem* N3 = nullptr;        // "动作"
    TMenuItem* N7 = nullptr;        // "开始转换"
    TMenuItem* N8 = nullptr;        // "停止转换"
    TMenuItem* N10 = nullptr;       // "暂停转换"
    TMenuItem* N11 = nullptr;       // "继续继续"
    TMenuItem* N6 = nullptr;        // "功能"
    TMenuItem* N24 = nullptr;       // "转换设置"
    TMenuItem* N23 = nullptr;       // "软件皮肤"
    TMenuItem* N9 = nullptr;        // "帮助"
    TMenuItem* N15 = nullptr;       // "帮助系统" (F1)
    TMenuItem* N19 = nullptr;       // "官方网站"
    TMenuItem* N5 = nullptr;        // "关于软件"
    // The add menu of the "添加" button.
    TbsSkinPopupMenu* bsSkinPopupMenu1 = nullptr;
    TMenuItem* N11111 = nullptr;    // "添加一个文件"
    TMenuItem* N2222 = nullptr;     // "添加多个文件"
    TMenuItem* N3331 = nullptr;     // "添加整个目录"
    // The snapshot menu of the preview panel.
    TbsSkinPopupMenu* bsSkinPopupMenu2 = nullptr;
    TMenuItem* MenuItem1 = nullptr; // "打开快照目录"
    TMenuItem* MenuItem2 = nullptr; // "设置快照目录"
    TMenuItem* N12 = nullptr;       // "快照保存类型"
    TMenuItem* BMP1 = nullptr;
    TMenuItem* JPG1 = nullptr;
    TMenuItem* GIF1 = nullptr;
    TMenuItem* PNG1 = nullptr;

    // ---- tool bar ----
    TbsSkinToolBar* bsSkinToolBar2 = nullptr;
    TbsSkinMenuSpeedButton* bsSkinMenuSpeedButton1 = nullptr;  // "添加"
    TbsSkinButton* bsSkinButton7 = nullptr;                     // "删除"
    TbsSkinButton* bsSkinButton8 = nullptr;                     // "清空"
    TbsSkinButton* bsSkinButton2 = nullptr;                     // "开始"
    TbsSkinButton* bsSkinButton10 = nullptr;                    // "停止"
    TbsSkinButton* bsSkinButton11 = nullptr;                    // "暂停"
    TbsSkinButton* bsSkinButton12 = nullptr;                    // "继续"
    TbsSkinButton* bsSkinButton19 = nullptr;                    // "选项"
    TbsSkinButton* bsSkinButton9 = nullptr;                     // "皮肤"

    // ---- job table ----
    TbsSkinPanel* bsSkinPanel1 = nullptr;
    TbsSkinListView* lvFiles = nullptr;
    TbsSkinScrollBar* bsSkinScrollBar1 = nullptr;  // vertical, invisible
    TbsSkinScrollBar* bsSkinScrollBar2 = nullptr;  // horizontal
    TbsSkinButton* bsSkinButton4 = nullptr;        // "下移"
    TbsSkinButton* bsSkinButton3 = nullptr;        // "上移"
    TbsSkinButton* bsSkinButton21 = nullptr;       // "重命名"
    TbsSkinPanel* bsSkinPanel5 = nullptr;          // the picture over the empty table
    TImage* Image1 = nullptr;
    TbsSkinStdLabel* EmptyListLabel = nullptr;

    // ---- output format and folder ----
    TbsSkinPanel* bsSkinPanel2 = nullptr;
    TbsSkinStdLabel* Label1 = nullptr;                 // "输出格式："
    TbsSkinOfficeComboBox* bsSkinOfficeComboBox2 = nullptr;  // category
    TbsSkinOfficeComboBox* bsSkinOfficeComboBox1 = nullptr;  // preset
    TbsSkinStdLabel* Label4 = nullptr;                 // "输出目录："
    TbsSkinEdit* Video_OutPut_Folder_Edit = nullptr;
    TbsSkinButton* bsSkinButton5 = nullptr;            // "浏览"
    TbsSkinButton* bsSkinButton6 = nullptr;            // "打开"
    TbsSkinStdLabel* Label5 = nullptr;                 // "软件网站："
    TbsSkinLinkLabel* bsSkinLinkLabel1 = nullptr;
    TbsSkinButton* bsSkinButton1 = nullptr;            // "设置", invisible

    // ---- the six parameter boxes ----
    TbsSkinGroupBox* bsSkinPanel4 = nullptr;           // "预置选项"
    TbsSkinComboBox* bsSkinComboBox1 = nullptr;        // frame size
    TbsSkinComboBox* bsSkinComboBox2 = nullptr;        // video bit rate
    TbsSkinComboBox* bsSkinComboBox9 = nullptr;        // frame rate
    TbsSkinComboBox* bsSkinComboBox3 = nullptr;        // audio bit rate
    TbsSkinComboBox* bsSkinComboBox10 = nullptr;       // sample rate
    TbsSkinComboBox* bsSkinComboBox4 = nullptr;        // aspect
    std::array<TbsSkinStdLabel*, 6> ParamLabels{};     // their labels, in the boxes' order above

    // ---- preview panel ----
    TbsSkinGroupBox* bsSkinPanel3 = nullptr;           // "视频预览"
    TPanel* Panel6 = nullptr;                          // the preview screen
    TbsSkinSlider* bsSkinSlider1 = nullptr;
    TbsSkinButton* bsSkinButton13 = nullptr;           // "播放"
    TbsSkinButton* bsSkinButton14 = nullptr;           // "暂停"
    TbsSkinButton* bsSkinButton15 = nullptr;           // "停止"
    TbsSkinButton* bsSkinButton16 = nullptr;           // "静音"
    TbsSkinButton* bsSkinButton20 = nullptr;           // "静音" (unmute), invisible
    TbsSkinButton* bsSkinButton22 = nullptr;           // "快照"
    TbsSkinButton* bsSkinButton23 = nullptr;           // "设置" (snapshot menu)
    TbsSkinButton* bsSkinButton17 = nullptr;           // "全屏", invisible

    // ---- off-screen controls (left of 873 and beyond: never seen) ----
    TPanel* Panel1 = nullptr;
    TPanel* Panel3 = nullptr;
    TPanel* Panel4 = nullptr;
    TPanel* Panel5 = nullptr;
    TButton* btnAdd = nullptr;
    TButton* btnStart = nullptr;
    TButton* btnStop = nullptr;
    TButton* btnPause = nullptr;
    TButton* btnResume = nullptr;
    TButton* btnRemove = nullptr;
    TButton* btnClear = nullptr;
    TButton* btnCapture = nullptr;
    TLogMemo* mmoLog = nullptr;
    TbsSkinCheckRadioBox* chkThreadMode = nullptr;
    TbsSkinCheckRadioBox* chkPreview = nullptr;
    TbsSkinCheckRadioBox* chkOpenPaused = nullptr;
    TbsSkinCheckRadioBox* chkStayOnTop = nullptr;
    TComboBox* cboVideoDriver = nullptr;
    TComboBox* cboAudioDriver = nullptr;
    TComboBox* cboScreens = nullptr;
    TComboBox* cboVideo = nullptr;
    TComboBox* cboAudio = nullptr;
    TComboBox* cboSubtitle = nullptr;
    TbsSkinSlider* TrackBar2 = nullptr;   // volume 0..128
    TLabel* Label2 = nullptr;             // duration
    TLabel* Label3 = nullptr;             // position
    TListBox* ListBox1 = nullptr;         // the files of a folder being added
    TOffscreenProgress* ProgressBar1 = nullptr;
    TEdit* edt = nullptr;                 // the rename editor
    // Glyph pictures of the tool buttons: Image2 … Image17 (index 2 … 17).
    std::array<TImage*, 18> Images{};
    TImage* Image(int n) const { return Images[static_cast<std::size_t>(n)]; }

    // ---- state fields ----
    std::string FileOutPutPath;
    std::array<TInputOptions, 501> IO1{};
    std::array<TOutputOptions, 501> OO1{};
    std::string T_Movie_PLayer_FileName;
    std::int64_t FDuration = 0;
    bool FTrackChanging = false;
    TWinControl* FScreenControl = nullptr;
    std::string bsSkinSlider1_down_UP = "UP";

    // ---- start-up and close ----
    void FormCreate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    // The first direct windowed child with that component name, or null.
    TWinControl* FindChildControlByName(const std::string& name);
    // Notices of the start-up (settings file, folders), shown once the
    // window is up, in one "提示" box.
    std::vector<std::string> PendingNotices;
    void ShowPendingNotices();
    // One line into the log memo.
    void Log(const std::string& line);

    // ---- operations (each runs at once, whatever its button's state) ----
    void ResetJobSlots();          // every slot "kong"
    void WriteOutputFolder();      // "OutPath" from FileOutPutPath
    void ReadOutputFolder();       // the output folder from "OutPath"
    void BuildOpenDialogFilter();  // both open dialogs' filter
    void ReadSkinIndex();          // "SetSkin" applied to the skin store
    void WriteSkinIndex();         // the store's skin index to "SetSkin"

    // ---- control states ----
    // Sets every group as the event says; rowsLeft counts for a removal.
    void SetControlStates(TControlEvent event, int rowsLeft = 0);
    void DisableFormatControls();  // the working state of the format group
    void EnableFormatControls();   // and back
    void EnableMoving(bool enabled);   // the move buttons and items, pictures greyed when off
    // The picture a group's skinned button shows now (its Image number).
    int GroupPicture(TControlGroup group) const { return FGroupPicture[static_cast<int>(group)]; }

    // ---- catalogue handlers ----
    void FillPresetBox();              // the preset box for the chosen category
    void FillParameterBoxes();         // the six boxes for the chosen preset
    void ApplyPresetValues();          // the option state (and a selected row) from the preset
    void ResetOptionState();           // the option state's reset values
    void CopyParameterChoices();       // the six boxes into the option state
    void bsSkinOfficeComboBox2Change(TObject* Sender);  // category
    void bsSkinOfficeComboBox1Change(TObject* Sender);  // preset
    void ParameterBoxChange(TbsSkinComboBox* box);      // each of the six boxes
    // The boxes in the order of catalogue::ParamBox.
    std::array<TbsSkinComboBox*, catalogue::kParamBoxCount> ParamBoxes() const;
    // The options window's overwrite choice (false: rename a new output).
    bool OverwriteOutput() const;

    // ---- commands ----
    void ChooseOutputFolder();     // "浏览"
    void OpenOutputFolder();       // the output folder in the desktop's file manager
    void ChooseSkin();             // the skin chooser
    void OpenHelp();               // the help pages
    void OpenWebSite();
    void ShowAbout();
    void ShowOptions();
    void PauseFromButton();        // "暂停": pause, then show "继续"
    void ResumeFromButton();       // "继续": resume, then show "暂停"
    // An information box titled "提示".
    void Inform(const std::string& text);

    // --- job list
    // Each row of lvFiles is a job: its caption the input file, its 24
    // sub-items columns 1 to 24 (unit1::kJobColumns); row r owns slot r
    // (IO1[r], OO1[r], JobSlotMarker[r]). The marker lives beside the records,
    // so no output ever carries it.
    static constexpr int kJobSlots = 501;
    std::array<std::string, kJobSlots> JobSlotMarker{};  // "kong", "Full", "DELETED"
    TbsSkinStdLabel* AddProgressLabel = nullptr;        // "正在添加…" while many files are added

    void AddOneFile();             // btnAdd: the open dialog, one file
    void AddSeveralFiles();        // Button8: the open dialog, several files
    void AddFolder();              // Button12: the folder dialog, then AddFolderContents
    // Every regular file of a folder (not its sub-folders), in name order.
    int AddFolderContents(const std::string& folder);
    // What the three add operations share: the files in this order, each
    // probed and made a job; one "提示" box names the files skipped and why.
    // Returns the number of rows added.
    int AddFiles(const std::vector<std::string>& files, bool fromFolder = false);
    void RemoveJob();              // btnRemove
    void ClearJobs();              // btnClear
    void MoveJobUp();
    void MoveJobDown();
    void StartRename();            // "重命名", "重新命名": a message when no row is selected
    void StartRenameQuietly();     // double click: nothing when no row is selected
    // The editor's text becomes the output name, or is refused and the editor
    // stays (with `explain`, a "提示" box says why).
    void FinishRename(bool explain = false);
    void CancelRename();           // Esc: the name stays
    void PlaceRenameEditor();      // the open editor over its row's output column (rows and skins move)
    void JobListClick();           // lvFilesClick
    void JobSelected();            // lvFilesSelectItem: the row's choices back into the boxes
    // The selected row for the catalogue handlers to write; null while a
    // selection puts a row's own choices back into the boxes.
    TListItem* SelectedJobRow();
    // Columns 10 to 24 of a row from the six boxes and the option state
    // (after a preset change: the row holds what the boxes show).
    void WriteJobChoices(TListItem* row);
    // Column 3 of a row made `name`, or the first "_N" form of it no other
    // row has (a preset change gives a new extension).
    void SetRowOutputName(TListItem* row, const std::string& name);
    // Column c of row r (the caption is column 0); "" when the row has none.
    std::string JobColumn(int r, int c) const;
    // The whole duration text of a job's input: hours (all of them),
    // minutes and seconds, two digits at least each.
    static std::string DurationText(std::int64_t seconds);
    // Megabytes, rounded to hundredths, shortest text, then "MB".
    static std::string SizeText(std::int64_t bytes);
    // The glyphs' own pictures the window's buttons take, drawn ahead of the
    // window (any thread; the start-up does it while the display opens).
    static void DrawGlyphsAhead();
    // A stored "SetSkin" value as the index of one of `count` skins; false
    // when it is none (not a number, out of range).
    static bool StoredSkinIndex(const std::string& stored, int count, int& index);

    // --- batch
    void StartBatch();             // btnStart
    void StopBatch();              // btnStop
    void PauseBatch();             // btnPause
    void ResumeBatch();            // btnResume
    // From Start to the end of the batch (the final terminate event).
    bool BatchRunning() const;
    // The conversion component's and the logger's handlers, and their end
    // when the window closes (no event reaches it afterwards).
    void WireBatch();
    void DetachBatch();

    // --- preview panel and snapshots
    void OpenPreview();            // Button31: the selected row's file into the player
    void PreviewPlay();
    void PreviewPause();
    void PreviewRewind();
    void PreviewMute();
    void PreviewUnmute();
    void SeekSliderDown();         // bsSkinSlider1: "Down", the player pauses
    void SeekSliderUp();           // seek to the slider's place, play on, "UP"
    // The player's events.
    void PlayerFileOpen(std::int64_t duration, int frameWidth, int frameHeight, int& screenWidth, int& screenHeight);
    void PlayerPosition(std::int64_t pts);
    void PlayerState(TPlayState state);
    // The picture on screen into the snapshot folder; the file written, ""
    // when none (no picture, or a "提示" box said why).
    std::string Snapshot();
    void SnapshotMenu();           // the stored picture type checked in the menu
    void OpenSnapshotFolder();     // "打开快照目录"
    void ChooseSnapshotFolder();   // "设置快照目录"
    void SetSnapshotType(const std::string& type);  // "BMP", "JPG", "GIF" or "PNG"
    void CaptureFrame();           // btnCapture: the picture through the save-picture dialog
    // The stored snapshot folder, else the default one (then stored): true
    // when it exists, made when missing.
    bool SnapshotFolder(std::string& folder);
    // The stored picture type, "BMP" (then stored) when none of the four;
    // its menu item checked.
    std::string SnapshotType();

protected:
    void Dispatch(TMessage& m) override;

private:
    void BuildComponents();
    void BuildMenus();
    void BuildToolBar();
    void BuildJobTable();
    void BuildFormatPanel();
    void BuildParameterBoxes();
    void BuildPreviewPanel();
    void BuildOffscreen();
    void Wire();
    void LoadCataloguePictures();
    // The glyph pictures for the current skin, and the buttons' pictures again.
    void PaintGlyphs();
    void SkinChanged();
    void SetGroup(TControlGroup group, bool enabled, bool skinnedOnly = false);
    void SetGroupPicture(TControlGroup group, int picture);
    // The job list's own controls and events.
    void WireJobList();
    // The preview panel's own controls and the player's events.
    void WirePreview();
    bool OpenInPlayer();           // T_Movie_PLayer_FileName into Panel6; failures logged
    TMenuItem* SnapshotTypeItem(const std::string& type) const;
    // Adds one file as a job; "" on success, else why it was skipped.
    std::string AddJob(const std::string& file, std::unordered_set<std::string>& outputs);
    // The output names (column 3) of the rows, except row `except`.
    std::unordered_set<std::string> RowOutputNames(int except = -1) const;
    bool LoadConversionLibraries();
    void ShowPictureOverEmptyList();
    void SwapJobs(int a, int b);
    std::string RowPresetExtension(TListItem* row) const;
    TListItem* FRenameRow = nullptr;   // the row whose output the editor renames
    bool FRestoringJob = false;        // a selection is putting a row's choices back
    bool FAddingFiles = false;         // an add operation runs
    bool FRenameRefusing = false;      // the refusal box of a rename is open
    std::array<int, kControlGroupCount> FGroupPicture{};
    bool FGlyphsPainted = false;
    // The batch's own state (Batch.cpp); shared with the calls it queues.
    std::shared_ptr<struct TBatchState> FBatch;
};

extern TForm1* Form1;
