#include "lib/bsSkinData.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <fstream>
#include <utility>


namespace
{
TbsSkinFormsProvider& FormsProvider()
{
    static TbsSkinFormsProvider provider;
    return provider;
}

// Folder part of a path, with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& fileName)
{
    std::size_t p = fileName.find_last_of('/');
    return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

// File-name part of a path.
std::string NameOf(const std::string& fileName)
{
    std::size_t p = fileName.find_last_of('/');
    return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

bool SameTextAscii(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

[[noreturn]] void Damaged(const std::string& why)
{
    throw EbsSkinDataError("The compressed skin is damaged: " + why);
}

// ---- object type words ----------------------------------------------------

std::unique_ptr<TbsDataSkinObject> CreateSkinObject(const std::string& word, const std::string& name)
{
    if (word == "menuitem") return std::make_unique<TbsDataSkinMenuItem>(name);
    if (word == "mainmenubaritem") return std::make_unique<TbsDataSkinMainMenuBarItem>(name);
    if (word == "stdbutton") return std::make_unique<TbsDataSkinStdButton>(name);
    if (word == "mainmenubarbutton") return std::make_unique<TbsDataSkinMainMenuBarButton>(name);
    if (word == "button") return std::make_unique<TbsDataSkinButton>(name);
    if (word == "caption") return std::make_unique<TbsDataSkinCaption>(name);
    if (word == "animate") return std::make_unique<TbsDataSkinAnimate>(name);
    if (word == "userobject") return std::make_unique<TbsDataUserObject>(name);
    return nullptr;
}

template <class T>
bool IsA(const TbsDataSkinObject& o)
{
    return dynamic_cast<const T*>(&o) != nullptr;
}

// Class tests in the writer's order; a test holds for derived classes too.
std::string SkinObjectTypeWord(const TbsDataSkinObject& o)
{
    if (IsA<TbsDataSkinMenuItem>(o)) return "menuitem";
    if (IsA<TbsDataSkinMainMenuBarItem>(o)) return "mainmenubaritem";
    if (IsA<TbsDataSkinMainMenuBarButton>(o)) return "mainmenubarbutton";
    if (IsA<TbsDataSkinStdButton>(o)) return "stdbutton";
    if (IsA<TbsDataSkinButton>(o)) return "button";
    if (IsA<TbsDataSkinCaption>(o)) return "caption";
    if (IsA<TbsDataUserObject>(o)) return "userobject";
    if (IsA<TbsDataSkinAnimate>(o)) return "animate";
    return "";
}

// Splits a list entry at its first ":" into name and type word; false when
// it has no ":".
bool SplitEntry(const std::string& value, std::string& name, std::string& word)
{
    std::size_t p = value.find(':');
    if (p == std::string::npos) return false;
    name = value.substr(0, p);
    word = value.substr(p + 1);
    return true;
}

int ListCount(const TbsIniFile& ini, const char* section)
{
    int n = ini.ReadInteger(section, "count", 0);
    if (n > bsMaxListCount)
        throw EbsSkinDataError(std::string("Skin description: the count of ") + section + " is too large (" +
                               std::to_string(n) + ").");
    return n;
}

// ---- little-endian reading and writing of the inner stream ------------------

class InnerReader
{
public:
    InnerReader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
    std::int32_t Int(const char* what)
    {
        if (Left() < 4) Damaged(std::string("it ends before the ") + what);
        std::uint32_t v = std::uint32_t(p_[0]) | (std::uint32_t(p_[1]) << 8) | (std::uint32_t(p_[2]) << 16) |
                          (std::uint32_t(p_[3]) << 24);
        p_ += 4;
        return static_cast<std::int32_t>(v);
    }
    std::uint8_t Byte(const char* what)
    {
        if (Left() < 1) Damaged(std::string("it ends before the ") + what);
        return *p_++;
    }
    void Picture(TbsSkinPicture& pic, const char* what, TbsPictureBudget& budget)
    {
        std::size_t len;
        try
        {
            len = TbsSkinPicture::BmpFileSize(p_, Left());
            pic.LoadFromBmp(p_, len, &budget);
        }
        catch (const EbsSkinTooLarge&)
        {
            throw;
        }
        catch (const EbsSkinDataError& e)
        {
            Damaged(std::string("the ") + what + ": " + e.what());
        }
        p_ += len;
    }
    std::string Rest()
    {
        std::string s(reinterpret_cast<const char*>(p_), Left());
        p_ = end_;
        return s;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

void PutInt(std::vector<std::uint8_t>& out, std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    out.push_back(std::uint8_t(u));
    out.push_back(std::uint8_t(u >> 8));
    out.push_back(std::uint8_t(u >> 16));
    out.push_back(std::uint8_t(u >> 24));
}

void PutFlaggedPicture(std::vector<std::uint8_t>& out, const TbsSkinPicture& pic)
{
    out.push_back(pic.Empty() ? 1 : 0);
    if (!pic.Empty()) out.insert(out.end(), pic.BmpData().begin(), pic.BmpData().end());
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, std::size_t maxSize)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    const std::int64_t len = f.Size();
    if (len < 0 || static_cast<std::uint64_t>(len) > maxSize)
        throw EbsSkinDataError("File \"" + fileName + "\" is too large.");
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(len));
    if (len > 0) f.ReadBuffer(buf.data(), len);
    return buf;
}

// The compressed bytes of a container (version, length, bytes); a null
// start for a container of a newer format, which holds nothing this program
// reads.
std::pair<const std::uint8_t*, std::size_t> ContainerBytes(const std::uint8_t* data, std::size_t size)
{
    InnerReader r(data, size);
    if (r.Left() < 4) throw EReadError("Stream read error");
    if (r.Int("version") > 3) return {nullptr, 0};
    if (r.Left() < 4) throw EReadError("Stream read error");
    std::int32_t len = r.Int("length");
    if (len < 0 || static_cast<std::size_t>(len) > r.Left()) throw EReadError("Stream read error");
    return {data + 8, static_cast<std::size_t>(len)};
}

// Largest compressed skin accepted (the main window's skins are far smaller).
constexpr std::size_t kMaxCompressedSize = 64u << 20;
// Largest number of active pictures in a compressed skin.
constexpr int kMaxActivePictures = 4096;
} // namespace

TbsSkinFormsProvider bsSetSkinFormsProvider(TbsSkinFormsProvider provider)
{
    return std::exchange(FormsProvider(), std::move(provider));
}

// ---------------------------------------------------------------------------
// TbsResourceStrData

namespace
{
const char* const kDefaultResStrings[TbsResourceStrData::DefaultCount] = {
    "MI_MINCAPTION=Mi&nimize",
    "MI_MAXCAPTION=Ma&ximize",
    "MI_CLOSECAPTION=&Close",
    "MI_RESTORECAPTION=&Restore",
    "MI_MINTOTRAYCAPTION=Minimize to &Tray",
    "MI_ROLLUPCAPTION=Ro&llUp",
    "MINBUTTON_HINT=Minimize",
    "MAXBUTTON_HINT=Maximize",
    "CLOSEBUTTON_HINT=Close",
    "TRAYBUTTON_HINT=Minimize to Tray",
    "ROLLUPBUTTON_HINT=Roll Up",
    "MENUBUTTON_HINT=System menu",
    "RESTORE_HINT=Restore",
    "EDIT_UNDO=Undo",
    "EDIT_COPY=Copy",
    "EDIT_CUT=Cut",
    "EDIT_PASTE=Paste",
    "EDIT_DELETE=Delete",
    "EDIT_SELECTALL=Select All",
    "MSG_BTN_YES=&Yes",
    "MSG_BTN_NO=&No",
    "MSG_BTN_OK=OK",
    "MSG_BTN_CANCEL=Cancel",
    "MSG_BTN_ABORT=&Abort",
    "MSG_BTN_RETRY=&Retry",
    "MSG_BTN_IGNORE=&Ignore",
    "MSG_BTN_ALL=&All",
    "MSG_BTN_NOTOALL=N&oToAll",
    "MSG_BTN_YESTOALL=&YesToAll",
    "MSG_BTN_HELP=&Help",
    "MSG_BTN_OPEN=&Open",
    "MSG_BTN_SAVE=&Save",
    "MSG_BTN_CLOSE=Close",
    "MSG_BTN_BACK_HINT=Go To Last Folder Visited",
    "MSG_BTN_UP_HINT=Up One Level",
    "MSG_BTN_NEWFOLDER_HINT=Create New Folder",
    "MSG_BTN_VIEWMENU_HINT=View Menu",
    "MSG_BTN_STRETCH_HINT=Stretch Picture",
    "MSG_FILENAME=File name:",
    "MSG_FILETYPE=File type:",
    "MSG_NEWFOLDER=New Folder",
    "MSG_LV_DETAILS=Details",
    "MSG_LV_ICON=Large icons",
    "MSG_LV_SMALLICON=Small icons",
    "MSG_LV_LIST=List",
    "MSG_PREVIEWSKIN=Preview",
    "MSG_PREVIEWBUTTON=Button",
    "MSG_OVERWRITE=Do you want to overwrite old file?",
    "MSG_CAP_WARNING=Warning",
    "MSG_CAP_ERROR=Error",
    "MSG_CAP_INFORMATION=Information",
    "MSG_CAP_CONFIRM=Confirm",
    "MSG_CAP_SHOWFLAG=Do not display this message again",
    "CALC_CAP=Calculator",
    "ERROR=Error",
    "COLORGRID_CAP=Basic colors",
    "CUSTOMCOLORGRID_CAP=Custom colors",
    "ADDCUSTOMCOLORBUTTON_CAP=Add to Custom Colors",
    "FONTDLG_COLOR=Color:",
    "FONTDLG_NAME=Name:",
    "FONTDLG_SIZE=Size:",
    "FONTDLG_HEIGHT=Height:",
    "FONTDLG_EXAMPLE=Example",
    "FONTDLG_STYLE=Style",
    "FONTDLG_SCRIPT=Script:",
    "DB_DELETE_QUESTION=Delete record?",
    "DB_MULTIPLEDELETE_QUESTION=Delete all selected records?",
    "NODISKINDRIVE=There is no disk in Drive or Drive is not ready",
    "NOVALIDDRIVEID=Not a valid Drive ID",
    "FLV_NAME=Name",
    "FLV_SIZE=Size",
    "FLV_TYPE=Type",
    "FLV_LOOKIN=Look in: ",
    "FLV_MODIFIED=Modified",
    "FLV_ATTRIBUTES=Attributes",
    "FLV_DISKSIZE=Disk Size",
    "FLV_FREESPACE=Free Space",
    "PRNDLG_NAME=Name:",
    "PRNDLG_PRINTER=Printer",
    "PRNDLG_PROPERTIES=Properties...",
    "PRNDLG_TYPE=Type:",
    "PRNDLG_STATUS=Status:",
    "PRNDLG_WHERE=Where:",
    "PRNDLG_COMMENT=Comment:",
    "PRNDLG_PRINTRANGE=Print range",
    "PRNDLG_COPIES=Copies",
    "PRNDLG_NUMCOPIES=Number of copies:",
    "PRNDLG_COLLATE=Collate",
    "PRNDLG_ALL=All",
    "PRNDLG_PAGES=Pages",
    "PRNDLG_SELECTION=Selection",
    "PRNDLG_PRINTTOFILE=Print to file",
    "PRNDLG_FROM=From:",
    "PRNDLG_TO=To:",
    "PRNDLG_ORIENTATION=Orientation",
    "PRNDLG_PAPER=Paper",
    "PRNDLG_PORTRAIT=Portrait",
    "PRNDLG_LANDSCAPE=Landscape",
    "PRNDLG_SOURCE=Source:",
    "PRNDLG_SIZE=Size:",
    "PRNDLG_MARGINS=Margins (millimeters)",
    "PRNDLG_MARGINS_INCHES=Margins (inches)",
    "PRNDLG_LEFT=Left:",
    "PRNDLG_RIGHT=Right:",
    "PRNDLG_TOP=Top:",
    "PRNDLG_BOTTOM=Bottom:",
    "PRNDLG_WARNING=There are no printers in your system!",
    "FIND_NEXT=Find Next",
    "FIND_WHAT=Find what:",
    "FIND_DIRECTION=Direction",
    "FIND_DIRECTIONUP=Up",
    "FIND_DIRECTIONDOWN=Down",
    "FIND_MATCH_CASE=Match case",
    "FIND_MATCH_WHOLE_WORD_ONLY=Match whole word only",
    "FIND_REPLACE_WITH=Replace with:",
    "FIND_REPLACE=Replace",
    "FIND_REPLACE_All=Replace All",
    "FIND_REPLACE_CLOSE=Close",
    "MORECOLORS=More colors...",
    "AUTOCOLOR=Automatic",
    "CUSTOMCOLOR=Custom...",
    "DBNAV_FIRST=FIRST",
    "DBNAV_PRIOR=PRIOR",
    "DBNAV_NEXT=NEXT",
    "DBNAV_LAST=LAST",
    "DBNAV_INSERT=INSERT",
    "DBNAV_DELETE=DELETE",
    "DBNAV_EDIT=EDIT",
    "DBNAV_POST=POST",
    "DBNAV_CANCEL=CANCEL",
    "DBNAV_REFRESH=REFRESH",
};
} // namespace

TbsResourceStrData::TbsResourceStrData(TComponent* AOwner)
    : TComponent(AOwner), FResStrs(std::make_unique<TStringList>())
{
    AddDefaultStrings();
}

void TbsResourceStrData::SetResStrings(const std::vector<std::string>& lines)
{
    FResStrs->Clear();
    for (const std::string& line : lines) FResStrs->Add(line);
}

void TbsResourceStrData::AddDefaultStrings()
{
    for (const char* line : kDefaultResStrings) FResStrs->Add(line);
}

std::string TbsResourceStrData::GetResStr(const std::string& name) const
{
    for (int i = 0; i < FResStrs->Count(); ++i)
    {
        const std::string line = FResStrs->Strings(i);
        std::size_t eq = line.find('=');
        std::string key = eq == std::string::npos ? line : line.substr(0, eq);
        if (SameTextAscii(key, name)) return eq == std::string::npos ? std::string() : line.substr(eq + 1);
    }
    return "";
}

// ---------------------------------------------------------------------------
// TbsSkinContent

TbsSkinContent::TbsSkinContent() = default;
TbsSkinContent::TbsSkinContent(TbsSkinContent&&) noexcept = default;
TbsSkinContent& TbsSkinContent::operator=(TbsSkinContent&&) noexcept = default;
TbsSkinContent::~TbsSkinContent() = default;

const TbsSkinPicture* TbsSkinContent::ActivePicture(int index) const
{
    if (index < 0 || index >= ActivePicturesCount()) return nullptr;
    return FActivePictures[static_cast<std::size_t>(index)].get();
}

void TbsSkinContent::ClearContentObjects()
{
    ObjectList.clear();
    CtrlList.clear();
    FActivePictures.clear();
    FActivePicturesNames.clear();
    LayerFrame.PictureIndex = -1;
    PopupWindow.WindowPictureIndex = -1;
    HintWindow.WindowPictureIndex = -1;
    FSkinColors.SetColorsToDefault();
}

void TbsSkinContent::ReadHeaderSections(TbsIniFile& ini)
{
    SkinName = ini.ReadString("VERSION", "skinname", "");
    SkinAuthor = ini.ReadString("VERSION", "skinauthor", "");
    AuthorEmail = ini.ReadString("VERSION", "authoremail", "");
    AuthorURL = ini.ReadString("VERSION", "authorurl", "");
    SkinComments = ini.ReadString("VERSION", "skincomments", "");
    FPictureName = ini.ReadString("PICTURES", "picture", "");
    FInActivePictureName = ini.ReadString("PICTURES", "inactivepicture", "");
    FMaskName = ini.ReadString("PICTURES", "mask", "");
    FActivePicturesNames.clear();
    ReadStringsFromIni(ini, "PICTURES", "activepictures", FActivePicturesNames);
}

void TbsSkinContent::ReadBodySections(TbsIniFile& ini)
{
    // FORMINFO; the picture names are already read (the mask name matters).
    const char* S = "FORMINFO";
    LTPoint = ReadPointFromIni(ini, S, "lefttoppoint");
    RTPoint = ReadPointFromIni(ini, S, "righttoppoint");
    LBPoint = ReadPointFromIni(ini, S, "leftbottompoint");
    RBPoint = ReadPointFromIni(ini, S, "rightbottompoint");
    ClRect = ReadRectFromIni(ini, S, "clientrect");
    BGPictureIndex = ReadSkinValueFromIni(ini, S, "bgpictureindex", -1);
    MDIBGPictureIndex = ReadSkinValueFromIni(ini, S, "mdibgpictureindex", -1);
    LeftStretch = ReadBoolFromIni(ini, S, "leftstretch");
    RightStretch = ReadBoolFromIni(ini, S, "rightstretch");
    TopStretch = ReadBoolFromIni(ini, S, "topstretch");
    BottomStretch = ReadBoolFromIni(ini, S, "bottomstretch");
    StretchEffect = ReadBoolFromIni(ini, S, "stretcheffect");
    StretchType = ReadStretchTypeFromIni(ini, S, "stretchtype");
    MDIBGStretchEffect = ReadBoolFromIni(ini, S, "mdibgstretcheffect");
    MDIBGStretchType = ReadStretchTypeFromIni(ini, S, "mdibgstretchtype");
    MaskRectArea = ReadRectFromIni(ini, S, "maskrectarea");
    HitTestLTPoint = ReadPointFromIni(ini, S, "hittestlefttoppoint");
    HitTestRTPoint = ReadPointFromIni(ini, S, "hittestrighttoppoint");
    HitTestLBPoint = ReadPointFromIni(ini, S, "hittestleftbottompoint");
    HitTestRBPoint = ReadPointFromIni(ini, S, "hittestrightbottompoint");
    ButtonsRect = ReadRectFromIni(ini, S, "buttonsrect");
    CaptionRect = ReadRectFromIni(ini, S, "captionrect");
    FitFrameGeometry();
    if (!FMaskName.empty())
    {
        if (MaskRectArea.IsEmpty())
            MaskRectArea = ClRect;
        else
            MaskRectArea = TRect(std::min(MaskRectArea.Left, ClRect.Left), std::min(MaskRectArea.Top, ClRect.Top),
                                 std::max(MaskRectArea.Right, ClRect.Right),
                                 std::max(MaskRectArea.Bottom, ClRect.Bottom));
        auto fill = [](TPoint& hit, TPoint corner) {
            if (hit.X == 0 || hit.Y == 0) hit = corner;
        };
        fill(HitTestLTPoint, LTPoint);
        fill(HitTestRTPoint, RTPoint);
        fill(HitTestLBPoint, LBPoint);
        fill(HitTestRBPoint, RBPoint);
    }
    ButtonsOffset = ReadSkinValueFromIni(ini, S, "buttonsoffset", 0);
    CapButtonsInLeft = ReadBoolFromIni(ini, S, "buttonsinleft");
    MainMenuPopupUp = ReadBoolFromIni(ini, S, "mainmenupopupup");
    BorderW = ReadSkinValueFromIni(ini, S, "borderwidth", 0);
    FormMinWidth = ReadSkinValueFromIni(ini, S, "formminwidth", 0);
    MDITabsTransparent = ReadBoolFromIni(ini, S, "mditabstransparent");
    MainMenuBarTransparent = ReadBoolFromIni(ini, S, "mainmenubartransparent");
    AutoRenderingInActiveImage = ReadBoolFromIni(ini, S, "autorenderinginactiveimage");
    InActiveEffect = ReadInActiveEffectFromIni(ini, S, "inactiveeffect");
    if (RBPoint.X != LTPoint.X && RBPoint.Y != LTPoint.Y)
    {
        LTPoint.X = std::max(LTPoint.X, ClRect.Left);
        LTPoint.Y = std::max(LTPoint.Y, ClRect.Top);
        RTPoint.X = std::min(RTPoint.X, ClRect.Right);
        RTPoint.Y = std::max(RTPoint.Y, ClRect.Top);
        LBPoint.X = std::max(LBPoint.X, ClRect.Left);
        LBPoint.Y = std::min(LBPoint.Y, ClRect.Bottom);
        RBPoint.X = std::min(RBPoint.X, ClRect.Right);
        RBPoint.Y = std::min(RBPoint.Y, ClRect.Bottom);
    }

    PopupWindow.LoadFromFile(ini);
    LayerFrame.LoadFromFile(ini);
    HintWindow.LoadFromFile(ini);
    FSkinColors.LoadFromFile(ini);

    std::string name, word;
    int n = ListCount(ini, "SKINOBJECTS");
    for (int i = 0; i < n; ++i)
    {
        if (!SplitEntry(ini.ReadString("SKINOBJECTS", std::to_string(i), ""), name, word)) continue;
        if (auto obj = CreateSkinObject(word, name))
        {
            obj->LoadFromFile(ini);
            ObjectList.push_back(std::move(obj));
        }
    }
    n = ListCount(ini, "SKINCONTROLS");
    for (int i = 0; i < n; ++i)
    {
        if (!SplitEntry(ini.ReadString("SKINCONTROLS", std::to_string(i), ""), name, word)) continue;
        if (auto ctrl = bsCreateSkinControl(word, name))
        {
            ctrl->LoadFromFile(ini);
            CtrlList.push_back(std::move(ctrl));
        }
    }
    FitEntriesToPictures();
}

void TbsSkinContent::FitFrameGeometry()
{
    if (FPicture.Empty()) return;
    const int w = FPicture.Width(), h = FPicture.Height();
    auto cut = [w, h](TRect& r) {
        r = TRect(std::clamp(r.Left, 0, w), std::clamp(r.Top, 0, h), std::clamp(r.Right, 0, w),
                  std::clamp(r.Bottom, 0, h));
    };
    for (TRect* r : {&ClRect, &MaskRectArea, &ButtonsRect, &CaptionRect}) cut(*r);
    for (TPoint* p : {&LTPoint, &RTPoint, &LBPoint, &RBPoint, &HitTestLTPoint, &HitTestRTPoint, &HitTestLBPoint,
                      &HitTestRBPoint})
        bsFitPointToPicture(*p, w, h);
}

void TbsSkinContent::FitEntriesToPictures()
{
    auto fit = [this](auto& entry, int index) {
        if (const TbsSkinPicture* p = ActivePicture(index); p && !p->Empty()) entry.FitToPicture(p->Width(), p->Height());
    };
    for (auto& c : CtrlList) fit(*c, c->PictureIndex);
    fit(PopupWindow, PopupWindow.WindowPictureIndex);
    fit(HintWindow, HintWindow.WindowPictureIndex);
    fit(LayerFrame, LayerFrame.PictureIndex);
    // An object's skin rectangle lies in the frame picture or in its active
    // picture: what fits in neither cannot be drawn.
    for (auto& o : ObjectList)
    {
        const TbsSkinPicture* a = ActivePicture(o->ActivePictureIndex);
        const int w = std::max(FPicture.Width(), a ? a->Width() : 0), h = std::max(FPicture.Height(), a ? a->Height() : 0);
        if (w > 0 && h > 0) o->FitToPicture(w, h);
    }
}

void TbsSkinContent::WriteDescription(TbsIniFile& ini) const
{
    ini.EraseSection("VERSION");
    ini.WriteInteger("VERSION", "ver", 1);
    ini.WriteString("VERSION", "skinname", SkinName);
    ini.WriteString("VERSION", "skinauthor", SkinAuthor);
    ini.WriteString("VERSION", "authoremail", AuthorEmail);
    ini.WriteString("VERSION", "authorurl", AuthorURL);
    ini.WriteString("VERSION", "skincomments", SkinComments);

    ini.EraseSection("PICTURES");
    ini.WriteString("PICTURES", "picture", FPictureName);
    ini.WriteString("PICTURES", "inactivepicture", FInActivePictureName);
    ini.WriteString("PICTURES", "mask", FMaskName);
    WriteStringsToIni(ini, "PICTURES", "activepictures", FActivePicturesNames);

    const char* S = "FORMINFO";
    ini.EraseSection(S);
    WritePointToIni(ini, S, "lefttoppoint", LTPoint);
    WritePointToIni(ini, S, "righttoppoint", RTPoint);
    WritePointToIni(ini, S, "leftbottompoint", LBPoint);
    WritePointToIni(ini, S, "rightbottompoint", RBPoint);
    WriteRectToIni(ini, S, "clientrect", ClRect);
    ini.WriteInteger(S, "bgpictureindex", BGPictureIndex);
    ini.WriteInteger(S, "mdibgpictureindex", MDIBGPictureIndex);
    WriteBoolToIni(ini, S, "leftstretch", LeftStretch);
    WriteBoolToIni(ini, S, "rightstretch", RightStretch);
    WriteBoolToIni(ini, S, "topstretch", TopStretch);
    WriteBoolToIni(ini, S, "bottomstretch", BottomStretch);
    WriteBoolToIni(ini, S, "stretcheffect", StretchEffect);
    WriteStretchTypeToIni(ini, S, "stretchtype", StretchType);
    WriteBoolToIni(ini, S, "mdibgstretcheffect", MDIBGStretchEffect);
    WriteStretchTypeToIni(ini, S, "mdibgstretchtype", MDIBGStretchType);
    WriteRectToIni(ini, S, "maskrectarea", MaskRectArea);
    WritePointToIni(ini, S, "hittestlefttoppoint", HitTestLTPoint);
    WritePointToIni(ini, S, "hittestrighttoppoint", HitTestRTPoint);
    WritePointToIni(ini, S, "hittestleftbottompoint", HitTestLBPoint);
    WritePointToIni(ini, S, "hittestrightbottompoint", HitTestRBPoint);
    WriteRectToIni(ini, S, "buttonsrect", ButtonsRect);
    WriteRectToIni(ini, S, "captionrect", CaptionRect);
    ini.WriteInteger(S, "buttonsoffset", ButtonsOffset);
    WriteBoolToIni(ini, S, "buttonsinleft", CapButtonsInLeft);
    WriteBoolToIni(ini, S, "mainmenupopupup", MainMenuPopupUp);
    ini.WriteInteger(S, "borderwidth", BorderW);
    WriteBoolToIni(ini, S, "autorenderinginactiveimage", AutoRenderingInActiveImage);
    WriteInActiveEffectToIni(ini, S, "inactiveeffect", InActiveEffect);
    ini.WriteInteger(S, "formminwidth", FormMinWidth);
    WriteBoolToIni(ini, S, "mditabstransparent", MDITabsTransparent);
    WriteBoolToIni(ini, S, "mainmenubartransparent", MainMenuBarTransparent);

    // The descriptors' writers are not const (the up-down entry zeroes its
    // geometry, which it never keeps anyway).
    auto& self = const_cast<TbsSkinContent&>(*this);
    self.PopupWindow.SaveToFile(ini);
    self.LayerFrame.SaveToFile(ini);
    self.HintWindow.SaveToFile(ini);
    ini.EraseSection("SKINCOLORS");
    self.FSkinColors.SaveToFile(ini);

    ini.EraseSection("SKINOBJECTS");
    ini.WriteInteger("SKINOBJECTS", "count", static_cast<int>(ObjectList.size()));
    for (std::size_t i = 0; i < ObjectList.size(); ++i)
    {
        TbsDataSkinObject& o = *self.ObjectList[i];
        ini.WriteString("SKINOBJECTS", std::to_string(i), o.IDName + ":" + SkinObjectTypeWord(o));
        o.SaveToFile(ini);
    }
    ini.EraseSection("SKINCONTROLS");
    ini.WriteInteger("SKINCONTROLS", "count", static_cast<int>(CtrlList.size()));
    for (std::size_t i = 0; i < CtrlList.size(); ++i)
    {
        TbsDataSkinControl& c = *self.CtrlList[i];
        ini.WriteString("SKINCONTROLS", std::to_string(i), c.IDName + ":" + bsSkinControlTypeWord(c));
        c.SaveToFile(ini);
    }
}

// ---------------------------------------------------------------------------
// TbsSkinData

TbsSkinData::TbsSkinData(TComponent* AOwner) : TComponent(AOwner) {}

TbsSkinData::~TbsSkinData()
{
    Empty = true;
    ClearObjects();
}

void TbsSkinData::ClearObjects() { ClearContentObjects(); }

void TbsSkinData::ClearAll()
{
    ClearObjects();
    FPicture.Clear();
    FInActivePicture.Clear();
    FMask.Clear();
    FPictureName.clear();
    FInActivePictureName.clear();
    FMaskName.clear();
    Empty = true;
}

void TbsSkinData::ClearSkin()
{
    ClearAll();
    SendSkinDataMessage(BSM_SKINDATA_BEFORECHANGE);
    SendSkinDataMessage(BSM_SKINDATA_CHANGE);
    SendSkinDataMessage(BSM_SKINDATA_AFTERCHANGE);
}

void TbsSkinData::ApplyContent(TbsSkinContent&& content)
{
    // Once started, the change runs to its end so that no form is left with
    // its painting stopped; a receiver's error is raised afterwards.
    std::exception_ptr failure;
    auto send = [&](UINT msg) {
        try
        {
            SendSkinDataMessage(msg);
        }
        catch (...)
        {
            if (!failure) failure = std::current_exception();
        }
    };
    Empty = true;
    ChangeSkinDataProcess = true;
    send(BSM_SKINDATA_BEFORECHANGE);
    ClearAll();
    static_cast<TbsSkinContent&>(*this) = std::move(content);
    Empty = false;
    send(BSM_SKINDATA_CHANGE);
    ChangeSkinDataProcess = false;
    send(BSM_SKINDATA_AFTERCHANGE);
    if (failure) std::rethrow_exception(failure);
}

void TbsSkinData::LoadFromFile(const std::string& fileName)
{
    TbsIniFile ini = TbsIniFile::FromFile(fileName, false);
    if (!IsValidSkinIni(ini)) return;
    const std::string folder = FolderOf(fileName);
    TbsSkinContent c;
    TbsPictureBudget budget;
    c.ReadHeaderSections(ini);
    if (!c.FPictureName.empty()) c.FPicture.LoadFromFile(folder + c.FPictureName, &budget);
    if (!c.FInActivePictureName.empty()) c.FInActivePicture.LoadFromFile(folder + c.FInActivePictureName, &budget);
    if (!c.FMaskName.empty()) c.FMask.LoadFromFile(folder + c.FMaskName, &budget);
    for (const std::string& name : c.FActivePicturesNames)
    {
        auto pic = std::make_unique<TbsSkinPicture>();
        pic->LoadFromFile(folder + name, &budget);
        c.FActivePictures.push_back(std::move(pic));
    }
    c.ReadBodySections(ini);
    ApplyContent(std::move(c));
}

std::string TbsSkinData::DescriptionText() const
{
    TbsIniFile ini;
    WriteDescription(ini);
    return ini.GetText();
}

void TbsSkinData::SaveToFile(const std::string& fileName)
{
    TbsIniFile ini = TbsIniFile::FromFile(fileName, false);
    WriteDescription(ini);
    ini.SaveToFile(fileName);
}

void TbsSkinData::StoreToDisk(const std::string& fileName)
{
    SaveToFile(fileName);
    const std::string folder = FolderOf(fileName);
    // Pictures are written under the file-name part of their names only, so
    // a name from a description can never place a file outside the folder.
    auto write = [&](const TbsSkinPicture& pic, const std::string& name) {
        std::string file = NameOf(name);
        if (pic.Empty() || file.empty() || file == "." || file == "..") return;
        pic.SaveToFile(folder + file);
    };
    write(FPicture, FPictureName);
    write(FInActivePicture, FInActivePictureName);
    write(FMask, FMaskName);
    for (std::size_t i = 0; i < FActivePictures.size() && i < FActivePicturesNames.size(); ++i)
        write(*FActivePictures[i], FActivePicturesNames[i]);
}

bool TbsSkinData::LoadCompressedStoredSkin(const TbsCompressedStoredSkin* skin)
{
    if (skin == nullptr || skin->Empty()) return false;
    if (std::unique_ptr<TbsSkinContent> ahead = skin->TakeDecodedAhead())
    {
        ApplyContent(std::move(*ahead));
        return true;
    }
    std::vector<std::uint8_t> inner;
    skin->DeCompressToStream(inner);
    if (inner.size() < 4) Damaged("it is too short");
    InnerReader r(inner.data(), inner.size());
    if (r.Int("version") > 3) return false;
    ApplyContent(TbsCompressedStoredSkin::ReadInnerStream(inner));
    return true;
}

void TbsSkinData::LoadStoredSkinOrRaise(const TbsCompressedStoredSkin* skin)
{
    if (LoadCompressedStoredSkin(skin)) return;
    if (skin == nullptr || skin->Empty()) throw EbsSkinDataError("The stored skin holds no skin.");
    throw EbsSkinDataError("The stored skin is of a newer format than this program reads.");
}

void TbsSkinData::LoadFromCompressedFile(const std::string& fileName)
{
    TbsCompressedStoredSkin tmp;
    tmp.LoadFromCompressFile(fileName);
    if (!tmp.Empty()) LoadCompressedStoredSkin(&tmp);
}

void TbsSkinData::SaveToCompressedFile(const std::string& fileName)
{
    TbsCompressedStoredSkin tmp;
    tmp.LoadFromSkinData(*this);
    tmp.SaveToCompressFile(fileName);
}

int TbsSkinData::GetIndex(const std::string& name) const
{
    for (std::size_t i = 0; i < ObjectList.size(); ++i)
        if (ObjectList[i]->IDName == name) return static_cast<int>(i);
    return -1;
}

int TbsSkinData::GetControlIndex(const std::string& name) const
{
    for (std::size_t i = 0; i < CtrlList.size(); ++i)
        if (CtrlList[i]->IDName == name) return static_cast<int>(i);
    return -1;
}

void TbsSkinData::AddBitMap(const std::string& fileName)
{
    auto pic = std::make_unique<TbsSkinPicture>();
    pic->LoadFromFile(fileName);
    FActivePicturesNames.push_back(NameOf(fileName));
    FActivePictures.push_back(std::move(pic));
}

void TbsSkinData::DeleteBitMap(int index)
{
    if (index < 0 || index >= ActivePicturesCount() ||
        index >= static_cast<int>(FActivePicturesNames.size()))
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    FActivePictures.erase(FActivePictures.begin() + index);
    FActivePicturesNames.erase(FActivePicturesNames.begin() + index);
}

void TbsSkinData::SendSkinDataMessage(UINT msg)
{
    // Every form receives the message even when one of them fails; the first
    // error is raised once all have been served.
    std::exception_ptr failure;
    auto deliver = [&](const TbsSkinFormTarget& f) {
        if (!f.Send) return;
        try
        {
            f.Send(msg, reinterpret_cast<WPARAM>(this), BS_SKINDATA_LPARAM);
        }
        catch (...)
        {
            if (!failure) failure = std::current_exception();
        }
    };
    const TComponent* served = nullptr;
    std::vector<TbsSkinFormTarget> forms;
    forms = FormsProvider() ? FormsProvider()() : bsScreenForms();
    // The owner is served first when it is one of the forms.
    if (Owner() != nullptr && !FShowLayeredBorders)
    {
        for (const TbsSkinFormTarget& f : forms)
            if (f.Form == Owner())
            {
                deliver(f);
                served = Owner();
                break;
            }
    }
    std::vector<const TbsSkinFormTarget*> targets;
    for (const TbsSkinFormTarget& f : forms)
        if ((served == nullptr || f.Form != served) && f.ClassName != "TbsFormLayerWindow") targets.push_back(&f);
    if (!FShowLayeredBorders || LayerFrame.PictureIndex == -1)
    {
        for (const TbsSkinFormTarget* f : targets) deliver(*f);
    }
    else
    {
        for (auto it = targets.rbegin(); it != targets.rend(); ++it) deliver(**it);
    }
    if (failure) std::rethrow_exception(failure);
}

void TbsSkinData::SetSkinIndex(int index)
{
    if (index == FCompressedSkinIndex) return;
    if (FCompressedSkinList == nullptr)
    {
        FCompressedSkinIndex = index;
        return;
    }
    if (index < 0 || index >= FCompressedSkinList->Count()) return;
    // The index follows the skin actually loaded: a stored skin that cannot
    // be loaded raises before it and leaves index and skin as they were.
    if (!Designing()) LoadStoredSkinOrRaise(FCompressedSkinList->Item(index)->Skin());
    FCompressedSkinIndex = index;
}

void TbsSkinData::SetSkinList(TbsCompressedSkinList* list)
{
    if (FCompressedSkinList != nullptr) FCompressedSkinList->RemoveFreeNotification(this);
    FCompressedSkinList = list;
    if (list != nullptr) list->FreeNotification(this);
    if (!Designing() && list != nullptr && FCompressedSkinIndex >= 0 && FCompressedSkinIndex < list->Count())
        LoadStoredSkinOrRaise(list->Item(FCompressedSkinIndex)->Skin());
}

void TbsSkinData::SetCompressedStoredSkin(TbsCompressedStoredSkin* skin)
{
    // The link follows the skin actually loaded, as the index does.
    if (!Designing() && skin != nullptr) LoadStoredSkinOrRaise(skin);
    if (FCompressedStoredSkin != nullptr) FCompressedStoredSkin->RemoveFreeNotification(this);
    FCompressedStoredSkin = skin;
    if (skin != nullptr) skin->FreeNotification(this);
}

void TbsSkinData::SetResourceStrData(TbsResourceStrData* data)
{
    if (FResourceStrData != nullptr) FResourceStrData->RemoveFreeNotification(this);
    FResourceStrData = data;
    if (data != nullptr) data->FreeNotification(this);
    if (!Designing()) SendSkinDataMessage(BSM_RESSTRDATA_CHANGE);
}

void TbsSkinData::SetSkinnableForm(bool v)
{
    if (v == FSkinnableForm) return;
    FSkinnableForm = v;
    if (!Designing() && !Loading()) SendSkinDataMessage(BSM_SKINNABLEFORM_CHANGE);
}

void TbsSkinData::SetShowLayeredBorders(bool v)
{
    if (v == FShowLayeredBorders) return;
    FShowLayeredBorders = v;
    if (!Designing() && !Loading()) SendSkinDataMessage(BSM_LAYEREDBORDERS_CHANGE);
}

void TbsSkinData::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent == nullptr) return;
    if (AComponent == FCompressedStoredSkin) FCompressedStoredSkin = nullptr;
    if (AComponent == FResourceStrData) FResourceStrData = nullptr;
    if (AComponent == FCompressedSkinList) FCompressedSkinList = nullptr;
}

// ---------------------------------------------------------------------------
// TbsCompressedStoredSkin

TbsSkinContent TbsCompressedStoredSkin::ReadInnerStream(const std::vector<std::uint8_t>& inner)
{
    InnerReader r(inner.data(), inner.size());
    const std::int32_t version = r.Int("version");
    if (version > 3) Damaged("its format version " + std::to_string(version) + " is newer than this program reads");
    TbsSkinContent c;
    TbsPictureBudget budget;
    auto flagged = [&](TbsSkinPicture& pic, const char* what) {
        if (r.Byte(what) == 0) r.Picture(pic, what, budget);
    };
    flagged(c.FPicture, "main picture");
    flagged(c.FInActivePicture, "inactive picture");
    flagged(c.FMask, "mask");
    if (version == 2)
    {
        TbsSkinPicture skipped;
        flagged(skipped, "extra picture");
        flagged(skipped, "extra picture");
    }
    const std::int32_t count = r.Int("count of active pictures");
    // Every picture takes at least a BMP header, so a count is also bounded
    // by the bytes that remain.
    if (count < 0 || count > kMaxActivePictures || static_cast<std::size_t>(count) * 26 > r.Left())
        Damaged("the count of active pictures (" + std::to_string(count) + ") is not possible");
    for (std::int32_t i = 0; i < count; ++i)
    {
        auto pic = std::make_unique<TbsSkinPicture>();
        r.Picture(*pic, "active picture", budget);
        c.FActivePictures.push_back(std::move(pic));
    }
    TbsIniFile ini(r.Rest());
    c.ReadHeaderSections(ini);
    // Names pair with the pictures by position; keep the two lists the same
    // length whatever the text says.
    c.FActivePicturesNames.resize(c.FActivePictures.size());
    c.ReadBodySections(ini);
    return c;
}

TbsSkinContent TbsCompressedStoredSkin::DecodeCompressStream(const std::uint8_t* data, std::size_t size)
{
    const auto [start, len] = ContainerBytes(data, size);
    if (start == nullptr) Damaged("it is of a newer format than this program reads");
    const std::vector<std::uint8_t> inner = bsDecompressBytes(start, len, TbsSkinData::MaxInnerSize);
    return ReadInnerStream(inner);
}

std::unique_ptr<TbsSkinContent> TbsCompressedStoredSkin::TakeDecodedAhead() const
{
    if (!FDecodedAhead.valid()) return nullptr;
    try
    {
        return std::make_unique<TbsSkinContent>(FDecodedAhead.get());
    }
    catch (...)
    {
        return nullptr;
    }
}

void TbsCompressedStoredSkin::LoadFromSkinData(const TbsSkinData& data)
{
    FDecodedAhead = {};
    std::vector<std::uint8_t> inner;
    PutInt(inner, 3);
    PutFlaggedPicture(inner, data.FPicture);
    PutFlaggedPicture(inner, data.FInActivePicture);
    PutFlaggedPicture(inner, data.FMask);
    PutInt(inner, data.ActivePicturesCount());
    for (const auto& pic : data.FActivePictures)
        inner.insert(inner.end(), pic->BmpData().begin(), pic->BmpData().end());
    std::string text = data.DescriptionText();
    inner.insert(inner.end(), text.begin(), text.end());
    FCompressedStream = bsCompressBytes(inner.data(), inner.size(), TCompressionLevel::clMax);
}

void TbsCompressedStoredSkin::LoadFromIniFile(const std::string& fileName)
{
    FDecodedAhead = {};
    std::vector<std::uint8_t> raw = ReadWholeFile(fileName, TbsIniFile::MaxTextSize);
    TbsIniFile ini(std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()));
    if (!IsValidSkinIni(ini)) return;
    const std::string folder = FolderOf(fileName);
    std::vector<std::uint8_t> inner;
    TbsPictureBudget budget;
    PutInt(inner, 3);
    for (const char* key : {"picture", "inactivepicture", "mask"})
    {
        TbsSkinPicture pic;
        std::string name = ini.ReadString("PICTURES", key, "");
        if (!name.empty()) pic.LoadFromFile(folder + name, &budget);
        PutFlaggedPicture(inner, pic);
    }
    std::vector<std::string> names;
    ReadStringsFromIni(ini, "PICTURES", "activepictures", names);
    PutInt(inner, static_cast<std::int32_t>(names.size()));
    for (const std::string& name : names)
    {
        TbsSkinPicture pic;
        pic.LoadFromFile(folder + name, &budget);
        inner.insert(inner.end(), pic.BmpData().begin(), pic.BmpData().end());
    }
    inner.insert(inner.end(), raw.begin(), raw.end());
    FCompressedStream = bsCompressBytes(inner.data(), inner.size(), TCompressionLevel::clMax);
}

void TbsCompressedStoredSkin::LoadFromCompressStream(const std::uint8_t* data, std::size_t size)
{
    FCompressedStream.clear();
    FDecodedAhead = {};
    const auto [start, len] = ContainerBytes(data, size);
    if (start != nullptr) FCompressedStream.assign(start, start + len);
}

void TbsCompressedStoredSkin::LoadFromCompressFile(const std::string& fileName)
{
    FCompressedStream.clear();
    FDecodedAhead = {};
    std::vector<std::uint8_t> raw = ReadWholeFile(fileName, kMaxCompressedSize + 8);
    LoadFromCompressStream(raw.data(), raw.size());
}

std::vector<std::uint8_t> TbsCompressedStoredSkin::SaveToCompressStream() const
{
    std::vector<std::uint8_t> out;
    PutInt(out, 3);
    PutInt(out, static_cast<std::int32_t>(FCompressedStream.size()));
    out.insert(out.end(), FCompressedStream.begin(), FCompressedStream.end());
    return out;
}

void TbsCompressedStoredSkin::SaveToCompressFile(const std::string& fileName) const
{
    if (Empty()) return;
    TFileStream f(fileName, fmCreate);
    SaveToCompressStream(f);
}

void TbsCompressedStoredSkin::DeCompressToStream(std::vector<std::uint8_t>& out) const
{
    std::vector<std::uint8_t> inner =
        bsDecompressBytes(FCompressedStream.data(), FCompressedStream.size(), TbsSkinData::MaxInnerSize);
    // Fresh memory is dear: an empty target takes the bytes without a copy.
    if (out.empty()) out = std::move(inner);
    else out.insert(out.end(), inner.begin(), inner.end());
}

void TbsCompressedStoredSkin::LoadFromCompressStream(TStream& stream)
{
    FCompressedStream.clear();
    FDecodedAhead = {};
    stream.SetPosition(0);
    std::int32_t head[2];
    stream.ReadBuffer(&head[0], 4);
    if (head[0] > 3) return;
    stream.ReadBuffer(&head[1], 4);
    const std::int64_t left = stream.Size() - stream.Position();
    if (head[1] < 0 || head[1] > left) throw EReadError("Stream read error");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(head[1]));
    if (!data.empty()) stream.ReadBuffer(data.data(), head[1]);
    FCompressedStream = std::move(data);
}

void TbsCompressedStoredSkin::SaveToCompressStream(TStream& stream) const
{
    std::vector<std::uint8_t> out = SaveToCompressStream();
    stream.WriteBuffer(out.data(), static_cast<std::int64_t>(out.size()));
}

void TbsCompressedStoredSkin::DeCompressToStream(TStream& out) const
{
    std::vector<std::uint8_t> inner;
    DeCompressToStream(inner);
    if (!inner.empty()) out.WriteBuffer(inner.data(), static_cast<std::int64_t>(inner.size()));
}

void TbsCompressedStoredSkin::SetFileName(const std::string& name)
{
    if ((ComponentState() & csDesigning) && !(ComponentState() & csLoading))
    {
        LoadFromIniFile(name);
        FFileName = NameOf(name);
    }
    else
        FFileName = name;
}

void TbsCompressedStoredSkin::SetCompressedFileName(const std::string& name)
{
    if ((ComponentState() & csDesigning) && !(ComponentState() & csLoading))
    {
        LoadFromCompressFile(name);
        FCompressedFileName = NameOf(name);
    }
    else
        FCompressedFileName = name;
}

// ---------------------------------------------------------------------------
// Skin list

TbsSkinListItem::TbsSkinListItem(TCollection* Collection) : TCollectionItem(Collection)
{
    Name = "bsSkin" + std::to_string(Index());
}

bool TbsSkinListItem::DesignEdit() const
{
    auto* items = dynamic_cast<TbsSkinListItems*>(Collection());
    if (items == nullptr || items->SkinList() == nullptr) return false;
    TComponentState st = items->SkinList()->ComponentState();
    return (st & csDesigning) && !(st & csLoading);
}

void TbsSkinListItem::SetFileName(const std::string& name)
{
    if (DesignEdit())
    {
        FSkin.LoadFromIniFile(name);
        FFileName = NameOf(name);
    }
    else
        FFileName = name;
}

void TbsSkinListItem::SetCompressedFileName(const std::string& name)
{
    if (DesignEdit())
    {
        FSkin.LoadFromCompressFile(name);
        FCompressedFileName = NameOf(name);
    }
    else
        FCompressedFileName = name;
}

void TbsSkinListItem::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TbsSkinListItem*>(Source);
    if (src == nullptr)
    {
        TCollectionItem::Assign(Source);
        return;
    }
    Name = src->Name;
    Description = src->Description;
    FFileName = src->FFileName;
    FCompressedFileName = src->FCompressedFileName;
    FSkin.SetCompressedData(src->FSkin.CompressedData());
    FSkin.Description = src->FSkin.Description;
}

TbsSkinListItems::TbsSkinListItems(TbsCompressedSkinList* list)
    : TOwnedCollection(list, CollectionItemClass<TbsSkinListItem>()), FSkinList(list)
{
}

TbsCompressedSkinList::TbsCompressedSkinList(TComponent* AOwner)
    : TComponent(AOwner), FSkins(new TbsSkinListItems(this))
{
}

TbsCompressedSkinList::~TbsCompressedSkinList() { delete FSkins; }
