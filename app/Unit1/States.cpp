// The control-state table: which command groups an event enables or
// disables, with the enabled or disabled picture on each group's skinned
// button; and the glyph pictures themselves, drawn again for every skin.
#include "app/Glyphs.h"
#include "app/Unit1.h"

namespace {

using A = TGroupAction;
constexpr A K = A::Keep, E = A::Enable, D = A::Disable, R = A::EnableIfRows, T = A::EnableIfThreadMode,
            S = A::EnableSkinnedOnly;

// Each group's pictures: Image numbers when enabled and when disabled.
struct TGroupPictures
{
    int enabled, disabled;
};
constexpr std::array<TGroupPictures, kControlGroupCount> kPictures = {{
    {3, 2},    // add
    {15, 14},  // remove
    {16, 17},  // rename
    {13, 12},  // clear
    {5, 4},    // start
    {11, 10},  // stop
    {7, 6},    // pause
    {9, 8},    // resume
    {0, 0},    // format: no picture
}};

// What the glyph of Image n shows, and whether enabled.
struct TImageGlyph
{
    glyphs::TGlyph glyph;
    bool enabled;
};
TImageGlyph ImageGlyph(int n)
{
    switch (n)
    {
    case 2: return {glyphs::gAdd, false};
    case 3: return {glyphs::gAdd, true};
    case 4: return {glyphs::gStart, false};
    case 5: return {glyphs::gStart, true};
    case 6: return {glyphs::gPause, false};
    case 7: return {glyphs::gPause, true};
    case 8: return {glyphs::gResume, false};
    case 9: return {glyphs::gResume, true};
    case 10: return {glyphs::gStop, false};
    case 11: return {glyphs::gStop, true};
    case 12: return {glyphs::gClear, false};
    case 13: return {glyphs::gClear, true};
    case 14: return {glyphs::gRemove, false};
    case 15: return {glyphs::gRemove, true};
    case 16: return {glyphs::gRename, true};
    default: return {glyphs::gRename, false};
    }
}

// The colour inside the normal look of a button entry: the glyphs' edges
// are blended into it.
TPixel LookGround(TbsSkinData* sd, const char* entry)
{
    TPixel fallback = ColorRefToPixel(COLORREF(sd && !sd->Empty ? sd->FSkinColors.FcBtnFace : 0xE0E0E0));
    if (!sd || sd->Empty) return ColorRefToPixel(ColorToRGB(clBtnFace));
    const auto* d = dynamic_cast<const TbsDataSkinCustomControl*>(bsSkinControlEntry(sd, bsSkinControlIndex(sd, entry)));
    TBitmap* pic = d ? bsSkinActiveBitmap(sd, d->PictureIndex) : nullptr;
    if (!pic) return fallback;
    const TRect r = d->SkinRect;
    const int x = r.Left + r.Width() / 2, y = r.Top + r.Height() / 2;
    if (x < 0 || y < 0 || x >= pic->GetWidth() || y >= pic->GetHeight()) return fallback;
    return pic->GetPixel32(x, y) | 0xFF000000u;
}

template <class B>
void SetGlyph(B* button, TBitmap* glyph)
{
    button->SetGlyph(glyph);
    button->SetNumGlyphs(1);
}

}  // namespace

const std::array<std::array<TGroupAction, kControlGroupCount>, kControlEventCount> kControlStates = {{
    //  add remove rename clear start stop pause resume format
    {E, D, D, D, D, D, D, D, E},  // load
    {K, E, E, E, E, K, K, K, K},  // a job added
    {K, R, R, R, R, K, K, K, K},  // a row removed
    {E, D, D, D, D, K, K, K, K},  // list cleared
    {D, D, D, D, D, T, T, D, D},  // start
    {K, K, K, K, K, K, D, E, K},  // pause
    {K, K, K, K, K, K, E, D, K},  // resume
    {K, K, K, K, S, D, K, K, E},  // stop
    {K, D, D, E, K, D, D, D, E},  // end of the batch
}};

void TForm1::SetControlStates(TControlEvent event, int rowsLeft)
{
    const bool threadMode = chkThreadMode->Checked();
    for (int g = 0; g < kControlGroupCount; ++g)
    {
        const auto group = static_cast<TControlGroup>(g);
        switch (kControlStates[static_cast<std::size_t>(event)][static_cast<std::size_t>(g)])
        {
        case A::Keep: break;
        case A::Enable: SetGroup(group, true); break;
        case A::Disable: SetGroup(group, false); break;
        case A::EnableIfRows: SetGroup(group, rowsLeft > 0); break;
        case A::EnableIfThreadMode: SetGroup(group, threadMode); break;
        case A::EnableSkinnedOnly: SetGroup(group, true, true); break;
        }
    }
}

void TForm1::SetGroup(TControlGroup group, bool enabled, bool skinnedOnly)
{
    if (group == TControlGroup::Format)
    {
        for (TbsSkinComboBox* b : ParamBoxes()) b->SetEnabled(enabled);
        bsSkinOfficeComboBox2->SetEnabled(enabled);
        bsSkinOfficeComboBox1->SetEnabled(enabled);
        bsSkinButton5->SetEnabled(enabled);
        bsSkinOfficeComboBox2->Repaint();
        return;
    }
    TButton* plain = nullptr;
    TControl* skinned = nullptr;
    std::vector<TMenuItem*> items;
    switch (group)
    {
    case TControlGroup::Add:
        plain = btnAdd, skinned = bsSkinMenuSpeedButton1, items = {Item111, Item121, N21, N11111, N2222, N3331};
        break;
    case TControlGroup::Remove: plain = btnRemove, skinned = bsSkinButton7, items = {N13}; break;
    case TControlGroup::Rename: skinned = bsSkinButton21, items = {N26}; break;
    case TControlGroup::Clear: plain = btnClear, skinned = bsSkinButton8, items = {N14}; break;
    case TControlGroup::Start: plain = btnStart, skinned = bsSkinButton2, items = {N7}; break;
    case TControlGroup::Stop: plain = btnStop, skinned = bsSkinButton10, items = {N8}; break;
    case TControlGroup::Pause: plain = btnPause, skinned = bsSkinButton11, items = {N10}; break;
    case TControlGroup::Resume: plain = btnResume, skinned = bsSkinButton12, items = {N11}; break;
    case TControlGroup::Format: break;
    }
    if (!skinnedOnly)
    {
        if (plain) plain->SetEnabled(enabled);
        for (TMenuItem* mi : items) mi->SetEnabled(enabled);
    }
    skinned->SetEnabled(enabled);
    const TGroupPictures p = kPictures[static_cast<std::size_t>(group)];
    SetGroupPicture(group, enabled ? p.enabled : p.disabled);
}

void TForm1::SetGroupPicture(TControlGroup group, int picture)
{
    FGroupPicture[static_cast<std::size_t>(group)] = picture;
    TBitmap* glyph = Image(picture)->Picture()->Bitmap();
    switch (group)
    {
    case TControlGroup::Add:
        SetGlyph(bsSkinMenuSpeedButton1, glyph);
        bsSkinMenuSpeedButton1->RefreshButton();
        break;
    case TControlGroup::Remove: SetGlyph(bsSkinButton7, glyph); break;
    case TControlGroup::Rename: SetGlyph(bsSkinButton21, glyph); break;
    case TControlGroup::Clear: SetGlyph(bsSkinButton8, glyph); break;
    case TControlGroup::Start:
        SetGlyph(bsSkinButton2, glyph);
        bsSkinButton2->RefreshButton();
        break;
    case TControlGroup::Stop:
        SetGlyph(bsSkinButton10, glyph);
        bsSkinButton10->RefreshButton();
        break;
    case TControlGroup::Pause:
        SetGlyph(bsSkinButton11, glyph);
        bsSkinButton11->RefreshButton();
        break;
    case TControlGroup::Resume:
        SetGlyph(bsSkinButton12, glyph);
        bsSkinButton12->RefreshButton();
        break;
    case TControlGroup::Format: break;
    }
}

void TForm1::DisableFormatControls() { SetGroup(TControlGroup::Format, false); }

void TForm1::EnableFormatControls() { SetGroup(TControlGroup::Format, true); }

void TForm1::EnableMoving(bool enabled)
{
    const TPixel small = LookGround(bsSkinData1, "button");
    for (auto [b, g] : {std::pair{bsSkinButton3, glyphs::gMoveUp}, std::pair{bsSkinButton4, glyphs::gMoveDown}})
    {
        b->SetEnabled(enabled);
        auto bmp = glyphs::ButtonGlyph(g, 16, enabled, small);
        SetGlyph(b, bmp.get());
    }
    N16->SetEnabled(enabled);
    N17->SetEnabled(enabled);
}

void TForm1::DrawGlyphsAhead()
{
    // The tool bar's glyphs at 24, the job table's at 16, the preview's at 18,
    // as PaintGlyphs asks for them.
    for (int g = glyphs::gAdd; g <= glyphs::gSkin; ++g) glyphs::DrawAhead(glyphs::TGlyph(g), 24);
    for (int g = glyphs::gRename; g <= glyphs::gMoveDown; ++g) glyphs::DrawAhead(glyphs::TGlyph(g), 16);
    for (int g = glyphs::gPlay; g <= glyphs::gSnapshotMenu; ++g) glyphs::DrawAhead(glyphs::TGlyph(g), 18);
}

void TForm1::PaintGlyphs()
{
    const TPixel tool = LookGround(bsSkinData1, "resizetoolbutton");
    const TPixel small = LookGround(bsSkinData1, "button");
    for (int n = 2; n <= 17; ++n)
    {
        const TImageGlyph g = ImageGlyph(n);
        const bool isRename = n >= 16;
        auto bmp = glyphs::ButtonGlyph(g.glyph, isRename ? 16 : 24, g.enabled, isRename ? small : tool);
        Image(n)->Picture()->SetGraphic(bmp.get());
    }
    // The add button's own picture (its image list).
    ImageList3->Clear();
    ImageList3->SetSize(24, 24);
    auto add = glyphs::ButtonGlyph(glyphs::gAdd, 24, true, tool);
    ImageList3->AddMasked(add.get(), clDefault);

    // Pictures that never change with the state.
    auto fixed = [](TbsSkinButton* b, glyphs::TGlyph g, int size, TPixel ground) {
        auto bmp = glyphs::ButtonGlyph(g, size, true, ground);
        SetGlyph(b, bmp.get());
    };
    fixed(bsSkinButton19, glyphs::gOptions, 24, tool);
    fixed(bsSkinButton9, glyphs::gSkin, 24, tool);
    EnableMoving(bsSkinButton3->GetEnabled());
    fixed(bsSkinButton13, glyphs::gPlay, 18, small);
    fixed(bsSkinButton14, glyphs::gPreviewPause, 18, small);
    fixed(bsSkinButton15, glyphs::gPreviewStop, 18, small);
    fixed(bsSkinButton16, glyphs::gMute, 18, small);
    fixed(bsSkinButton20, glyphs::gUnmute, 18, small);
    fixed(bsSkinButton22, glyphs::gSnapshot, 18, small);
    fixed(bsSkinButton23, glyphs::gSnapshotMenu, 18, small);

    // The groups keep the pictures of their state.
    for (int g = 0; g < kControlGroupCount; ++g)
        if (FGroupPicture[static_cast<std::size_t>(g)] != 0)
            SetGroupPicture(static_cast<TControlGroup>(g), FGroupPicture[static_cast<std::size_t>(g)]);
}
