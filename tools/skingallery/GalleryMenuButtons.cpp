// Gallery entry of the menu speed button (the main window's "添加" button):
// one row per look (the skin's menu-button entry, the client-rectangle look
// of "toolbutton", the corner-point look of "resizetoolbutton", the new
// style with its track part at the right and at the bottom; plain and in
// track mode), one button per state (normal, hot, pressed, menu open,
// disabled, without caption, showing the image-grid menu's chosen item);
// then flat buttons on a flat tool bar that hands them its images. Once in
// the skin and once in the default look.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinMenus.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "tools/skingallery/Gallery.h"

#include <memory>
#include <string>

namespace gallery
{
namespace
{
// A menu speed button whose mouse and menu state the gallery sets by hand.
class StateMenuButton : public StatePushButton<TbsSkinMenuSpeedButton>
{
public:
    using StatePushButton::StatePushButton;
    // As a press on the track part leaves it: down, its menu showing (the
    // gallery opens no real menu).
    void OpenMenu()
    {
        Press();
        FMenuTracked = true;
    }
};

struct Look
{
    const char* Label;
    const char* Entry;
    bool Track, NewStyle, Bottom;
};
const Look kLooks[] = {
    {"toolmenubutton", "toolmenubutton", false, false, false},
    {"toolmenutrackbutton 跟踪", "toolmenutrackbutton", true, false, false},
    {"toolbutton", "toolbutton", false, false, false},
    {"toolbutton 跟踪", "toolbutton", true, false, false},
    {"resizetoolbutton 添加", "resizetoolbutton", false, false, false},
    {"resizetoolbutton 跟踪", "resizetoolbutton", true, false, false},
    {"新样式 右 new style", "resizetoolbutton", true, true, false},
    {"新样式 下 new style", "resizetoolbutton", true, true, true},
};
const char* const kStates[] = {"正常", "悬停", "按下", "菜单打开", "禁用", "无标题", "图像菜单"};
constexpr int kLookCount = 8, kStateCount = 7;
constexpr int LabelW = 150, ColW = 88, BW = 78, BH = 47, RowH = 54, Gap = 8, BarH = 52;
constexpr int FormW = LabelW + kStateCount * ColW + Gap, FormH = Gap + kLookCount * RowH + 20 + BarH + Gap;

void AddLabel(TForm* o, TbsSkinData* sd, int x, int y, const std::string& text)
{
    auto* l = new TbsSkinStdLabel(o);
    l->SetLeft(x);
    l->SetTop(y);
    l->SetCaption(text);
    l->SetSkinData(sd);
    l->SetParent(o);
}

std::unique_ptr<TForm> MenuButtonsForm(TbsSkinData* sd)
{
    auto f = std::make_unique<TForm>(nullptr);
    TForm* o = f.get();
    o->SetBorderStyle(bsNone);
    o->SetBounds(0, 0, FormW, FormH);
    o->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);
    const auto glyph = PlayGlyph();
    auto* images = ToolImages(false).release();
    auto* hot = ToolImages(true).release();
    o->InsertComponent(images);
    o->InsertComponent(hot);
    // The image-grid menu whose chosen item (the third) a button shows.
    auto* grid = new TbsSkinImagesMenu(o);
    grid->SetImages(images);
    for (const char* c : {"音频", "视频", "图片", "设备"}) grid->ImagesItems()->Add()->SetCaption(c);
    for (int i = 0; i < 4; ++i) grid->ImagesItems()->Items(i)->SetImageIndex(i);
    grid->SetItemIndex(2);
    for (int row = 0; row < kLookCount; ++row)
    {
        const Look& look = kLooks[row];
        const int y = Gap + row * RowH;
        AddLabel(o, sd, Gap, y + BH / 2 - 7, look.Label);
        for (int s = 0; s < kStateCount; ++s)
        {
            auto* b = new StateMenuButton(o);
            b->SkinDataName = look.Entry;
            b->SetNewStyle(look.NewStyle);
            b->SetTrackPosition(look.Bottom ? bstpBottom : bstpRight);
            b->SetTrackButtonMode(look.Track);
            b->UseSkinSize = false;
            b->SetSkinData(sd);
            b->SetBounds(LabelW + s * ColW, y, BW, BH);
            b->SetCaption("添加");
            b->SetSpacing(1);
            b->SetGlyph(glyph.get());
            b->SetNumGlyphs(4);
            b->SetParent(o);
            switch (s)
            {
            case 1: b->Hover(); break;
            case 2: b->Press(); break;
            case 3: b->OpenMenu(); break;
            case 4: b->SetEnabled(false); break;
            case 5: b->SetShowCaption(false); break;
            case 6:
                b->SetGlyph(nullptr);
                b->SetSkinImagesMenu(grid);
                b->UseImagesMenuImage = b->UseImagesMenuCaption = true;
                break;
            default: break;
            }
        }
    }
    const int barTop = Gap + kLookCount * RowH + 20;
    for (int s = 0; s < kStateCount; ++s) AddLabel(o, sd, LabelW + s * ColW + 4, barTop - 18, kStates[s]);
    AddLabel(o, sd, Gap, barTop + BarH / 2 - 7, "平面工具栏 flat");
    // A flat tool bar: its store, images, hot images and flat setting reach
    // the menu buttons on it.
    auto* bar = new TbsSkinToolBar(o);
    bar->SetSkinDataName("resizetoolpanel");
    bar->SetParent(o);
    bar->SetBounds(LabelW, barTop, 4 * ColW + 4, BarH);
    bar->SetImages(images);
    bar->SetHotImages(hot);
    bar->SetDisabledImages(images);
    for (int s = 0; s < 4; ++s)
    {
        auto* b = new StateMenuButton(o);
        b->SkinDataName = "resizetoolbutton";
        b->UseSkinSize = false;
        b->SetParent(bar);
        b->SetBounds(2 + s * ColW, 0, BW, BH - 4);
        b->SetCaption("添加");
        b->SetImageIndex(s);
        switch (s)
        {
        case 1: b->Hover(); break;
        case 2: b->OpenMenu(); break;
        case 3: b->SetEnabled(false); break;
        default: break;
        }
    }
    bar->SetFlat(true);
    bar->SetSkinData(sd);
    o->Show();
    return f;
}

void DrawMenuButtons(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("menubutton",
              "菜单按钮：正常、悬停、按下、菜单打开、禁用、无标题、图像菜单；各种外观与跟踪模式 menu speed buttons");
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        {
            auto f = MenuButtonsForm(sd);
            PutForm(p, *f, p.Place(FormW, FormH, sd ? "皮肤外观" : "默认外观"));
        }
        ServeMessages();
    }
}
}  // namespace

void AddMenuButtonEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"menubutton", DrawMenuButtons});
}
}  // namespace gallery
