// The skin store: holds the current skin (pictures, frame geometry, skin
// objects and control entries), reads and writes skin descriptions and
// compressed skins, and tells every form when the skin changes.
//
// Loading is transactional: a skin is read and checked completely into a new
// object first; only when that succeeds are the change messages sent and the
// new skin swapped in. A damaged skin raises a clear error and leaves the
// current skin and every form as they were.
#pragma once
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinData/Ctrls.h"
#include "lib/bsSkinData/Ini.h"
#include "lib/bsSkinData/Objects.h"
#include "lib/bsSkinData/Picture.h"
#include "lib/bszlibcompress.h"
#include "platform/core/Types.h"
#include "platform/gui/Classes.h"
#include "platform/gui/Strings.h"

// Window messages of the skin library (user range; WPARAM is the sending
// store, LPARAM is 1000 for the skin-change messages).
constexpr UINT BSM_SKINDATA_BEFORECHANGE = 1225;
constexpr UINT BSM_SKINDATA_CHANGE = 1226;
constexpr UINT BSM_SKINDATA_AFTERCHANGE = 1227;
constexpr UINT BSM_RESSTRDATA_CHANGE = 1274;
constexpr UINT BSM_SKINNABLEFORM_CHANGE = 1294;
constexpr UINT BSM_LAYEREDBORDERS_CHANGE = 1427;
// Paint a control or a form's frame into the DC in WPARAM (answered 12851);
// the second one only with 16802 in LPARAM, answered with it.
constexpr UINT BSM_PRINTTODC = 45513;
constexpr UINT BSM_PRINTTODC2 = 48203;
constexpr LPARAM BS_SKINDATA_LPARAM = 1000;

class TbsSkinData;
class TbsCompressedStoredSkin;
class TbsCompressedSkinList;
class TbsResourceStrData;

// ---------------------------------------------------------------------------
// Receivers of the store's broadcasts

// One top-level form as the broadcast sees it.
struct TbsSkinFormTarget
{
    // The form as a component, compared with the store's owner.
    const TComponent* Form = nullptr;
    // Class name of the form; "TbsFormLayerWindow" forms receive nothing.
    std::string ClassName;
    // Sends a message synchronously to the form's window.
    std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)> Send;
};

// The application's forms, first to last. Asking for the list creates the
// windows of forms that have none yet.
using TbsSkinFormsProvider = std::function<std::vector<TbsSkinFormTarget>()>;
// Installs the source of forms the broadcast walks (test forms in tests);
// returns the previous one. Without one the broadcast walks the screen's forms.
TbsSkinFormsProvider bsSetSkinFormsProvider(TbsSkinFormsProvider provider);
// The screen's forms, first to last (asking makes their windows).
std::vector<TbsSkinFormTarget> bsScreenForms();

// ---------------------------------------------------------------------------
// UI string table

class TbsResourceStrData : public TComponent
{
public:
    // Number of default lines.
    static constexpr int DefaultCount = 131;

    explicit TbsResourceStrData(TComponent* AOwner = nullptr);

    // Lines NAME=value.
    TStrings* ResStrings() const { return FResStrs.get(); }
    // Replaces the lines with a copy of the given ones.
    void SetResStrings(const TStrings* lines) { FResStrs->Assign(lines); }
    void SetResStrings(const std::vector<std::string>& lines);
    std::uint8_t CharSet() const { return FCharSet; }
    void SetCharSet(std::uint8_t c) { FCharSet = c; }

    // Value of the first line whose name equals `name` without regard to
    // letter case (everything after the line's first "="); empty when none.
    std::string GetResStr(const std::string& name) const;
    void AddDefaultStrings();

private:
    std::unique_ptr<TStringList> FResStrs;
    std::uint8_t FCharSet = 1;
};

// ---------------------------------------------------------------------------
// Skin content: everything a loaded skin consists of

class TbsSkinContent
{
public:
    TbsSkinContent();
    TbsSkinContent(TbsSkinContent&&) noexcept;
    TbsSkinContent& operator=(TbsSkinContent&&) noexcept;
    ~TbsSkinContent();

    int ActivePicturesCount() const { return static_cast<int>(FActivePictures.size()); }
    // Active picture by number; null for a number outside the list.
    const TbsSkinPicture* ActivePicture(int index) const;

    // Pictures and their names.
    TbsSkinPicture FPicture, FInActivePicture, FMask;
    std::vector<std::unique_ptr<TbsSkinPicture>> FActivePictures;
    std::string FPictureName, FInActivePictureName, FMaskName;
    std::vector<std::string> FActivePicturesNames;

    // Skin objects and control entries, in list order.
    std::vector<std::unique_ptr<TbsDataSkinObject>> ObjectList;
    std::vector<std::unique_ptr<TbsDataSkinControl>> CtrlList;

    // Frame sections.
    TbsSkinColors FSkinColors;
    TbsDataSkinPopupWindow PopupWindow;
    TbsDataSkinLayerFrame LayerFrame;
    TbsDataSkinHintWindow HintWindow;

    // FORMINFO.
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    int BGPictureIndex = -1, MDIBGPictureIndex = -1;
    bool LeftStretch = false, RightStretch = false, TopStretch = false, BottomStretch = false,
         StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    bool MDIBGStretchEffect = false;
    TbsStretchType MDIBGStretchType = bsstFull;
    TRect MaskRectArea;
    TPoint HitTestLTPoint, HitTestRTPoint, HitTestLBPoint, HitTestRBPoint;
    TRect ButtonsRect, CaptionRect;
    int ButtonsOffset = 0;
    bool CapButtonsInLeft = false, MainMenuPopupUp = false;
    int BorderW = 0;
    bool AutoRenderingInActiveImage = false;
    TbsInActiveEffect InActiveEffect = ieBrightness;
    int FormMinWidth = 0;
    bool MDITabsTransparent = false, MainMenuBarTransparent = false;

    // VERSION.
    std::string SkinName, SkinAuthor, AuthorURL, AuthorEmail, SkinComments;

protected:
    // Reads VERSION, the picture names of PICTURES and the active picture
    // names (not the pictures).
    void ReadHeaderSections(TbsIniFile& ini);
    // Reads FORMINFO, the frame sections and both lists, and fits their
    // geometry to the pictures already read.
    void ReadBodySections(TbsIniFile& ini);
    // Moves the frame's points into the frame picture and cuts its rects to it.
    void FitFrameGeometry();
    // Every entry's rects and points fitted to the picture it draws from: a
    // piece that does not lie in it is emptied and so skipped when drawn.
    void FitEntriesToPictures();
    // Writes the whole description in the writer's section order.
    void WriteDescription(TbsIniFile& ini) const;
    // Frees the lists and active pictures and resets the frame sections the
    // way a cleared store has them.
    void ClearContentObjects();

    friend class TbsSkinData;
    friend class TbsCompressedStoredSkin;
};

// ---------------------------------------------------------------------------
// The store

class TbsSkinData : public TComponent, public TbsSkinContent
{
public:
    // Largest inner stream of a compressed skin accepted.
    static constexpr std::size_t MaxInnerSize = 64u << 20;

    // When the owner is a form, the broadcast serves it first unless layered
    // borders are on.
    explicit TbsSkinData(TComponent* AOwner = nullptr);
    ~TbsSkinData() override;

    // Loading and saving. Every load raises on damaged data and then leaves
    // the store unchanged.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void StoreToDisk(const std::string& fileName);
    // False, with nothing changed and nothing sent, for a stored skin that
    // holds no skin or is of a newer format; true when the skin was loaded.
    bool LoadCompressedStoredSkin(const TbsCompressedStoredSkin* skin);
    void LoadFromCompressedFile(const std::string& fileName);
    void SaveToCompressedFile(const std::string& fileName);

    void ClearSkin();
    void ClearAll();
    void ClearObjects();

    int GetIndex(const std::string& name) const;
    int GetControlIndex(const std::string& name) const;
    void AddBitMap(const std::string& fileName);
    void DeleteBitMap(int index);

    void SendSkinDataMessage(UINT msg);

    // Properties.
    TbsCompressedSkinList* SkinList() const { return FCompressedSkinList; }
    // Links the list and loads its entry at SkinIndex (when there is one);
    // an entry that cannot be loaded raises, the skin staying as it was.
    void SetSkinList(TbsCompressedSkinList* list);
    int SkinIndex() const { return FCompressedSkinIndex; }
    // With a list, an index whose stored skin cannot be loaded (damaged,
    // empty, of a newer format) raises and leaves index and skin as they were.
    void SetSkinIndex(int index);
    TbsCompressedStoredSkin* CompressedStoredSkin() const { return FCompressedStoredSkin; }
    // Loads the stored skin and links it; one that cannot be loaded raises
    // and leaves link and skin as they were.
    void SetCompressedStoredSkin(TbsCompressedStoredSkin* skin);
    TbsResourceStrData* ResourceStrData() const { return FResourceStrData; }
    void SetResourceStrData(TbsResourceStrData* data);
    bool SkinnableForm() const { return FSkinnableForm; }
    void SetSkinnableForm(bool v);
    bool ShowLayeredBorders() const { return FShowLayeredBorders; }
    void SetShowLayeredBorders(bool v);
    bool EnableSkinEffects = true;
    bool ShowButtonGlowFrames = true;
    bool ShowCaptionButtonGlowFrames = true;
    bool AnimationForAllWindows = false;

    // Removal of a linked component clears the link to it.
    void Notification(TComponent* AComponent, TOperation Operation) override;

    bool Empty = true;
    bool ChangeSkinDataProcess = false;

    // The description of the current skin as ini text (what SaveToFile writes
    // into an empty file).
    std::string DescriptionText() const;

private:
    // Swaps a completely read skin in, with the three change messages.
    void ApplyContent(TbsSkinContent&& content);
    // LoadCompressedStoredSkin, raising a clear error where it would return
    // without loading (the skin then stays as it was).
    void LoadStoredSkinOrRaise(const TbsCompressedStoredSkin* skin);
    bool Designing() const { return (ComponentState() & csDesigning) != 0; }
    bool Loading() const { return (ComponentState() & csLoading) != 0; }

    TbsCompressedSkinList* FCompressedSkinList = nullptr;
    int FCompressedSkinIndex = 0;
    TbsCompressedStoredSkin* FCompressedStoredSkin = nullptr;
    TbsResourceStrData* FResourceStrData = nullptr;
    bool FSkinnableForm = true;
    bool FShowLayeredBorders = true;

    friend class TbsCompressedStoredSkin;
};

// ---------------------------------------------------------------------------
// Compressed skins

// One skin as a single zlib stream.
class TbsCompressedStoredSkin : public TComponent
{
public:
    explicit TbsCompressedStoredSkin(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    bool Empty() const { return FCompressedStream.empty(); }
    // The compressed bytes (the raw-data property "CompressedData").
    const std::vector<std::uint8_t>& CompressedData() const { return FCompressedStream; }
    void SetCompressedData(std::vector<std::uint8_t> data)
    {
        FCompressedStream = std::move(data);
        FDecodedAhead = {};
    }

    void LoadFromSkinData(const TbsSkinData& data);
    void LoadFromIniFile(const std::string& fileName);
    void LoadFromCompressFile(const std::string& fileName);
    void SaveToCompressFile(const std::string& fileName) const;
    // Outer container: version, length, compressed bytes.
    void LoadFromCompressStream(const std::uint8_t* data, std::size_t size);
    void LoadFromCompressStream(const std::vector<std::uint8_t>& data)
    {
        LoadFromCompressStream(data.data(), data.size());
    }
    std::vector<std::uint8_t> SaveToCompressStream() const;
    // The same on platform streams: the container is read from the start of
    // the stream and written at its position.
    void LoadFromCompressStream(TStream& stream);
    void SaveToCompressStream(TStream& stream) const;
    // Inflates the compressed stream and appends the inner stream to `out`.
    void DeCompressToStream(std::vector<std::uint8_t>& out) const;
    void DeCompressToStream(TStream& out) const;

    std::string Description;
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& name);
    const std::string& CompressedFileName() const { return FCompressedFileName; }
    void SetCompressedFileName(const std::string& name);

    // Reads and checks a whole inner stream into a skin; raises on damage.
    static TbsSkinContent ReadInnerStream(const std::vector<std::uint8_t>& inner);
    // Reads a whole container (version, length, compressed bytes) into a
    // skin; raises on damage or a newer format. Touches nothing shared, so
    // any thread may call it.
    static TbsSkinContent DecodeCompressStream(const std::uint8_t* data, std::size_t size);
    // The skin of these very bytes, decoded ahead on another thread (from
    // the container they were loaded from): the next load takes it instead
    // of decoding again, waiting for it when it is not ready. A decoding
    // that failed is ignored and the load decodes as usual, so its result
    // and its errors are the same either way. New bytes drop it.
    void SetDecodedAhead(std::future<TbsSkinContent> decoded) { FDecodedAhead = std::move(decoded); }
    // The skin decoded ahead, once; null when there is none or it failed.
    std::unique_ptr<TbsSkinContent> TakeDecodedAhead() const;

private:
    std::string FFileName, FCompressedFileName;
    std::vector<std::uint8_t> FCompressedStream;
    mutable std::future<TbsSkinContent> FDecodedAhead;
};

class TbsSkinListItems;

// An item of a skin list: a named stored skin.
class TbsSkinListItem : public TCollectionItem
{
public:
    explicit TbsSkinListItem(TCollection* Collection);

    TbsCompressedStoredSkin* Skin() { return &FSkin; }
    const TbsCompressedStoredSkin* Skin() const { return &FSkin; }

    std::string Name;
    std::string Description;
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& name);
    const std::string& CompressedFileName() const { return FCompressedFileName; }
    void SetCompressedFileName(const std::string& name);
    // The raw-data property "Skin" (an outer container).
    std::vector<std::uint8_t> SkinData() const { return FSkin.SaveToCompressStream(); }
    void SetSkinData(const std::vector<std::uint8_t>& data) { FSkin.LoadFromCompressStream(data); }

    std::string DisplayName() const override { return Name; }
    void SetDisplayName(const std::string& Value) override { Name = Value; }
    void Assign(const TPersistent* Source) override;

private:
    // Whether the owning list is designed and its form data are not loading.
    bool DesignEdit() const;

    TbsCompressedStoredSkin FSkin;
    std::string FFileName, FCompressedFileName;
};

// The items of a skin list.
class TbsSkinListItems : public TOwnedCollection
{
public:
    explicit TbsSkinListItems(TbsCompressedSkinList* list);
    TbsSkinListItem* GetItem(int index) const { return static_cast<TbsSkinListItem*>(Items(index)); }
    TbsSkinListItem* AddItem() { return static_cast<TbsSkinListItem*>(Add()); }
    TbsCompressedSkinList* SkinList() const { return FSkinList; }

private:
    TbsCompressedSkinList* FSkinList;
};

// The list of stored skins of a window.
class TbsCompressedSkinList : public TComponent
{
public:
    explicit TbsCompressedSkinList(TComponent* AOwner = nullptr);
    ~TbsCompressedSkinList() override;

    TbsSkinListItems* Skins() const { return FSkins; }
    // Copies the items of the given collection.
    void SetSkins(const TbsSkinListItems* skins) { FSkins->Assign(skins); }

    int Count() const { return FSkins->Count(); }
    TbsSkinListItem* Item(int index) const { return FSkins->GetItem(index); }
    // Appends an item named "bsSkin<position>".
    TbsSkinListItem* Add() { return FSkins->AddItem(); }
    void Delete(int index) { FSkins->Delete(index); }

private:
    TbsSkinListItems* FSkins;
};
