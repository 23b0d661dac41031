// Gallery entries of the skin's control looks: every look of every entry in
// every state the skin defines, composed at a working size (and a few at four
// times their size, where seams would show).
#include "lib/bsUtils.h"
#include "tools/skingallery/Gallery.h"

#include <algorithm>

namespace gallery
{
namespace
{
template <class E>
const E* Control(GalleryPage& p, const std::string& name)
{
    const int i = p.Data().GetControlIndex(name);
    return i < 0 ? nullptr : dynamic_cast<const E*>(p.Data().CtrlList[i].get());
}

template <class E>
const E* Object(GalleryPage& p, const std::string& name)
{
    const int i = p.Data().GetIndex(name);
    return i < 0 ? nullptr : dynamic_cast<const E*>(p.Data().ObjectList[i].get());
}

bool Bold(TbsFontStyles s) { return s.Has(TbsFontStyles::Bold); }

// A composed look drawn into a new cell, with an optional centred text.
template <class E>
TRect LookCell(GalleryPage& p, const E& e, TbsBitmap& pic, const TRect& look, int w, int h, const std::string& label)
{
    const TRect cell = p.Place(w, h, label);
    TbsBitmap out;
    ComposeEntry(out, pic, e, look.IsEmpty() ? e.SkinRect : look, w, h);
    p.Put(out, cell.Left, cell.Top);
    return cell;
}

void Piece(GalleryPage& p, TbsBitmap& pic, const TRect& src, int x, int y, bool keyed)
{
    if (src.IsEmpty()) return;
    if (keyed)
        p.PutKeyed(pic, src, x, y, p.CornerKey(pic, src));
    else
        DrawToBitmapOpaque(&p.Bitmap(), TRect(x, y, x + src.Width(), y + src.Height()),
                           TRect(0, 0, p.Bitmap().Width(), p.Bitmap().Height()), &pic, src);
}

void ButtonStates(GalleryPage& p, const std::string& name, int w, int h, const std::string& text)
{
    const auto* e = Control<TbsDataSkinButtonControl>(p, name);
    if (e == nullptr) return;
    TbsBitmap* pic = p.Picture(e->PictureIndex);
    if (pic == nullptr) return;
    const auto* menu = dynamic_cast<const TbsDataSkinMenuButtonControl*>(e);
    const struct
    {
        const char* what;
        TRect look;
        int color;
        TRect marker;
    } states[] = {{"normal", e->SkinRect, e->FontColor, e->MenuMarkerRect},
                  {"hot", e->ActiveSkinRect, e->ActiveFontColor, e->MenuMarkerActiveRect},
                  {"pressed", e->DownSkinRect, e->DownFontColor, e->MenuMarkerDownRect},
                  {"focused", e->FocusedSkinRect, e->FontColor, e->MenuMarkerRect},
                  {"disabled", e->DisabledSkinRect, e->DisabledFontColor, e->MenuMarkerFlatRect}};
    for (const auto& s : states)
    {
        if (s.look.IsEmpty()) continue;
        const TRect cell = LookCell(p, *e, *pic, s.look, w, h, name + " " + s.what);
        TRect tr = cell;
        if (menu && !menu->TrackButtonRect.IsEmpty())
        {
            tr.Right -= menu->TrackButtonRect.Width();
            const TRect m = s.marker;
            Piece(p, *pic, m, tr.Right + (menu->TrackButtonRect.Width() - m.Width()) / 2, cell.Top + (h - m.Height()) / 2,
                  true);
        }
        if (!text.empty()) p.Text(tr, text, e->FontName, e->FontHeight, Bold(e->FontStyle), s.color, DT_CENTER | DT_VCENTER);
    }
    p.NewRow();
}

void Buttons(GalleryPage& p)
{
    p.Section("button", "按钮 buttons: normal, hot, pressed, focused, disabled");
    ButtonStates(p, "button", 96, 25, "确定 OK");
    ButtonStates(p, "resizebutton", 120, 30, "Convert 转换");
    ButtonStates(p, "officequickbutton", 80, 23, "Quick");
    ButtonStates(p, "menuitembutton", 80, 22, "Menu");
    ButtonStates(p, "combobutton", 17, 21, "");
    ButtonStates(p, "editbutton", 17, 19, "");
    p.Section("toolbutton", "工具按钮 tool buttons");
    ButtonStates(p, "toolbutton", 26, 24, "+");
    ButtonStates(p, "bigtoolbutton", 48, 48, "▶");
    ButtonStates(p, "resizetoolbutton", 80, 24, "Add 添加");
    ButtonStates(p, "htracktoolbutton", 15, 24, "");
    ButtonStates(p, "vtracktoolbutton", 26, 15, "");
    ButtonStates(p, "toolmenubutton", 40, 24, "+");
    ButtonStates(p, "toolmenutrackbutton", 40, 24, "");
    ButtonStates(p, "bigtoolmenubutton", 56, 48, "▶");
    ButtonStates(p, "bigtoolmenutrackbutton", 56, 48, "");
    // Four times the source size: no seam, no bent curve.
    p.Section("stretch", "4× stretched looks");
    if (const auto* e = Control<TbsDataSkinButtonControl>(p, "button"))
        if (TbsBitmap* pic = p.Picture(e->PictureIndex))
            for (auto [what, r] : {std::pair{"button 4x", e->SkinRect}, {"button hot 4x", e->ActiveSkinRect}})
                LookCell(p, *e, *pic, r, e->SkinRect.Width() * 4, e->SkinRect.Height() * 4, what);
    if (const auto* e = Control<TbsDataSkinPanelControl>(p, "panel"))
        if (TbsBitmap* pic = p.Picture(e->PictureIndex))
            LookCell(p, *e, *pic, e->SkinRect, e->SkinRect.Width() * 4, e->SkinRect.Height() * 4, "panel 4x");
}

void CheckRadio(GalleryPage& p)
{
    p.Section("checkradio", "复选框 check boxes and radio boxes");
    for (const char* name : {"checkbox", "radiobox"})
    {
        const auto* e = Control<TbsDataSkinCheckRadioControl>(p, name);
        if (e == nullptr) continue;
        TbsBitmap* pic = p.Picture(e->PictureIndex);
        if (pic == nullptr) continue;
        const struct
        {
            const char* what;
            bool hot;
            TRect mark;
            int color;
        } states[] = {{"unchecked", false, e->UnCheckImageRect, e->FontColor},
                      {"checked", false, e->CheckImageRect, e->FontColor},
                      {"hot", true, e->ActiveUnCheckImageRect, e->ActiveFontColor},
                      {"hot checked", true, e->ActiveCheckImageRect, e->ActiveFontColor},
                      {"grayed", false, e->GrayedCheckImageRect, e->FontColor},
                      {"hot grayed", true, e->ActiveGrayedCheckImageRect, e->ActiveFontColor},
                      {"disabled", false, e->UnEnabledUnCheckImageRect, e->UnEnabledFontColor},
                      {"disabled checked", false, e->UnEnabledCheckImageRect, e->UnEnabledFontColor}};
        for (const auto& s : states)
        {
            const int w = 120, h = e->SkinRect.Height();
            const TRect cell = LookCell(p, *e, *pic, s.hot ? e->ActiveSkinRect : e->SkinRect, w, h,
                                        std::string(name) + " " + s.what);
            const TRect area = e->CheckImageArea;
            Piece(p, *pic, s.mark, cell.Left + area.Left + (area.Width() - s.mark.Width()) / 2,
                  cell.Top + area.Top + (area.Height() - s.mark.Height()) / 2, true);
            const TRect text(cell.Left + e->TextArea.Left, cell.Top + e->TextArea.Top, cell.Right, cell.Top + e->TextArea.Bottom);
            p.Text(text, std::string(name) == "checkbox" ? "选项 Option" : "模式 Mode", e->FontName, e->FontHeight,
                   Bold(e->FontStyle), s.color, DT_LEFT | DT_VCENTER);
        }
        p.NewRow();
    }
}

void Edits(GalleryPage& p)
{
    p.Section("edit", "编辑框 edits, combo box, lists");
    for (const char* name : {"edit", "buttonedit", "memo"})
    {
        const auto* e = Control<TbsDataSkinEditControl>(p, name);
        if (e == nullptr) continue;
        TbsBitmap* pic = p.Picture(e->PictureIndex);
        if (pic == nullptr) continue;
        const bool memo = std::string(name) == "memo";
        const int w = 160, h = memo ? 60 : e->SkinRect.Height();
        for (auto [what, look, color] : {std::tuple{"normal", e->SkinRect, e->FontColor},
                                          {"focused", e->ActiveSkinRect, e->ActiveFontColor},
                                          {"disabled", e->SkinRect, e->DisabledFontColor}})
        {
            const TRect cell = LookCell(p, *e, *pic, look, w, h, std::string(name) + " " + what);
            const int dx = w - e->SkinRect.Width();
            TRect text(cell.Left + e->ClRect.Left + 2, cell.Top + e->ClRect.Top, cell.Left + e->ClRect.Right + dx,
                       memo ? cell.Top + e->ClRect.Top + 16 : cell.Top + e->ClRect.Bottom + (h - e->SkinRect.Height()));
            p.Text(text, "D:\\视频\\movie.avi", e->FontName, e->FontHeight, Bold(e->FontStyle), color, DT_LEFT | DT_VCENTER);
        }
        p.NewRow();
    }
    if (const auto* e = Control<TbsDataSkinComboBox>(p, "combobox"))
        if (TbsBitmap* pic = p.Picture(e->PictureIndex))
        {
            const int w = 170, h = e->SkinRect.Height(), dx = w - e->SkinRect.Width();
            const struct
            {
                const char* what;
                TRect look, item, button;
                int color;
            } states[] = {{"normal", e->SkinRect, e->SItemRect, {}, e->FontColor},
                          {"hot", e->ActiveSkinRect, e->ActiveItemRect, e->ActiveButtonRect, e->ActiveFontColor},
                          {"focused", e->ActiveSkinRect, e->FocusItemRect, {}, e->FocusFontColor},
                          {"pressed", e->ActiveSkinRect, e->FocusItemRect, e->DownButtonRect, e->FocusFontColor},
                          {"disabled", e->SkinRect, e->SItemRect, e->UnEnabledButtonRect, e->FontColor}};
            for (const auto& s : states)
            {
                const TRect cell = LookCell(p, *e, *pic, s.look, w, h, std::string("combobox ") + s.what);
                const TRect itemPlace(cell.Left + e->ClRect.Left, cell.Top + e->ClRect.Top, cell.Left + e->ClRect.Right + dx,
                                      cell.Top + e->ClRect.Bottom);
                TbsBitmap item;
                CreateHSkinImage(e->ItemLeftOffset, e->ItemRightOffset, &item, pic, s.item, itemPlace.Width(),
                                 s.item.Height(), e->ItemStretchEffect);
                const int iy = itemPlace.Top + (itemPlace.Height() - item.Height()) / 2;
                p.Put(item, itemPlace.Left, iy);
                if (!s.button.IsEmpty())
                    Piece(p, *pic, s.button, cell.Left + e->ButtonRect.Left + dx, cell.Top + e->ButtonRect.Top, false);
                const TRect tr(itemPlace.Left + e->ItemTextRect.Left, iy, itemPlace.Right - 3, iy + item.Height());
                p.Text(tr, "H.264 / AAC", e->FontName, e->FontHeight, Bold(e->FontStyle),
                       std::string(s.what) == "disabled" ? Control<TbsDataSkinEditControl>(p, "edit")->DisabledFontColor
                                                          : s.color,
                       DT_LEFT | DT_VCENTER);
            }
            p.NewRow();
        }
    for (const char* name : {"listbox", "checklistbox"})
    {
        const auto* e = Control<TbsDataSkinListBox>(p, name);
        if (e == nullptr) continue;
        TbsBitmap* pic = p.Picture(e->PictureIndex);
        if (pic == nullptr) continue;
        const int w = 200, h = 4 * e->SItemRect.Height() + e->ClRect.Top + (e->SkinRect.Height() - e->ClRect.Bottom);
        const TRect cell = LookCell(p, *e, *pic, e->SkinRect, w, h, std::string(name) + ": item, selected, focused, item");
        const auto* check = dynamic_cast<const TbsDataSkinCheckListBox*>(e);
        const struct
        {
            TRect item;
            int color;
            const char* text;
        } rows[] = {{e->SItemRect, e->FontColor, "clip01.mp4"},
                    {e->ActiveItemRect, e->ActiveFontColor, "clip02.mkv (selected)"},
                    {e->FocusItemRect, e->FocusFontColor, "clip03.avi (focused)"},
                    {e->SItemRect, e->FontColor, "音乐.mp3"}};
        int y = cell.Top + e->ClRect.Top;
        const int iw = w - e->ClRect.Left - (e->SkinRect.Width() - e->ClRect.Right);
        for (const auto& r : rows)
        {
            TbsBitmap item;
            CreateHSkinImage(e->ItemLeftOffset, e->ItemRightOffset, &item, pic, r.item, iw, r.item.Height(), true);
            p.Put(item, cell.Left + e->ClRect.Left, y);
            int tx = cell.Left + e->ClRect.Left + e->ItemTextRect.Left;
            if (check)
            {
                const TRect m = &r == &rows[1] || &r == &rows[2] ? check->CheckImageRect : check->UnCheckImageRect;
                Piece(p, *pic, m, cell.Left + e->ClRect.Left + check->ItemCheckRect.Left, y + (r.item.Height() - m.Height()) / 2,
                      true);
                tx += check->ItemCheckRect.Right;
            }
            p.Text(TRect(tx, y, cell.Left + e->ClRect.Left + iw - 4, y + r.item.Height()), r.text, e->FontName,
                   e->FontHeight, Bold(e->FontStyle), r.color, DT_LEFT | DT_VCENTER);
            y += r.item.Height();
        }
    }
    for (const char* name : {"treeview", "listview", "richedit"})
        if (const auto* e = Control<TbsDataSkinTextBGControl>(p, name))
        {
            const TRect cell = p.Place(120, 22, name);
            p.Bitmap().FillRect(cell, Opaque(e->BGColor));
            p.Text(TRect(cell.Left + 4, cell.Top, cell.Right, cell.Bottom), "Text 文本", e->FontName, e->FontHeight,
                   Bold(e->FontStyle), e->FontColor, DT_LEFT | DT_VCENTER);
        }
    p.NewRow();
}

void ScrollBars(GalleryPage& p)
{
    p.Section("scrollbar", "滚动条 scroll bars, up-down buttons, slider");
    for (const char* name : {"hscrollbar", "bothhscrollbar", "vscrollbar"})
    {
        const auto* e = Control<TbsDataSkinScrollBarControl>(p, name);
        if (e == nullptr) continue;
        TbsBitmap* pic = p.Picture(e->PictureIndex);
        if (pic == nullptr) continue;
        const bool horizontal = e->SkinRect.Width() > e->SkinRect.Height();
        for (auto [what, thumb, glyph, up] :
             {std::tuple{"normal", e->ThumbRect, e->GlyphRect, TRect()},
              {"hot", e->ActiveThumbRect, e->ActiveGlyphRect, e->ActiveUpButtonRect},
              {"pressed", e->DownThumbRect, e->DownGlyphRect, e->DownUpButtonRect}})
        {
            const int len = 150, cross = horizontal ? e->SkinRect.Height() : e->SkinRect.Width();
            const int w = horizontal ? len : cross, h = horizontal ? cross : len;
            const TRect cell = LookCell(p, *e, *pic, e->SkinRect, w, h, std::string(name) + " " + what);
            if (!up.IsEmpty()) Piece(p, *pic, up, cell.Left + e->UpButtonRect.Left, cell.Top + e->UpButtonRect.Top, false);
            // A thumb over a third of the track, resized along the axis.
            const int d = len - (horizontal ? e->SkinRect.Width() : e->SkinRect.Height());
            TRect track = e->TrackArea;
            if (horizontal) track.Right += d;
            else track.Bottom += d;
            const int tl = (horizontal ? track.Width() : track.Height()) / 3;
            TbsBitmap t;
            if (horizontal)
                CreateHSkinImage(e->ThumbOffset1, e->ThumbOffset2, &t, pic, thumb, tl, thumb.Height(), e->ThumbStretchEffect);
            else
                CreateVSkinImage(e->ThumbOffset1, e->ThumbOffset2, &t, pic, thumb, thumb.Width(), tl, e->ThumbStretchEffect);
            const int tx = cell.Left + track.Left + (horizontal ? tl / 2 : (track.Width() - t.Width()) / 2);
            const int ty = cell.Top + track.Top + (horizontal ? (track.Height() - t.Height()) / 2 : tl / 2);
            p.Put(t, tx, ty);
            if (!glyph.IsEmpty())
                Piece(p, *pic, glyph, tx + (t.Width() - glyph.Width()) / 2, ty + (t.Height() - glyph.Height()) / 2, true);
        }
        p.NewRow();
    }
    for (const char* name : {"vupdown", "hupdown"})
    {
        const auto* e = Control<TbsDataSkinUpDownControl>(p, name);
        if (e == nullptr) continue;
        TbsBitmap* pic = p.Picture(e->PictureIndex);
        if (pic == nullptr) continue;
        const TRect whole = p.Place(e->SkinRect.Width(), e->SkinRect.Height(), std::string(name));
        Piece(p, *pic, e->SkinRect, whole.Left, whole.Top, false);
        for (auto [what, r] : {std::pair{"up", e->UpButtonRect}, {"up hot", e->ActiveUpButtonRect},
                               {"up pressed", e->DownUpButtonRect}, {"down", e->DownButtonRect},
                               {"down hot", e->ActiveDownButtonRect}, {"down pressed", e->DownDownButtonRect}})
        {
            const TRect cell = p.Place(r.Width(), r.Height(), what);
            Piece(p, *pic, r, cell.Left, cell.Top, false);
        }
    }
    p.NewRow();
    if (const auto* e = Control<TbsDataSkinSlider>(p, "slider"))
        if (TbsBitmap* pic = p.Picture(e->PictureIndex))
            for (bool hot : {false, true})
            {
                const int len = 180;
                const TRect cell = p.Place(len, 24, hot ? "slider hot" : "slider");
                p.Bitmap().FillRect(cell, Opaque(e->BGColor));
                TbsBitmap ruler;
                CreateHSkinImage(e->EdgeSize, e->EdgeSize, &ruler, pic, e->HRulerRect, len - 8, e->HRulerRect.Height(), true);
                p.Put(ruler, cell.Left + 4, cell.Top + (24 - ruler.Height()) / 2);
                const int tw = e->HThumbRect.Width() / 2;
                const TRect t(e->HThumbRect.Left + (hot ? tw : 0), e->HThumbRect.Top, e->HThumbRect.Left + (hot ? 2 * tw : tw),
                              e->HThumbRect.Bottom);
                Piece(p, *pic, t, cell.Left + len / 3, cell.Top + (24 - t.Height()) / 2, true);
                for (int i = 0; i <= 8; ++i)
                    p.Bitmap().SetPixel(cell.Left + 4 + i * (len - 8) / 8, cell.Bottom - 2, Opaque(e->PointsColor));
            }
    p.NewRow();
}

void Tabs(GalleryPage& p)
{
    const auto* e = Control<TbsDataSkinTabControl>(p, "tab");
    if (e == nullptr) return;
    TbsBitmap* pic = p.Picture(e->PictureIndex);
    if (pic == nullptr) return;
    p.Section("tab", "页面 tabs: normal, selected, selected with focus, hot");
    const int w = 420, h = 120, th = e->TabRect.Height();
    const TRect cell = p.Place(w, h + th, "tab");
    TbsBitmap bg;
    CreateHSkinImage(0, 0, &bg, pic, e->TabsBGRect, w, th, true);
    p.Put(bg, cell.Left, cell.Top);
    TbsBitmap page;
    ComposeEntry(page, *pic, *e, e->SkinRect, w, h);
    p.Put(page, cell.Left, cell.Top + th);
    int x = cell.Left + 2;
    const struct
    {
        TRect look;
        int color;
        const char* text;
    } tabs[] = {{e->TabRect, e->FontColor, "常规 General"},
                {e->ActiveTabRect, e->ActiveFontColor, "Video 视频"},
                {e->MouseInTabRect, e->MouseInFontColor, "Audio (hot)"},
                {e->FocusTabRect, e->FocusFontColor, "Focused"}};
    for (const auto& t : tabs)
    {
        const int tw = 96;
        TbsBitmap tab;
        CreateHSkinImage(e->TabLeftOffset, e->TabRightOffset, &tab, pic, t.look, tw, th, e->TabStretchEffect);
        p.Put(tab, x, cell.Top);
        p.Text(TRect(x, cell.Top, x + tw, cell.Top + th), t.text, e->FontName, e->FontHeight, Bold(e->FontStyle), t.color,
               DT_CENTER | DT_VCENTER);
        x += tw;
    }
    for (auto [what, r] : {std::pair{"close", e->CloseButtonRect}, {"close hot", e->CloseButtonActiveRect},
                           {"close pressed", e->CloseButtonDownRect}})
    {
        const TRect c = p.Place(r.Width(), r.Height(), what);
        p.Bitmap().FillRect(c, p.Bitmap().GetPixel(cell.Left + w / 2, cell.Top + th + h / 2));
        Piece(p, *pic, r, c.Left, c.Top, true);
    }
    p.NewRow();
}

void Panels(GalleryPage& p)
{
    p.Section("panel", "面板 panels, tool bars, group box, status bar, labels, splitters, bevel");
    for (const char* name : {"panel", "toolpanel", "resizetoolpanel", "bigtoolpanel", "groupbox", "statusbar", "scrollbox"})
    {
        const TbsDataSkinCustomControl* e = Control<TbsDataSkinCustomControl>(p, name);
        if (e == nullptr) continue;
        TbsBitmap* pic = p.Picture(e->PictureIndex);
        if (pic == nullptr) continue;
        const bool bar = std::string(name) == "statusbar" || std::string(name).find("tool") != std::string::npos;
        const int w = bar ? 200 : 150, h = bar ? e->SkinRect.Height() : 70;
        const TRect cell = LookCell(p, *e, *pic, e->SkinRect, w, h, name);
        if (auto* panel = dynamic_cast<const TbsDataSkinPanelControl*>(e))
        {
            if (!panel->CaptionRect.IsEmpty())
            {
                const int dx = w - e->SkinRect.Width();
                const TRect cr(cell.Left + panel->CaptionRect.Left, cell.Top + panel->CaptionRect.Top,
                               cell.Left + panel->CaptionRect.Right + dx, cell.Top + panel->CaptionRect.Bottom);
                const bool group = std::string(name) == "groupbox";
                if (group)
                {
                    // The group box clears the frame line behind its caption.
                    const TbsColor face = p.Bitmap().GetPixel(cell.Left + w / 2, cell.Top + h / 2);
                    p.Bitmap().FillRect(TRect(cr.Left - 2, cr.Top, cr.Left + 74, cr.Bottom), face);
                }
                p.Text(cr, group ? "输出 Output" : "就绪 Ready", panel->FontName, panel->FontHeight, Bold(panel->FontStyle),
                       panel->FontColor, DT_LEFT | DT_VCENTER);
            }
            if (!panel->GripperRect.IsEmpty())
                Piece(p, *pic, panel->GripperRect, cell.Right - panel->GripperRect.Width() - 1,
                      cell.Bottom - panel->GripperRect.Height() - 1, panel->GripperTransparent);
        }
    }
    p.NewRow();
    for (const char* name : {"label", "menuheader"})
        if (const auto* e = Control<TbsDataSkinLabelControl>(p, name))
            if (TbsBitmap* pic = p.Picture(e->PictureIndex))
            {
                const TRect cell = LookCell(p, *e, *pic, e->SkinRect, 140, e->SkinRect.Height(), name);
                p.Text(TRect(cell.Left + 6, cell.Top, cell.Right, cell.Bottom), "标签 Label", e->FontName, e->FontHeight,
                       Bold(e->FontStyle), e->FontColor, DT_LEFT | DT_VCENTER);
            }
    if (const auto* e = Control<TbsDataSkinStdLabelControl>(p, "stdlabel"))
    {
        const TbsColor bg = Opaque(p.Data().FSkinColors.FcBtnFace);
        for (auto [what, color] : {std::pair{"stdlabel", e->FontColor}, {"stdlabel hot", e->ActiveFontColor}})
        {
            const TRect cell = p.Place(110, 20, what);
            p.Bitmap().FillRect(cell, bg);
            p.Text(TRect(cell.Left + 4, cell.Top, cell.Right, cell.Bottom), "文件 File name:", e->FontName, e->FontHeight,
                   Bold(e->FontStyle), color, DT_LEFT | DT_VCENTER);
        }
    }
    for (const char* name : {"hsplitter", "vsplitter"})
        if (const auto* e = Control<TbsDataSkinSplitterControl>(p, name))
            if (TbsBitmap* pic = p.Picture(e->PictureIndex))
            {
                const bool h = std::string(name) == "hsplitter";
                const TRect cell = LookCell(p, *e, *pic, e->SkinRect, h ? 120 : e->SkinRect.Width(), h ? e->SkinRect.Height() : 60, name);
                Piece(p, *pic, e->GripperRect, cell.Left + (cell.Width() - e->GripperRect.Width()) / 2,
                      cell.Top + (cell.Height() - e->GripperRect.Height()) / 2, e->GripperTransparent);
            }
    if (const auto* e = Control<TbsDataSkinBevel>(p, "bevel"))
    {
        const TRect cell = p.Place(120, 8, "bevel");
        for (int x = cell.Left; x < cell.Right; ++x)
        {
            p.Bitmap().SetPixel(x, cell.Top + 3, Opaque(e->DarkColor));
            p.Bitmap().SetPixel(x, cell.Top + 4, Opaque(e->LightColor));
        }
    }
    p.NewRow();
}

void Menus(GalleryPage& p)
{
    TbsSkinData& d = p.Data();
    p.Section("menu", "菜单 menu bar, popup menu, hint");
    if (const auto* bar = Control<TbsDataSkinMainMenuBar>(p, "mainmenubar"))
        if (TbsBitmap* pic = p.Picture(bar->PictureIndex))
        {
            const int w = 420;
            const TRect cell = p.Place(w, bar->SkinRect.Height(), "mainmenubar: item, hot, pressed, disabled");
            TbsBitmap b;
            CreateHSkinImage(bar->ItemsRect.Left, bar->SkinRect.Width() - bar->ItemsRect.Right, &b, pic, bar->SkinRect, w,
                             bar->SkinRect.Height(), bar->StretchEffect);
            p.Put(b, cell.Left, cell.Top);
            if (const auto* it = Object<TbsDataSkinMainMenuBarItem>(p, bar->MenuBarItem))
                if (TbsBitmap* ip = p.Picture(it->ActivePictureIndex))
                {
                    int x = cell.Left + bar->ItemsRect.Left;
                    for (auto [text, look, color] : {std::tuple{"文件 File", it->SkinRect, it->FontColor},
                                                     {"Edit", it->ActiveSkinRect, it->ActiveFontColor},
                                                     {"View", it->DownRect, it->DownFontColor},
                                                     {"Help", it->SkinRect, it->UnEnabledFontColor}})
                    {
                        const int iw = 80;
                        TbsBitmap item;
                        CreateHSkinImage(it->ItemLO, it->ItemRO, &item, ip, look, iw, look.Height(), it->StretchEffect);
                        p.Put(item, x, cell.Top);
                        p.Text(TRect(x, cell.Top, x + iw, cell.Top + look.Height()), text, it->FontName, it->FontHeight,
                               Bold(it->FontStyle), color, DT_CENTER | DT_VCENTER);
                        x += iw;
                    }
                }
            for (const std::string* name : {&bar->MinButton, &bar->MaxButton, &bar->CloseButton})
                if (const auto* mb = Object<TbsDataSkinMainMenuBarButton>(p, *name))
                    if (TbsBitmap* mp = p.Picture(mb->ActivePictureIndex))
                        for (auto [what, r] : {std::pair{"", mb->SkinRect}, {" hot", mb->ActiveSkinRect}, {" pressed", mb->DownRect}})
                        {
                            const TRect c = p.Place(r.Width(), r.Height(), *name + what);
                            Piece(p, *mp, r, c.Left, c.Top, false);
                        }
            p.NewRow();
        }
    // Popup menu: the window picture around items, a divider, marks.
    const auto& pw = d.PopupWindow;
    const auto* mi = Object<TbsDataSkinMenuItem>(p, "menuitem");
    TbsBitmap* wp = p.Picture(pw.WindowPictureIndex);
    if (mi && wp)
    {
        TbsBitmap* ip = p.Picture(mi->ActivePictureIndex);
        const int iw = 200, ih = mi->SkinRect.Height(), dh = mi->DividerRect.Height();
        const int items = 4;
        const int w = iw + pw.ItemsRect.Left + (wp->Width() - pw.ItemsRect.Right);
        const int h = items * ih + dh + pw.ItemsRect.Top + (wp->Height() - pw.ItemsRect.Bottom);
        const TRect cell = p.Place(w, h, "popup menu: item, hot, divider, checked, disabled");
        const int dx = w - wp->Width(), dy = h - wp->Height();
        TbsBitmap win;
        CreateSkinImage2(pw.LTPoint, pw.RTPoint, pw.LBPoint, pw.RBPoint, pw.ItemsRect, pw.LTPoint,
                         TPoint(pw.RTPoint.X + dx, pw.RTPoint.Y), TPoint(pw.LBPoint.X, pw.LBPoint.Y + dy),
                         TPoint(pw.RBPoint.X + dx, pw.RBPoint.Y + dy),
                         TRect(pw.ItemsRect.Left, pw.ItemsRect.Top, pw.ItemsRect.Right + dx, pw.ItemsRect.Bottom + dy), &win, wp,
                         TRect(0, 0, wp->Width(), wp->Height()), w, h, true, pw.LeftStretch, pw.TopStretch, pw.RightStretch,
                         pw.BottomStretch, pw.StretchEffect, pw.StretchType);
        p.Put(win, cell.Left, cell.Top);
        int y = cell.Top + pw.ItemsRect.Top;
        const int x = cell.Left + pw.ItemsRect.Left;
        const struct
        {
            TRect look;
            int color;
            const char* text;
            TRect mark;
        } rows[] = {{mi->SkinRect, mi->FontColor, "添加文件 Add files...", mi->ArrowImageRect},
                    {mi->ActiveSkinRect, mi->ActiveFontColor, "Start conversion", mi->ActiveArrowImageRect},
                    {mi->DividerRect, 0, nullptr, {}},
                    {mi->SkinRect, mi->FontColor, "Shut down when done", mi->CheckImageRect},
                    {mi->SkinRect, mi->UnEnabledFontColor, "Pause", {}}};
        for (const auto& r : rows)
        {
            TbsBitmap item;
            const bool divider = r.text == nullptr;
            CreateHSkinImage(divider ? mi->DividerLO : mi->ItemLO, divider ? mi->DividerRO : mi->ItemRO, &item, ip, r.look, iw,
                             r.look.Height(), divider ? mi->DividerStretchEffect : mi->StretchEffect);
            p.Put(item, x, y);
            if (!divider)
            {
                p.Text(TRect(x + mi->TextRct.Left, y, x + iw - 20, y + ih), r.text, mi->FontName, mi->FontHeight,
                       Bold(mi->FontStyle), r.color, DT_LEFT | DT_VCENTER);
                if (!r.mark.IsEmpty())
                {
                    const bool arrow = r.mark == mi->ArrowImageRect || r.mark == mi->ActiveArrowImageRect;
                    const int mx = arrow ? x + iw - 14 : x + mi->ImageRct.Left + (mi->ImageRct.Width() - r.mark.Width()) / 2;
                    Piece(p, *ip, r.mark, mx, y + (ih - r.mark.Height()) / 2, true);
                }
            }
            y += r.look.Height();
        }
    }
    if (const auto& hw = d.HintWindow; hw.WindowPictureIndex >= 0)
        if (TbsBitmap* hp = p.Picture(hw.WindowPictureIndex))
        {
            const int w = 180, h = 28, dx = w - hp->Width(), dy = h - hp->Height();
            const TRect cell = p.Place(w, h, "hint");
            TbsBitmap win;
            CreateSkinImage2(hw.LTPoint, hw.RTPoint, hw.LBPoint, hw.RBPoint, hw.ClRect, hw.LTPoint,
                             TPoint(hw.RTPoint.X + dx, hw.RTPoint.Y), TPoint(hw.LBPoint.X, hw.LBPoint.Y + dy),
                             TPoint(hw.RBPoint.X + dx, hw.RBPoint.Y + dy),
                             TRect(hw.ClRect.Left, hw.ClRect.Top, hw.ClRect.Right + dx, hw.ClRect.Bottom + dy), &win, hp,
                             TRect(0, 0, hp->Width(), hp->Height()), w, h, true, hw.LeftStretch, hw.TopStretch, hw.RightStretch,
                             hw.BottomStretch, hw.StretchEffect, hw.StretchType);
            p.Put(win, cell.Left, cell.Top);
            p.Text(TRect(cell.Left + hw.ClRect.Left + 2, cell.Top, cell.Right, cell.Bottom), "开始转换 Start converting",
                   hw.FontName, hw.FontHeight, hw.FontStyle.Has(TbsFontStyles::Bold), hw.FontColor, DT_LEFT | DT_VCENTER);
        }
    p.NewRow();
}
}  // namespace

void AddLookEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"buttons", Buttons});
    entries.push_back({"checkradio", CheckRadio});
    entries.push_back({"edits", Edits});
    entries.push_back({"scrollbars", ScrollBars});
    entries.push_back({"tabs", Tabs});
    entries.push_back({"panels", Panels});
    entries.push_back({"menus", Menus});
}
}  // namespace gallery
