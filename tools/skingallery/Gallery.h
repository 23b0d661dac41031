// The skin gallery: one page per skin showing the skinned form frame (active
// and inactive) and every look of the skin in every state, composed from the
// skin's descriptors with the skin library's own composition routines.
//
// A page is a list of gallery entries drawn one below the other. Each entry
// is a function that draws into a GalleryPage; the entries are listed in
// GalleryEntries() (Gallery.cpp). Work that adds a skinned control, frame,
// menu or dialog adds an entry there, so the gallery shows the whole GUI.
#pragma once
#include "lib/bsEffects.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinValidate.h"

class TForm;
class TBitmap;
class TCustomImageList;
class TbsSkinForm;

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gallery
{
// A cell drawn on the page: where it is and what it shows (for the tests'
// rules: frame corners, state pictures, text contrast).
struct GalleryCell
{
    std::string Entry;   // the gallery entry ("frame", "button", ...)
    std::string What;    // what the cell shows ("active", "hot", ...)
    TRect Rect;          // on the page
    // Texts drawn in the cell: each with its colour (0x00BBGGRR) and the
    // rectangle it was laid out in.
    struct Text
    {
        std::string String;
        int Color = 0;
        TRect Rect;
    };
    std::vector<Text> Texts;
};

class GalleryPage
{
public:
    GalleryPage(TbsSkinData& data, int width);

    TbsSkinData& Data() { return data_; }
    TbsBitmap& Bitmap() { return page_; }
    // Colour behind the cells (the skin's window colour).
    TbsColor Background() const { return background_; }

    // Starts a section with a heading line.
    void Section(const std::string& entry, const std::string& title);
    // A place of w x h in the current row (a new row when it does not fit),
    // with a small label under it; the place is recorded as a cell.
    TRect Place(int w, int h, const std::string& label);
    void NewRow();
    // Records a named cell over a part of the page already drawn (a control
    // of a form put on the page), for the tests' state rules.
    void Mark(const TRect& r, const std::string& what);
    // Records where a control drew text on the page and how strongly it
    // must read there, for the validator's rendered-text check.
    void TextRegion(const TRect& r, TbsTextKind kind, const std::string& what);
    const std::vector<TbsTextRegion>& TextRegions() const { return textRegions_; }

    // The active picture of a skin entry as a 32-bit bitmap (null when the
    // index is out of range).
    TbsBitmap* Picture(int index);
    TbsBitmap* FramePicture(bool inactive);
    TbsBitmap* MaskPicture();

    // Copies `src` to (x, y); pixels equal to `key` (when given) are left out.
    void Put(TbsBitmap& src, int x, int y);
    void PutKeyed(TbsBitmap& src, const TRect& srcRect, int x, int y, TbsColor key);
    // The bottom-left pixel of a picture rectangle: the transparent colour of
    // auto-transparent pieces.
    TbsColor CornerKey(TbsBitmap& pic, const TRect& r) const;

    // Text in a rectangle with the given font; recorded on the last cell.
    void Text(const TRect& r, const std::string& text, const std::string& font, int height, bool bold, int color,
              UINT format);

    // Cells drawn so far, in order.
    const std::vector<GalleryCell>& Cells() const { return cells_; }
    GalleryCell& LastCell() { return cells_.back(); }

    // Height used so far.
    int Bottom() const { return y_ + rowH_; }
    // Cuts the page to what was used.
    void Finish();

private:
    void Grow(int height);

    TbsSkinData& data_;
    TbsBitmap page_;
    TbsColor background_;
    std::string entry_;
    int width_, x_ = 0, y_ = 0, rowH_ = 0;
    std::vector<GalleryCell> cells_;
    std::vector<TbsTextRegion> textRegions_;
    std::vector<std::unique_ptr<TbsBitmap>> pictures_;
    std::unique_ptr<TbsBitmap> frame_, inactive_, mask_;
};

// A skin colour 0x00BBGGRR as an opaque pixel.
TbsColor Opaque(int color);
// A skin picture as a 32-bit bitmap.
void FromPicture(const TbsSkinPicture& pic, TbsBitmap& out);

// Composes a look of a nine-slice entry at w x h (geometry relative to the
// look, as the entries store it).
void ComposeLook(TbsBitmap& out, TbsBitmap& picture, const TRect& skinRect, TPoint lt, TPoint rt, TPoint lb, TPoint rb,
                 const TRect& cl, bool leftStretch, bool topStretch, bool rightStretch, bool bottomStretch,
                 bool stretchEffect, TbsStretchType stretchType, int w, int h);
template <class E>
void ComposeEntry(TbsBitmap& out, TbsBitmap& picture, const E& e, const TRect& look, int w, int h)
{
    ComposeLook(out, picture, look, e.LTPoint, e.RTPoint, e.LBPoint, e.RBPoint, e.ClRect, e.LeftStretch,
                e.TopStretch, e.RightStretch, e.BottomStretch, e.StretchEffect, e.StretchType, w, h);
}

struct GalleryEntry
{
    std::string Name;
    std::function<void(GalleryPage&)> Draw;
};

// Every entry of a page, in page order.
const std::vector<GalleryEntry>& GalleryEntries();

// The entries of the frame and of the skin's control looks.
void AddFrameEntries(std::vector<GalleryEntry>& entries);
void AddLookEntries(std::vector<GalleryEntry>& entries);
// The static skinned controls (panels, labels, bevels, splitters, status bar).
void AddStaticControlEntries(std::vector<GalleryEntry>& entries);
void AddButtonEntries(std::vector<GalleryEntry>& entries);
// Window states: the layered border, rolled-up and minimized frames.
void AddStateEntries(std::vector<GalleryEntry>& entries);
// The skinned popup menus, the menu bar and the menu buttons.
void AddPopupMenuEntries(std::vector<GalleryEntry>& entries);
// The menu speed button in each of its looks and states.
void AddMenuButtonEntries(std::vector<GalleryEntry>& entries);
// The list, combo and edit boxes.
void AddBoxEntries(std::vector<GalleryEntry>& entries);
// The views (job table, tree view) and the page control with its tabs.
void AddViewEntries(std::vector<GalleryEntry>& entries);
// The dialogs (message boxes, the skin chooser).
void AddDialogEntries(std::vector<GalleryEntry>& entries);

// A 4-frame strip of 16 x 16 "play" glyphs (normal, disabled, pressed, hot).
std::unique_ptr<TBitmap> PlayGlyph();
// A 16 x 16 image list of four coloured tool images (lighter when hot).
std::unique_ptr<TCustomImageList> ToolImages(bool hot);

// A push button (windowed or not) whose mouse state the gallery sets by
// hand (no pointer here).
template <class B>
class StatePushButton : public B
{
public:
    using B::B;
    void Hover()
    {
        this->FMouseIn = true;
        this->FMorphKf = 1.0;
    }
    void Press()
    {
        Hover();
        this->FDown = true;
    }
    // Half-way between the normal and the active look, as a cross-fade
    // shows it (the normal look in skins without one).
    void HalfFaded() { this->FMorphKf = 0.4; }
};

// A form's picture with its controls, as its windows paint it, put on the page.
void PutForm(GalleryPage& p, TForm& f, const TRect& cell);
// The whole window of a form with its skinned frame; pixels outside the
// frame's region take `outside`.
void RenderFramedForm(TForm& f, TbsSkinForm& sf, TbsBitmap& out, TbsColor outside);
// Serves the message queue (after forms are gone it lets the window layer
// reclaim their windows).
void ServeMessages();
// The popup windows: hints and the image-grid menu.
void AddMenuEntries(std::vector<GalleryEntry>& entries);

// Draws the page of the store's current skin.
void RenderPage(GalleryPage& page);

// The frame alone at w x h, active or not, composed as the form does it
// (frame bands, caption buttons, caption text, mask, inactive effect);
// pixels outside the mask take `outside`.
void RenderFrame(TbsSkinData& data, bool active, int w, int h, const std::string& caption, TbsBitmap& out,
                 TbsColor outside);

// The call point of the main menu bar: draws the bar of a skin into a band
// of a form's client area. Empty: the frame entries show the skin's empty bar.
extern std::function<void(TbsSkinData&, TCanvas*, const TRect&)> gMenuBarPainter;

// Writes a bitmap as an opaque PNG; false on failure.
bool SavePng(TbsBitmap& b, const std::string& path);

// A finished page as written to files: `<stem>.png` (the page) and
// `<stem>.cells` (its cells with their texts, a line each). The build writes
// every stored skin's page so; the gallery tests read them instead of drawing
// each page again.
struct SavedPage
{
    TbsBitmap Bitmap;
    std::vector<GalleryCell> Cells;
};
bool SavePage(GalleryPage& page, const std::string& stem);
// Throws Exception (with the file's name) when a file is missing or damaged.
void LoadPage(const std::string& stem, SavedPage& out);
}  // namespace gallery
