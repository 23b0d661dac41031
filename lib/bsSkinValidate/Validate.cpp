#include "lib/bsSkinValidate.h"

#include "lib/bsEffects.h"
#include "lib/bsSkinData.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace
{
using L = TbsSkinEntryList;
}

const std::vector<TbsSkinEntrySpec>& bsSkinEntryTable()
{
    static const std::vector<TbsSkinEntrySpec> table = {
        // Caption objects of the frame, menu items and menu bar items.
        {"closebutton", L::Object, "stdbutton"},
        {"maxbutton", L::Object, "stdbutton"},
        {"minbutton", L::Object, "stdbutton"},
        {"sysmenubutton", L::Object, "stdbutton"},
        {"rollupbutton", L::Object, "stdbutton"},
        {"traybutton", L::Object, "stdbutton"},
        {"caption", L::Object, "caption"},
        {"menuitem", L::Object, "menuitem"},
        {"menubaritem", L::Object, "mainmenubaritem"},
        // Buttons the main menu bar shows for a maximized child form.
        {"mdiclosebutton", L::Object, "mainmenubarbutton"},
        {"mdimaxbutton", L::Object, "mainmenubarbutton"},
        {"mdiminbutton", L::Object, "mainmenubarbutton"},
        {"mdisysmenubutton", L::Object, "mainmenubarbutton"},
        // Buttons.
        {"button", L::Control, "button"},
        {"resizebutton", L::Control, "button"},
        {"resizetoolbutton", L::Control, "button"},
        {"toolbutton", L::Control, "button"},
        {"bigtoolbutton", L::Control, "button"},
        {"htracktoolbutton", L::Control, "button"},
        {"vtracktoolbutton", L::Control, "button"},
        {"combobutton", L::Control, "button"},
        {"editbutton", L::Control, "button"},
        {"officequickbutton", L::Control, "button"},
        {"menuitembutton", L::Control, "button"},
        {"toolmenubutton", L::Control, "menubutton"},
        {"toolmenutrackbutton", L::Control, "menubutton"},
        {"bigtoolmenubutton", L::Control, "menubutton"},
        {"bigtoolmenutrackbutton", L::Control, "menubutton"},
        // Containers and bars.
        {"panel", L::Control, "panel"},
        {"resizetoolpanel", L::Control, "panel"},
        {"toolpanel", L::Control, "panel"},
        {"bigtoolpanel", L::Control, "panel"},
        {"groupbox", L::Control, "panel"},
        {"statusbar", L::Control, "panel"},
        {"scrollbox", L::Control, "scrollbox"},
        {"hsplitter", L::Control, "splitter"},
        {"vsplitter", L::Control, "splitter"},
        {"bevel", L::Control, "bevel"},
        {"mainmenubar", L::Control, "mainmenubar"},
        // Check boxes, scroll bars, up-down buttons, sliders, tabs.
        {"checkbox", L::Control, "checkradio"},
        {"radiobox", L::Control, "checkradio"},
        {"hscrollbar", L::Control, "scrollbar"},
        {"vscrollbar", L::Control, "scrollbar"},
        {"bothhscrollbar", L::Control, "scrollbar"},
        {"hupdown", L::Control, "updown"},
        {"vupdown", L::Control, "updown"},
        {"slider", L::Control, "slider"},
        {"tab", L::Control, "tab"},
        // Edits and lists.
        {"edit", L::Control, "edit"},
        {"buttonedit", L::Control, "edit"},
        {"memo", L::Control, "memo"},
        {"listbox", L::Control, "listbox"},
        {"checklistbox", L::Control, "checklistbox"},
        {"combobox", L::Control, "combobox"},
        {"treeview", L::Control, "treeview"},
        {"listview", L::Control, "listview"},
        {"richedit", L::Control, "richedit"},
        // Labels.
        {"label", L::Control, "label"},
        {"menuheader", L::Control, "label"},
        {"stdlabel", L::Control, "stdlabel"},
    };
    return table;
}

namespace
{
double Channel(int v)
{
    const double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(int color)
{
    return 0.2126 * Channel(color & 0xFF) + 0.7152 * Channel((color >> 8) & 0xFF) +
           0.0722 * Channel((color >> 16) & 0xFF);
}

// A picture pixel 0xAARRGGBB as a skin colour 0x00BBGGRR.
int PixelToColor(std::uint32_t p)
{
    return static_cast<int>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

std::string RectText(const TRect& r)
{
    std::ostringstream s;
    s << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
    return s.str();
}

class Checker
{
public:
    explicit Checker(const TbsSkinData& d) : d_(d) {}

    std::vector<std::string> Problems;

    void Fail(const std::string& where, const std::string& what) { Problems.push_back(where + ": " + what); }

    const TbsSkinPicture* Active(int index) const { return d_.ActivePicture(index); }

    // A picture index is -1 or names an active picture.
    bool Index(const std::string& where, const char* what, int index)
    {
        if (index == -1) return true;
        if (index < 0 || index >= d_.ActivePicturesCount())
        {
            Fail(where, std::string(what) + " " + std::to_string(index) + " is not a picture of the skin");
            return false;
        }
        return true;
    }

    // A non-empty rectangle lies inside the picture.
    void InPicture(const std::string& where, const char* what, const TRect& r, const TbsSkinPicture* pic)
    {
        if (r.IsEmpty()) return;
        if (pic == nullptr || pic->Empty())
        {
            Fail(where, std::string(what) + " names a rectangle but the entry has no picture");
            return;
        }
        if (r.Left < 0 || r.Top < 0 || r.Right > pic->Width() || r.Bottom > pic->Height())
            Fail(where, std::string(what) + " " + RectText(r) + " lies outside its picture (" +
                            std::to_string(pic->Width()) + "x" + std::to_string(pic->Height()) + ")");
    }

    // A rectangle relative to a look of size w x h lies inside it.
    void InLook(const std::string& where, const char* what, const TRect& r, int w, int h)
    {
        if (r.IsEmpty()) return;
        if (r.Left < 0 || r.Top < 0 || r.Right > w || r.Bottom > h)
            Fail(where, std::string(what) + " " + RectText(r) + " lies outside its look");
    }

    void PointInLook(const std::string& where, const char* what, TPoint p, int w, int h)
    {
        if (p.X < 0 || p.Y < 0 || p.X > w || p.Y > h)
            Fail(where, std::string(what) + " lies outside its look");
    }

    // Nine-slice geometry of a look: points and client rectangle inside it,
    // corners ordered so that every band has a middle.
    void Geometry(const std::string& where, const TRect& skin, TPoint lt, TPoint rt, TPoint lb, TPoint rb,
                  const TRect& cl)
    {
        const int w = skin.Width(), h = skin.Height();
        PointInLook(where, "lefttoppoint", lt, w, h);
        PointInLook(where, "righttoppoint", rt, w, h);
        PointInLook(where, "leftbottompoint", lb, w, h);
        PointInLook(where, "rightbottompoint", rb, w, h);
        InLook(where, "clientrect", cl, w, h);
        if (!cl.IsEmpty() && (rt.X < lt.X || rb.X < lb.X || lb.Y < lt.Y || rb.Y < rt.Y))
            Fail(where, "corner points are out of order");
    }

    // Average colour of a rectangle of a picture (0x00BBGGRR).
    static int Average(const TbsSkinPicture* pic, const TRect& r)
    {
        long long sr = 0, sg = 0, sb = 0, n = 0;
        for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, pic->Height()); ++y)
            for (int x = std::max(r.Left, 0); x < std::min(r.Right, pic->Width()); ++x)
            {
                const std::uint32_t p = pic->Pixel(x, y);
                sr += (p >> 16) & 0xFF;
                sg += (p >> 8) & 0xFF;
                sb += p & 0xFF;
                ++n;
            }
        if (n == 0) return 0;
        return static_cast<int>(sr / n) | (static_cast<int>(sg / n) << 8) | (static_cast<int>(sb / n) << 16);
    }

    // Text colour against the average of a picture rectangle.
    void Contrast(const std::string& where, const char* what, int text, const TbsSkinPicture* pic, const TRect& r,
                  double floor)
    {
        if (pic == nullptr || pic->Empty() || r.IsEmpty()) return;
        ContrastColor(where, what, text, Average(pic, r), floor);
    }

    void ContrastColor(const std::string& where, const char* what, int text, int background, double floor)
    {
        const double c = bsContrastRatio(text, background);
        if (c + 1e-9 < floor)
        {
            std::ostringstream s;
            s.precision(2);
            s << std::fixed << what << " contrast " << c << ":1 is below " << floor << ":1";
            Fail(where, s.str());
        }
    }

    // The bottom-left pixel of an auto-transparent piece is the key colour.
    void KeyCorner(const std::string& where, const char* what, const TRect& r, const TbsSkinPicture* pic,
                   int key = bsSkinKeyColor)
    {
        if (r.IsEmpty() || pic == nullptr || pic->Empty()) return;
        if (r.Left < 0 || r.Bottom > pic->Height() || r.Left >= pic->Width() || r.Bottom <= 0) return;
        if (PixelToColor(pic->Pixel(r.Left, r.Bottom - 1)) != key)
            Fail(where, std::string(what) + ": the bottom-left pixel is not the transparent colour");
    }

    const TbsSkinData& d_;
};

TRect Offset(const TRect& r, const TRect& by)
{
    return TRect(r.Left + by.Left, r.Top + by.Top, r.Right + by.Left, r.Bottom + by.Top);
}

// The client part of a look in picture coordinates (the whole look when it
// has no client rectangle).
TRect ClientOf(const TRect& skin, const TRect& cl)
{
    return cl.IsEmpty() ? skin : Offset(cl, skin);
}

void CheckCustom(Checker& c, const std::string& n, const TbsDataSkinCustomControl& e)
{
    c.Geometry(n, e.SkinRect, e.LTPoint, e.RTPoint, e.LBPoint, e.RBPoint, e.ClRect);
}

void CheckControl(Checker& c, const TbsSkinData& d, const TbsDataSkinControl& e)
{
    const std::string& n = e.IDName;
    if (!c.Index(n, "pictureindex", e.PictureIndex)) return;
    c.Index(n, "maskpictureindex", e.MaskPictureIndex);
    const TbsSkinPicture* pic = c.Active(e.PictureIndex);
    c.InPicture(n, "skinrect", e.SkinRect, pic);
    const int bodyText = d.FSkinColors.FcBtnText;
    (void)bodyText;
    const double body = bsBodyTextContrast, weak = bsDisabledTextContrast;

    if (auto* b = dynamic_cast<const TbsDataSkinButtonControl*>(&e))
    {
        CheckCustom(c, n, *b);
        for (auto [what, r] : {std::pair{"activeskinrect", b->ActiveSkinRect}, {"downskinrect", b->DownSkinRect},
                               {"disabledskinrect", b->DisabledSkinRect}, {"focusedskinrect", b->FocusedSkinRect},
                               {"menumarkerrect", b->MenuMarkerRect}, {"menumarkerflatrect", b->MenuMarkerFlatRect},
                               {"menumarkeractiverect", b->MenuMarkerActiveRect},
                               {"menumarkerdownrect", b->MenuMarkerDownRect}})
            c.InPicture(n, what, r, pic);
        c.KeyCorner(n, "menumarkerrect", b->MenuMarkerRect, pic, b->MenuMarkerTransparentColor);
        c.KeyCorner(n, "menumarkeractiverect", b->MenuMarkerActiveRect, pic, b->MenuMarkerTransparentColor);
        c.KeyCorner(n, "menumarkerdownrect", b->MenuMarkerDownRect, pic, b->MenuMarkerTransparentColor);
        c.Contrast(n, "fontcolor", b->FontColor, pic, ClientOf(b->SkinRect, b->ClRect), body);
        c.Contrast(n, "activefontcolor", b->ActiveFontColor, pic, ClientOf(b->ActiveSkinRect, b->ClRect), body);
        c.Contrast(n, "downfontcolor", b->DownFontColor, pic, ClientOf(b->DownSkinRect, b->ClRect), body);
        c.Contrast(n, "disabledfontcolor", b->DisabledFontColor, pic, ClientOf(b->DisabledSkinRect, b->ClRect),
                   weak);
        if (c.Index(n, "glowlayerpictureindex", b->GlowLayerPictureIndex) &&
            c.Index(n, "glowlayermaskpictureindex", b->GlowLayerMaskPictureIndex) && b->GlowLayerPictureIndex >= 0)
        {
            const TbsSkinPicture* glow = c.Active(b->GlowLayerPictureIndex);
            const TbsSkinPicture* mask = c.Active(b->GlowLayerMaskPictureIndex);
            if (mask == nullptr)
                c.Fail(n, "a glow layer without a mask");
            else if (glow->Width() != mask->Width() || glow->Height() != mask->Height())
                c.Fail(n, "glow picture and glow mask differ in size");
        }
        if (auto* m = dynamic_cast<const TbsDataSkinMenuButtonControl*>(&e))
            c.InLook(n, "trackbuttonrect", m->TrackButtonRect, e.SkinRect.Width(), e.SkinRect.Height());
    }
    else if (auto* k = dynamic_cast<const TbsDataSkinCheckRadioControl*>(&e))
    {
        CheckCustom(c, n, *k);
        c.InPicture(n, "activeskinrect", k->ActiveSkinRect, pic);
        c.InLook(n, "checkimagearea", k->CheckImageArea, e.SkinRect.Width(), e.SkinRect.Height());
        c.InLook(n, "textarea", k->TextArea, e.SkinRect.Width(), e.SkinRect.Height());
        for (auto [what, r] :
             {std::pair{"checkimagerect", k->CheckImageRect}, {"uncheckimagerect", k->UnCheckImageRect},
              {"activecheckimagerect", k->ActiveCheckImageRect}, {"activeuncheckimagerect", k->ActiveUnCheckImageRect},
              {"unenabledcheckimagerect", k->UnEnabledCheckImageRect},
              {"unenableduncheckimagerect", k->UnEnabledUnCheckImageRect},
              {"grayedcheckimagerect", k->GrayedCheckImageRect},
              {"activegrayedcheckimagerect", k->ActiveGrayedCheckImageRect}})
        {
            c.InPicture(n, what, r, pic);
            c.KeyCorner(n, what, r, pic);
        }
        c.Contrast(n, "fontcolor", k->FontColor, pic, Offset(k->TextArea, k->SkinRect), body);
        c.Contrast(n, "activefontcolor", k->ActiveFontColor, pic, Offset(k->TextArea, k->ActiveSkinRect), body);
        c.Contrast(n, "unenabledfontcolor", k->UnEnabledFontColor, pic, Offset(k->TextArea, k->SkinRect), weak);
    }
    else if (auto* u = dynamic_cast<const TbsDataSkinUpDownControl*>(&e))
    {
        for (auto [what, r] : {std::pair{"upbuttonrect", u->UpButtonRect}, {"activeupbuttonrect", u->ActiveUpButtonRect},
                               {"downupbuttonrect", u->DownUpButtonRect}, {"downbuttonrect", u->DownButtonRect},
                               {"activedownbuttonrect", u->ActiveDownButtonRect},
                               {"downdownbuttonrect", u->DownDownButtonRect}})
            c.InPicture(n, what, r, pic);
    }
    else if (auto* ed = dynamic_cast<const TbsDataSkinEditControl*>(&e))
    {
        CheckCustom(c, n, *ed);
        c.InPicture(n, "activeskinrect", ed->ActiveSkinRect, pic);
        c.InLook(n, "buttonrect", ed->ButtonRect, e.SkinRect.Width(), e.SkinRect.Height());
        for (auto [what, r] : {std::pair{"activebuttonrect", ed->ActiveButtonRect}, {"downbuttonrect", ed->DownButtonRect},
                               {"unenabledbuttonrect", ed->UnEnabledButtonRect}})
            c.InPicture(n, what, r, pic);
        c.Contrast(n, "fontcolor", ed->FontColor, pic, ClientOf(ed->SkinRect, ed->ClRect), body);
        c.Contrast(n, "activefontcolor", ed->ActiveFontColor, pic, ClientOf(ed->ActiveSkinRect, ed->ClRect), body);
        c.Contrast(n, "disabledfontcolor", ed->DisabledFontColor, pic, ClientOf(ed->SkinRect, ed->ClRect), weak);
        if (auto* m = dynamic_cast<const TbsDataSkinMemoControl*>(&e))
        {
            c.ContrastColor(n, "fontcolor on bgcolor", m->FontColor, m->BGColor, body);
            c.ContrastColor(n, "activefontcolor on activebgcolor", m->ActiveFontColor, m->ActiveBGColor, body);
        }
    }
    else if (auto* cb = dynamic_cast<const TbsDataSkinComboBox*>(&e))
    {
        CheckCustom(c, n, *cb);
        for (auto [what, r] : {std::pair{"sitemrect", cb->SItemRect}, {"activeitemrect", cb->ActiveItemRect},
                               {"focusitemrect", cb->FocusItemRect}, {"activeskinrect", cb->ActiveSkinRect},
                               {"activebuttonrect", cb->ActiveButtonRect}, {"downbuttonrect", cb->DownButtonRect},
                               {"unenabledbuttonrect", cb->UnEnabledButtonRect}})
            c.InPicture(n, what, r, pic);
        c.InLook(n, "buttonrect", cb->ButtonRect, e.SkinRect.Width(), e.SkinRect.Height());
        c.InLook(n, "itemtextrect", cb->ItemTextRect, cb->SItemRect.Width(), cb->SItemRect.Height());
        c.Contrast(n, "fontcolor", cb->FontColor, pic, cb->SItemRect, body);
        c.Contrast(n, "activefontcolor", cb->ActiveFontColor, pic, cb->ActiveItemRect, body);
        c.Contrast(n, "focusfontcolor", cb->FocusFontColor, pic, cb->FocusItemRect, body);
        if (!cb->ListBoxName.empty() && d.GetControlIndex(cb->ListBoxName) < 0)
            c.Fail(n, "listboxname \"" + cb->ListBoxName + "\" names no entry");
    }
    else if (auto* lb = dynamic_cast<const TbsDataSkinListBox*>(&e))
    {
        CheckCustom(c, n, *lb);
        for (auto [what, r] :
             {std::pair{"sitemrect", lb->SItemRect}, {"activeitemrect", lb->ActiveItemRect},
              {"focusitemrect", lb->FocusItemRect}, {"activeupbuttonrect", lb->ActiveUpButtonRect},
              {"downupbuttonrect", lb->DownUpButtonRect}, {"activedownbuttonrect", lb->ActiveDownButtonRect},
              {"downdownbuttonrect", lb->DownDownButtonRect}, {"activecheckbuttonrect", lb->ActiveCheckButtonRect},
              {"downcheckbuttonrect", lb->DownCheckButtonRect}, {"disabledbuttonsrect", lb->DisabledButtonsRect}})
            c.InPicture(n, what, r, pic);
        const int w = e.SkinRect.Width(), h = e.SkinRect.Height();
        for (auto [what, r] : {std::pair{"captionrect", lb->CaptionRect}, {"upbuttonrect", lb->UpButtonRect},
                               {"downbuttonrect", lb->DownButtonRect}, {"checkbuttonrect", lb->CheckButtonRect},
                               {"buttonsarea", lb->ButtonsArea}})
            c.InLook(n, what, r, w, h);
        c.InLook(n, "itemtextrect", lb->ItemTextRect, lb->SItemRect.Width(), lb->SItemRect.Height());
        // Text lies in ItemTextRect of each item picture.
        auto text = [&](const TRect& item) { return lb->ItemTextRect.IsEmpty() ? item : Offset(lb->ItemTextRect, item); };
        c.Contrast(n, "fontcolor", lb->FontColor, pic, text(lb->SItemRect), body);
        c.Contrast(n, "activefontcolor", lb->ActiveFontColor, pic, text(lb->ActiveItemRect), body);
        c.Contrast(n, "focusfontcolor", lb->FocusFontColor, pic, text(lb->FocusItemRect), body);
        for (const std::string* name : {&lb->HScrollBarName, &lb->VScrollBarName, &lb->BothScrollBarName})
            if (!name->empty() && d.GetControlIndex(*name) < 0)
                c.Fail(n, "scroll bar entry \"" + *name + "\" does not exist");
        if (auto* cl = dynamic_cast<const TbsDataSkinCheckListBox*>(&e))
        {
            c.InPicture(n, "checkimagerect", cl->CheckImageRect, pic);
            c.InPicture(n, "uncheckimagerect", cl->UnCheckImageRect, pic);
        }
    }
    else if (auto* p = dynamic_cast<const TbsDataSkinPanelControl*>(&e))
    {
        CheckCustom(c, n, *p);
        c.Index(n, "bgpictureindex", p->BGPictureIndex);
        const int w = e.SkinRect.Width(), h = e.SkinRect.Height();
        c.InLook(n, "captionrect", p->CaptionRect, w, h);
        for (auto [what, r] : {std::pair{"checkimagerect", p->CheckImageRect}, {"uncheckimagerect", p->UnCheckImageRect},
                               {"markframerect", p->MarkFrameRect}, {"framerect", p->FrameRect},
                               {"gripperrect", p->GripperRect}})
            c.InPicture(n, what, r, pic);
        if (p->GripperTransparent) c.KeyCorner(n, "gripperrect", p->GripperRect, pic, p->GripperTransparentColor);
        c.Contrast(n, "fontcolor", p->FontColor, pic,
                   p->CaptionRect.IsEmpty() ? ClientOf(p->SkinRect, p->ClRect) : Offset(p->CaptionRect, p->SkinRect),
                   body);
    }
    else if (auto* sb = dynamic_cast<const TbsDataSkinScrollBarControl*>(&e))
    {
        CheckCustom(c, n, *sb);
        const int w = e.SkinRect.Width(), h = e.SkinRect.Height();
        c.InLook(n, "trackarea", sb->TrackArea, w, h);
        c.InLook(n, "upbuttonrect", sb->UpButtonRect, w, h);
        c.InLook(n, "downbuttonrect", sb->DownButtonRect, w, h);
        for (auto [what, r] :
             {std::pair{"activeupbuttonrect", sb->ActiveUpButtonRect}, {"downupbuttonrect", sb->DownUpButtonRect},
              {"activedownbuttonrect", sb->ActiveDownButtonRect}, {"downdownbuttonrect", sb->DownDownButtonRect},
              {"thumbrect", sb->ThumbRect}, {"activethumbrect", sb->ActiveThumbRect},
              {"downthumbrect", sb->DownThumbRect}, {"glyphrect", sb->GlyphRect},
              {"activeglyphrect", sb->ActiveGlyphRect}, {"downglyphrect", sb->DownGlyphRect}})
            c.InPicture(n, what, r, pic);
        if (sb->GlyphTransparent)
            for (auto [what, r] : {std::pair{"glyphrect", sb->GlyphRect}, {"activeglyphrect", sb->ActiveGlyphRect},
                                   {"downglyphrect", sb->DownGlyphRect}})
                c.KeyCorner(n, what, r, pic, sb->GlyphTransparentColor);
    }
    else if (auto* sp = dynamic_cast<const TbsDataSkinSplitterControl*>(&e))
    {
        CheckCustom(c, n, *sp);
        c.InPicture(n, "gripperrect", sp->GripperRect, pic);
        if (sp->GripperTransparent) c.KeyCorner(n, "gripperrect", sp->GripperRect, pic, sp->GripperTransparentColor);
    }
    else if (auto* la = dynamic_cast<const TbsDataSkinLabelControl*>(&e))
    {
        CheckCustom(c, n, *la);
        c.Contrast(n, "fontcolor", la->FontColor, pic, ClientOf(la->SkinRect, la->ClRect), body);
    }
    else if (auto* bx = dynamic_cast<const TbsDataSkinScrollBoxControl*>(&e))
    {
        CheckCustom(c, n, *bx);
        c.Index(n, "bgpictureindex", bx->BGPictureIndex);
    }
    else if (auto* cc = dynamic_cast<const TbsDataSkinCustomControl*>(&e))
    {
        CheckCustom(c, n, *cc);
    }
    else if (auto* t = dynamic_cast<const TbsDataSkinTabControl*>(&e))
    {
        c.Geometry(n, t->SkinRect, t->LTPoint, t->RTPoint, t->LBPoint, t->RBPoint, t->ClRect);
        c.Index(n, "bgpictureindex", t->BGPictureIndex);
        for (auto [what, r] : {std::pair{"tabrect", t->TabRect}, {"activetabrect", t->ActiveTabRect},
                               {"focustabrect", t->FocusTabRect}, {"mouseintabrect", t->MouseInTabRect},
                               {"tabsbgrect", t->TabsBGRect}, {"closebuttonrect", t->CloseButtonRect},
                               {"closebuttonactiverect", t->CloseButtonActiveRect},
                               {"closebuttondownrect", t->CloseButtonDownRect}})
            c.InPicture(n, what, r, pic);
        if (t->ButtonTransparent)
            for (auto [what, r] : {std::pair{"closebuttonrect", t->CloseButtonRect},
                                   {"closebuttonactiverect", t->CloseButtonActiveRect},
                                   {"closebuttondownrect", t->CloseButtonDownRect}})
                c.KeyCorner(n, what, r, pic, t->ButtonTransparentColor);
        c.Contrast(n, "fontcolor", t->FontColor, pic, t->TabRect, body);
        c.Contrast(n, "activefontcolor", t->ActiveFontColor, pic, t->ActiveTabRect, body);
        c.Contrast(n, "focusfontcolor", t->FocusFontColor, pic, t->FocusTabRect, body);
        c.Contrast(n, "mouseinfontcolor", t->MouseInFontColor, pic, t->MouseInTabRect, body);
        if (!t->UpDown.empty() && d.GetControlIndex(t->UpDown) < 0)
            c.Fail(n, "updown \"" + t->UpDown + "\" names no entry");
    }
    else if (auto* mb = dynamic_cast<const TbsDataSkinMainMenuBar*>(&e))
    {
        c.InLook(n, "itemsrect", mb->ItemsRect, e.SkinRect.Width(), e.SkinRect.Height());
        for (const std::string* name :
             {&mb->MenuBarItem, &mb->CloseButton, &mb->MaxButton, &mb->MinButton, &mb->SysMenuButton})
            if (!name->empty() && d.GetIndex(*name) < 0)
                c.Fail(n, "object \"" + *name + "\" does not exist");
    }
    else if (auto* sl = dynamic_cast<const TbsDataSkinSlider*>(&e))
    {
        for (auto [what, r] : {std::pair{"hrulerrect", sl->HRulerRect}, {"hthumbrect", sl->HThumbRect},
                               {"vrulerrect", sl->VRulerRect}, {"vthumbrect", sl->VThumbRect}})
            c.InPicture(n, what, r, pic);
        // Each thumb rectangle holds two thumbs side by side.
        for (const TRect& r : {sl->HThumbRect, sl->VThumbRect})
        {
            const int half = r.Width() / 2;
            c.KeyCorner(n, "thumb", TRect(r.Left, r.Top, r.Left + half, r.Bottom), pic);
            c.KeyCorner(n, "active thumb", TRect(r.Left + half, r.Top, r.Right, r.Bottom), pic);
        }
    }
    else if (auto* tx = dynamic_cast<const TbsDataSkinTextBGControl*>(&e))
    {
        c.ContrastColor(n, "fontcolor on bgcolor", tx->FontColor, tx->BGColor, body);
    }
    else if (auto* sl2 = dynamic_cast<const TbsDataSkinStdLabelControl*>(&e))
    {
        c.ContrastColor(n, "fontcolor on the button face", sl2->FontColor, d.FSkinColors.FcBtnFace, body);
        c.ContrastColor(n, "activefontcolor on the button face", sl2->ActiveFontColor, d.FSkinColors.FcBtnFace, body);
    }
}

void CheckObject(Checker& c, const TbsSkinData& d, const TbsDataSkinObject& o)
{
    const std::string& n = o.IDName;
    if (!c.Index(n, "activepictureindex", o.ActivePictureIndex)) return;
    c.Index(n, "activemaskpictureindex", o.ActiveMaskPictureIndex);
    const TbsSkinPicture* act = c.Active(o.ActivePictureIndex);
    const TbsSkinPicture* frame = &d.FPicture;
    const double body = bsBodyTextContrast, weak = bsDisabledTextContrast;
    c.InPicture(n, "skinrect", o.SkinRect, o.SkinRectInAPicture ? act : frame);
    c.InPicture(n, "activeskinrect", o.ActiveSkinRect, act);
    c.InPicture(n, "inactiveskinrect", o.InActiveSkinRect, act);
    if (c.Index(n, "glowlayerpictureindex", o.GlowLayerPictureIndex) &&
        c.Index(n, "glowlayermaskpictureindex", o.GlowLayerMaskPictureIndex) && o.GlowLayerPictureIndex >= 0 &&
        o.GlowLayerMaskPictureIndex < 0)
        c.Fail(n, "a glow layer without a mask");
    if (auto* b = dynamic_cast<const TbsDataSkinButton*>(&o))
    {
        c.InPicture(n, "downrect", b->DownRect, act);
        c.InPicture(n, "disableskinrsect", b->DisableSkinRect, act);
        if (auto* s = dynamic_cast<const TbsDataSkinStdButton*>(&o))
            for (auto [what, r] : {std::pair{"restorerect", s->RestoreRect}, {"restoreactiverect", s->RestoreActiveRect},
                                   {"restoredownrect", s->RestoreDownRect},
                                   {"restoreinactiverect", s->RestoreInActiveRect}})
                c.InPicture(n, what, r, act);
    }
    if (auto* m = dynamic_cast<const TbsDataSkinMenuItem*>(&o))
    {
        for (auto [what, r] : {std::pair{"dividerrect", m->DividerRect}, {"checkimagerect", m->CheckImageRect},
                               {"activecheckimagerect", m->ActiveCheckImageRect}, {"radioimagerect", m->RadioImageRect},
                               {"activeradioimagerect", m->ActiveRadioImageRect}, {"arrowimagerect", m->ArrowImageRect},
                               {"activearrowimagerect", m->ActiveArrowImageRect}})
        {
            c.InPicture(n, what, r, act);
            if (what != std::string("dividerrect")) c.KeyCorner(n, what, r, act);
        }
        c.InLook(n, "textrct", m->TextRct, o.SkinRect.Width(), o.SkinRect.Height());
        c.Contrast(n, "fontcolor", m->FontColor, act, o.SkinRect, body);
        c.Contrast(n, "activefontcolor", m->ActiveFontColor, act, o.ActiveSkinRect, body);
        c.Contrast(n, "unenabledfontcolor", m->UnEnabledFontColor, act, o.SkinRect, weak);
    }
    if (auto* mi = dynamic_cast<const TbsDataSkinMainMenuItem*>(&o))
    {
        c.InPicture(n, "downrect", mi->DownRect, act);
        c.Contrast(n, "fontcolor", mi->FontColor, act, o.SkinRect, body);
        c.Contrast(n, "activefontcolor", mi->ActiveFontColor, act, o.ActiveSkinRect, body);
        c.Contrast(n, "downfontcolor", mi->DownFontColor, act, mi->DownRect, body);
    }
    if (auto* cap = dynamic_cast<const TbsDataSkinCaption*>(&o))
    {
        const TRect area = o.SkinRectInAPicture || cap->TextRct.IsEmpty() ? o.SkinRect : Offset(cap->TextRct, o.SkinRect);
        if (!o.SkinRectInAPicture)
        {
            c.Contrast(n, "activefontcolor", cap->ActiveFontColor, frame, area, body);
            if (!d.FInActivePicture.Empty())
                c.Contrast(n, "fontcolor", cap->FontColor, &d.FInActivePicture, area, 3.0);
        }
    }
}

void CheckFrame(Checker& c, const TbsSkinData& d)
{
    const TbsSkinPicture& pic = d.FPicture;
    if (pic.Empty())
    {
        c.Fail("FORMINFO", "the skin has no frame picture");
        return;
    }
    const TRect whole(0, 0, pic.Width(), pic.Height());
    c.Geometry("FORMINFO", whole, d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect);
    if (d.ClRect.IsEmpty()) c.Fail("FORMINFO", "clientrect is empty");
    c.InLook("FORMINFO", "captionrect", d.CaptionRect, pic.Width(), pic.Height());
    c.InLook("FORMINFO", "buttonsrect", d.ButtonsRect, pic.Width(), pic.Height());
    c.InLook("FORMINFO", "maskrectarea", d.MaskRectArea, pic.Width(), pic.Height());
    c.Index("FORMINFO", "bgpictureindex", d.BGPictureIndex);
    c.Index("FORMINFO", "mdibgpictureindex", d.MDIBGPictureIndex);
    if (!d.FInActivePicture.Empty() &&
        (d.FInActivePicture.Width() != pic.Width() || d.FInActivePicture.Height() != pic.Height()))
        c.Fail("PICTURES", "the inactive picture differs in size from the frame picture");
    if (d.FInActivePicture.Empty() && !d.AutoRenderingInActiveImage)
        c.Fail("PICTURES", "neither an inactive picture nor autorenderinginactiveimage");
    if (!d.FMask.Empty())
    {
        if (d.FMask.Width() != pic.Width() || d.FMask.Height() != pic.Height())
            c.Fail("PICTURES", "the mask differs in size from the frame picture");
        bool pure = true;
        for (std::uint32_t p : d.FMask.Pixels())
            if ((p & 0xFFFFFF) != 0 && (p & 0xFFFFFF) != 0xFFFFFF) pure = false;
        if (!pure) c.Fail("PICTURES", "the mask holds colours other than black and white");
        else if (d.ClRect.Left < d.FMask.Width() && d.ClRect.Top < d.FMask.Height() && !d.ClRect.IsEmpty() &&
                 (d.FMask.Pixel(d.ClRect.Left, d.ClRect.Top) & 0xFFFFFF) != 0)
            c.Fail("PICTURES", "the mask is not black inside the client rectangle");
    }
}

void CheckSections(Checker& c, const TbsSkinData& d)
{
    const auto& pw = d.PopupWindow;
    if (c.Index("POPUPWINDOW", "windowpictureindex", pw.WindowPictureIndex) && pw.WindowPictureIndex >= 0)
    {
        const TbsSkinPicture* p = c.Active(pw.WindowPictureIndex);
        const TRect whole(0, 0, p->Width(), p->Height());
        c.Geometry("POPUPWINDOW", whole, pw.LTPoint, pw.RTPoint, pw.LBPoint, pw.RBPoint, pw.ItemsRect);
    }
    c.Index("POPUPWINDOW", "maskpictureindex", pw.MaskPictureIndex);
    const auto& hw = d.HintWindow;
    if (c.Index("HINTWINDOW", "windowpictureindex", hw.WindowPictureIndex) && hw.WindowPictureIndex >= 0)
    {
        const TbsSkinPicture* p = c.Active(hw.WindowPictureIndex);
        const TRect whole(0, 0, p->Width(), p->Height());
        c.Geometry("HINTWINDOW", whole, hw.LTPoint, hw.RTPoint, hw.LBPoint, hw.RBPoint, hw.ClRect);
        c.Contrast("HINTWINDOW", "fontcolor", hw.FontColor, p, hw.ClRect, bsBodyTextContrast);
    }
    c.Index("HINTWINDOW", "maskpictureindex", hw.MaskPictureIndex);
    const auto& lf = d.LayerFrame;
    if (c.Index("LAYERFRAME", "pictureindex", lf.PictureIndex) && lf.PictureIndex >= 0)
    {
        const TbsSkinPicture* p = c.Active(lf.PictureIndex);
        const TRect whole(0, 0, p->Width(), p->Height());
        c.Geometry("LAYERFRAME", whole, lf.LTPoint, lf.RTPoint, lf.LBPoint, lf.RBPoint, lf.ClRect);
        c.InLook("LAYERFRAME", "borderrect", lf.BorderRect, p->Width(), p->Height());
        for (int idx : {lf.MaskPictureIndex, lf.InActiveMaskPictureIndex})
            if (c.Index("LAYERFRAME", "maskpictureindex", idx) && idx >= 0)
            {
                const TbsSkinPicture* m = c.Active(idx);
                if (m->Width() != p->Width() || m->Height() != p->Height())
                    c.Fail("LAYERFRAME", "the mask differs in size from the layer picture");
            }
        c.Index("LAYERFRAME", "inactivepictureindex", lf.InActivePictureIndex);
    }
    const auto& sc = d.FSkinColors;
    c.ContrastColor("SKINCOLORS", "cbtntext on cbtnface", sc.FcBtnText, sc.FcBtnFace, bsBodyTextContrast);
    c.ContrastColor("SKINCOLORS", "cwindowtext on cwindow", sc.FcWindowText, sc.FcWindow, bsBodyTextContrast);
    c.ContrastColor("SKINCOLORS", "chighlighttext on chighlight", sc.FcHighLightText, sc.FcHighLight,
                    bsBodyTextContrast);
}

// Glow masks are grey: every mask named by a glow layer has R = G = B.
void CheckGlowMasks(Checker& c, const TbsSkinData& d)
{
    std::vector<int> masks;
    for (const auto& o : d.ObjectList) masks.push_back(o->GlowLayerMaskPictureIndex);
    for (const auto& e : d.CtrlList)
        if (auto* b = dynamic_cast<const TbsDataSkinButtonControl*>(e.get())) masks.push_back(b->GlowLayerMaskPictureIndex);
    masks.push_back(d.LayerFrame.MaskPictureIndex);
    masks.push_back(d.LayerFrame.InActiveMaskPictureIndex);
    for (int idx : masks)
    {
        const TbsSkinPicture* m = d.ActivePicture(idx);
        if (m == nullptr) continue;
        for (std::uint32_t p : m->Pixels())
            if (((p >> 16) & 0xFF) != ((p >> 8) & 0xFF) || ((p >> 8) & 0xFF) != (p & 0xFF))
            {
                c.Fail("PICTURES", "glow mask " + std::to_string(idx) + " is not grey");
                break;
            }
    }
}

// Every font a skin names is one the system's font lookup resolves by that
// name (not a fallback).
void CheckFonts(Checker& c, const TbsSkinData& d)
{
    std::set<std::string> names;
    std::istringstream lines(d.DescriptionText());
    std::string line;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (key.size() >= 8 && key.compare(key.size() - 8, 8, "fontname") == 0) names.insert(line.substr(eq + 1));
    }
    auto lower = [](std::string s) {
        for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return s;
    };
    for (const std::string& name : names)
    {
        HFONT f = CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, name);
        const std::string family = f ? GetFontFamilyName(f) : std::string();
        if (f) DeleteObject(f);
        if (lower(family) != lower(name))
            c.Fail("fonts", "\"" + name + "\" does not resolve (the system takes \"" + family + "\")");
    }
}

// Type words and negative numbers, read from the description text itself.
void CheckDescription(Checker& c, const TbsSkinData& d)
{
    const std::string text = d.DescriptionText();
    TbsIniFile ini(text);
    std::map<std::string, std::string> objects, controls;
    for (auto [section, out] : {std::pair{"SKINOBJECTS", &objects}, {"SKINCONTROLS", &controls}})
    {
        const int count = ini.ReadInteger(section, "count", 0);
        for (int i = 0; i < count; ++i)
        {
            const std::string v = ini.ReadString(section, std::to_string(i), "");
            const std::size_t p = v.find(':');
            if (p == std::string::npos) continue;
            out->emplace(v.substr(0, p), v.substr(p + 1));
        }
    }
    for (const TbsSkinEntrySpec& s : bsSkinEntryTable())
    {
        const auto& list = s.List == TbsSkinEntryList::Object ? objects : controls;
        auto it = list.find(s.Name);
        if (it == list.end())
            c.Fail(s.Name, "the entry is missing");
        else if (it->second != s.TypeWord)
            c.Fail(s.Name, "type word \"" + it->second + "\" where \"" + s.TypeWord + "\" is needed");
    }
    // Point and rect values: the reader drops minus signs.
    std::istringstream lines(text);
    std::string line, section;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') section = line;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string value = line.substr(eq + 1);
        if (value.find(',') == std::string::npos || value.find('-') == std::string::npos) continue;
        if (value.find_first_not_of("0123456789,- ") != std::string::npos) continue;
        c.Fail(section + " " + line.substr(0, eq), "a negative coordinate (" + value + ")");
    }
}
}  // namespace

double bsContrastRatio(int colorA, int colorB)
{
    double a = Luminance(colorA), b = Luminance(colorB);
    if (a < b) std::swap(a, b);
    return (a + 0.05) / (b + 0.05);
}

int bsMixColor(int a, int b, double weight)
{
    const double w = std::clamp(weight, 0.0, 1.0);
    int out = 0;
    for (int sh : {0, 8, 16})
        out |= int(std::lround(((a >> sh) & 0xFF) * w + ((b >> sh) & 0xFF) * (1 - w))) << sh;
    return out;
}

int bsColorReaching(int color, int against, double ratio)
{
    const int end = bsContrastRatio(0xFFFFFF, against) > bsContrastRatio(0, against) ? 0xFFFFFF : 0;
    int c = color & 0xFFFFFF;
    for (int i = 1; i <= 20 && bsContrastRatio(c, against) < ratio; ++i) c = bsMixColor(end, color, i / 20.0);
    return c;
}

int bsReadableColor(const std::vector<int>& candidates, int background, double ratio)
{
    int best = 0;
    double bestRatio = -1;
    for (int c : candidates)
    {
        const double r = bsContrastRatio(c & 0xFFFFFF, background);
        if (r >= ratio) return c & 0xFFFFFF;
        if (r > bestRatio) best = c & 0xFFFFFF, bestRatio = r;
    }
    return bsColorReaching(best, background, ratio);
}

int bsSkinTextColor(const TbsSkinData& data, int preferred, int ground)
{
    auto rgb = [](int c) { return int(ColorToRGB(TColor(c))); };
    return bsReadableColor({rgb(preferred), rgb(data.FSkinColors.FcBtnText), rgb(data.FSkinColors.FcWindowText)},
                           ground, bsBodyTextContrast + bsTextContrastMargin);
}

int bsWeakTextColor(int color, int ground)
{
    return bsColorReaching(color, ground, bsWeakTextContrast + bsTextContrastMargin);
}

namespace
{
// How many pixels of each colour `r` (clipped to the picture) holds.
std::map<int, int> ColorCounts(const TbsBitmap& picture, const TRect& r)
{
    std::map<int, int> count;
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, picture.Height()); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, picture.Width()); ++x) ++count[PixelToColor(picture.GetPixel(x, y))];
    return count;
}

int MostFrequent(const std::map<int, int>& count)
{
    if (count.empty()) return 0;
    return std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}
}  // namespace

int bsDominantColor(const TbsBitmap& picture, const TRect& r) { return MostFrequent(ColorCounts(picture, r)); }

double bsRenderedTextContrast(const TbsBitmap& picture, const TRect& r)
{
    const std::map<int, int> count = ColorCounts(picture, r);
    if (count.empty()) return 1;
    const int background = MostFrequent(count);
    std::vector<double> ratios;
    std::size_t area = 0;
    for (const auto& [c, n] : count)
    {
        area += std::size_t(n);
        if (c != background) ratios.insert(ratios.end(), std::size_t(n), bsContrastRatio(c, background));
    }
    // The ink: what the glyphs' fully covered pixels show (a few of them,
    // so that a stray pixel does not count).
    const std::size_t k = std::max<std::size_t>(3, area / 400);
    if (ratios.size() < k) return 1;
    std::nth_element(ratios.begin(), ratios.begin() + std::ptrdiff_t(k - 1), ratios.end(), std::greater<double>());
    return ratios[k - 1];
}

std::vector<std::string> bsValidateRenderedText(const TbsBitmap& picture, const std::vector<TbsTextRegion>& regions)
{
    std::vector<std::string> problems;
    for (const TbsTextRegion& t : regions)
    {
        const double floor = t.Kind == TbsTextKind::Body ? bsBodyTextContrast : bsWeakTextContrast;
        const double c = bsRenderedTextContrast(picture, t.Rect);
        if (c >= floor) continue;
        std::ostringstream s;
        s.precision(2);
        s << std::fixed << t.What << ": text contrast " << c << ":1 is below " << floor << ":1";
        problems.push_back(s.str());
    }
    return problems;
}

std::vector<std::string> bsValidateSkinData(const TbsSkinData& data)
{
    Checker c(data);
    if (data.Empty)
    {
        c.Fail("skin", "the store holds no skin");
        return c.Problems;
    }
    CheckDescription(c, data);
    CheckFonts(c, data);
    CheckFrame(c, data);
    CheckSections(c, data);
    CheckGlowMasks(c, data);
    for (const auto& o : data.ObjectList) CheckObject(c, data, *o);
    for (const auto& e : data.CtrlList) CheckControl(c, data, *e);
    return c.Problems;
}

std::vector<std::string> bsValidateCompressedSkin(const std::vector<std::uint8_t>& container)
{
    std::vector<std::string> problems;
    try
    {
        TbsCompressedStoredSkin stored;
        stored.LoadFromCompressStream(container);
        if (stored.Empty()) return {"container: it holds no skin"};
        TbsSkinData data;
        data.LoadCompressedStoredSkin(&stored);
        problems = bsValidateSkinData(data);
        TbsCompressedStoredSkin again;
        again.LoadFromSkinData(data);
        if (again.SaveToCompressStream() != container)
            problems.push_back("container: writing the loaded skin back gives other bytes");
    }
    catch (const std::exception& e)
    {
        problems.push_back(std::string("container: ") + e.what());
    }
    return problems;
}
