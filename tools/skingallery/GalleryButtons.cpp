// Gallery entries of the clickable skinned controls: the three button
// entries the program's windows use, each in every state (normal, hot,
// pressed, focused, disabled, default, down in a group, with a glyph), and
// the check and radio boxes (flat and framed) in every state, the scroll
// bars (horizontal and vertical) in every state, the sliders; once in the
// skin and once in the default look. Real controls on a form of the page's
// skin, painted off-screen and put on the page.
#include "lib/bsSkinCtrls.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tools/skingallery/Gallery.h"

#include <memory>
#include <string>
#include <vector>

namespace gallery
{
namespace
{
// A borderless form of W x H in the skin's button face, holding a hidden
// edit as its first control: it keeps the focus away from the controls
// shown (a default button shows its look while an edit has the focus).
std::unique_ptr<TForm> StateForm(TbsSkinData* sd, int W, int H)
{
    auto f = std::make_unique<TForm>(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, W, H);
    f->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);
    auto* edit = new TEdit(f.get());
    edit->SetBounds(-200, -200, 40, 20);
    edit->SetParent(f.get());
    return f;
}

void ShowStateForm(TForm& f)
{
    f.Show();
    static_cast<TWinControl*>(f.Controls(0))->SetFocus();
}

// A button whose mouse state the gallery sets by hand (no pointer here).
class StateButton : public TbsSkinButton
{
public:
    using TbsSkinButton::TbsSkinButton;
    void Hover()
    {
        FMouseIn = true;
        FMorphKf = 1.0;
    }
    void Press()
    {
        Hover();
        FDown = true;
    }
};

// A 4-frame strip of 16 x 16 "play" glyphs (normal, disabled, pressed, hot)
// on the magenta key its bottom-left pixel gives.
std::unique_ptr<TBitmap> PlayGlyph()
{
    auto g = std::make_unique<TBitmap>(64, 16, pf32bit);
    TCanvas* c = g->Canvas();
    c->Brush()->SetColor(TColor(0xFF00FF));
    c->FillRect(TRect(0, 0, 64, 16));
    const TColor colours[4] = {TColor(0x208020), TColor(0x909090), TColor(0x106010), TColor(0x30B030)};
    for (int f = 0; f < 4; ++f)
    {
        c->Brush()->SetColor(colours[f]);
        for (int col = 0; col < 10; ++col)
            c->FillRect(TRect(f * 16 + 4 + col, 3 + col / 2, f * 16 + 5 + col, 13 - col / 2));
    }
    return g;
}

const char* const kEntries[] = {"button", "resizebutton", "resizetoolbutton"};
const char* const kStates[] = {"正常", "悬停", "按下", "焦点", "禁用", "默认", "组中按下", "图标"};
constexpr int kStateCount = 8;
constexpr int BW = 96, BH = 28, Gap = 8, RowH = 48;

// A form with one row of buttons per entry, one button per state.
std::unique_ptr<TForm> ButtonsForm(TbsSkinData* sd, int W, int H, std::vector<TbsSkinButton*>& focus)
{
    auto f = StateForm(sd, W, H);
    TForm* o = f.get();
    const auto glyph = PlayGlyph();
    for (int row = 0; row < 3; ++row)
    {
        for (int s = 0; s < kStateCount; ++s)
        {
            auto* b = new StateButton(o);
            b->SetSkinDataName(kEntries[row]);
            b->SetSkinData(sd);
            b->SetBounds(Gap + s * (BW + Gap), Gap + row * RowH, BW, BH);
            b->SetCaption(s == 7 ? "播放" : "确定(&O)");
            b->SetParent(o);
            switch (s)
            {
            case 1: b->Hover(); break;
            case 2: b->Press(); break;
            case 3: focus.push_back(b); break;
            case 4: b->SetEnabled(false); break;
            case 5: b->SetDefault(true); break;
            case 6:
                b->SetGroupIndex(row + 1);
                b->SetDown(true);
                break;
            case 7:
                b->SetGlyph(glyph.get());
                b->SetNumGlyphs(4);
                break;
            default: break;
            }
        }
    }
    ShowStateForm(*f);
    return f;
}

// A check or radio box whose hover the gallery sets by hand.
class StateBox : public TbsSkinCheckRadioBox
{
public:
    using TbsSkinCheckRadioBox::TbsSkinCheckRadioBox;
    void Hover()
    {
        FMouseIn = true;
        FMorphKf = 1.0;
    }
};

const char* const kBoxStates[] = {"未选", "选中", "灰色", "悬停", "悬停选中", "焦点", "禁用", "禁用选中"};
constexpr int kBoxStateCount = 8, BoxW = 120, BoxH = 24, BoxRowH = 32;

// Rows: flat check box, flat radio button, framed check box, framed radio.
std::unique_ptr<TForm> BoxesForm(TbsSkinData* sd, int W, int H, std::vector<TbsSkinCheckRadioBox*>& focus)
{
    auto f = StateForm(sd, W, H);
    TForm* o = f.get();
    for (int row = 0; row < 4; ++row)
    {
        const bool radio = row % 2 == 1;
        for (int s = 0; s < kBoxStateCount; ++s)
        {
            auto* b = new StateBox(o);
            b->SetRadio(radio);
            b->SetSkinDataName(radio ? "radiobox" : "checkbox");
            b->SetFlat(row < 2);
            b->SetSkinData(sd);
            b->SetBounds(Gap + s * (BoxW + Gap), Gap + row * BoxRowH, BoxW, BoxH);
            b->SetCaption(std::string(radio ? "单选" : "复选") + kBoxStates[s]);
            b->SetParent(o);
            if (s == 1 || s == 4 || s == 7) b->SetChecked(true);
            if (s == 2 && !radio) b->SetState(cbGrayed);
            if (s == 3 || s == 4) b->Hover();
            if (s == 5) focus.push_back(b);
            if (s >= 6) b->SetEnabled(false);
        }
    }
    ShowStateForm(*f);
    return f;
}

// A scroll bar whose part states the gallery sets by hand.
class StateBar : public TbsSkinScrollBar
{
public:
    using TbsSkinScrollBar::TbsSkinScrollBar;
    void SetPart(int i, bool hot, bool down)
    {
        Buttons[i].MouseIn = hot;
        Buttons[i].Down = down;
    }
};

const char* const kBarStates[] = {"正常", "箭头悬停", "箭头按下", "滑块悬停", "滑块拖动", "焦点", "禁用", "整页", "双向"};
constexpr int kBarStateCount = 9, BarW = 220, BarRowH = 30, VBarH = 150;

std::unique_ptr<TForm> BarsForm(TbsSkinData* sd, int W, int H, std::vector<TbsSkinScrollBar*>& focus)
{
    auto f = StateForm(sd, W, H);
    TForm* o = f.get();
    for (int s = 0; s < kBarStateCount; ++s)
    {
        for (int vertical = 0; vertical < 2; ++vertical)
        {
            auto* b = new StateBar(o);
            b->SetKind(vertical ? sbVertical : sbHorizontal);
            b->SetSkinDataName(vertical ? "vscrollbar" : "hscrollbar");
            b->SetSkinData(sd);
            if (vertical) b->SetBounds(BarW + 120 + s * 40, Gap, 19, VBarH);
            else b->SetBounds(Gap, Gap + s * BarRowH, BarW, 19);
            b->SetParent(o);
            b->SetRange(0, 100, 30, s == 7 ? 40 : 0);
            switch (s)
            {
            case 1: b->SetPart(1, true, false); break;
            case 2: b->SetPart(1, true, true); break;
            case 3: b->SetPart(0, true, false); break;
            case 4: b->SetPart(0, true, true); break;
            case 5:
                b->SetCanFocused(true);
                focus.push_back(b);
                break;
            case 6: b->SetEnabled(false); break;
            case 8:
                if (!vertical) b->SetBoth(true);
                break;
            default: break;
            }
        }
        auto* l = new TbsSkinStdLabel(o);
        l->SetLeft(BarW + 16);
        l->SetTop(Gap + s * BarRowH + 2);
        l->SetCaption(kBarStates[s]);
        l->SetSkinData(sd);
        l->SetParent(o);
        auto* vl = new TbsSkinStdLabel(o);
        vl->SetLeft(BarW + 120 + s * 40);
        vl->SetTop(Gap + VBarH + 6);
        vl->SetCaption(std::to_string(s + 1));
        vl->SetSkinData(sd);
        vl->SetParent(o);
    }
    ShowStateForm(*f);
    return f;
}

// A slider whose thumb the gallery shows pressed.
class StateSlider : public TbsSkinSlider
{
public:
    using TbsSkinSlider::TbsSkinSlider;
    void PressThumb()
    {
        FThumbDown = true;
        Invalidate();
    }
};

const char* const kSliderStates[] = {"起点", "中间", "按下", "焦点", "禁用", "终点"};
constexpr int kSliderStateCount = 6, SliderW = 180, SliderH = 40;

std::unique_ptr<TForm> SlidersForm(TbsSkinData* sd, int W, int H, std::vector<TbsSkinCustomSlider*>& focus)
{
    auto f = StateForm(sd, W, H);
    TForm* o = f.get();
    const int values[] = {0, 50, 50, 30, 70, 100};
    for (int st = 0; st < kSliderStateCount; ++st)
    {
        for (int vertical = 0; vertical < 2; ++vertical)
        {
            auto* sl = new StateSlider(o);
            sl->SetSkinData(sd);
            sl->SetParent(o);
            sl->SetTransparent(true);
            if (vertical)
            {
                sl->SetOrientation(soVertical);
                sl->SetBounds(2 * Gap + 2 * (SliderW + Gap) + st * (SliderH + Gap), Gap, SliderH, 3 * (SliderH + 16));
            }
            else
                sl->SetBounds(Gap + (st % 2) * (SliderW + Gap), Gap + (st / 2) * (SliderH + 16), SliderW, SliderH);
            sl->SetValue(values[st]);
            if (st == 2) sl->PressThumb();
            if (st == 3) focus.push_back(sl);
            if (st == 4) sl->SetEnabled(false);
            if (vertical) continue;
            auto* l = new TbsSkinStdLabel(o);
            l->SetLeft(sl->Left() + 6);
            l->SetTop(sl->Top() + SliderH);
            l->SetCaption(kSliderStates[st]);
            l->SetSkinData(sd);
            l->SetParent(o);
        }
    }
    ShowStateForm(*f);
    return f;
}

// Paints one control of a shown form at its place in the form's cell.
void PutControl(GalleryPage& p, TWinControl* c, const TRect& cell)
{
    TBitmap shot(c->Width(), c->Height(), pf32bit);
    c->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    TbsBitmap out;
    out.Assign(&shot);
    p.Put(out, cell.Left + c->Left(), cell.Top + c->Top());
}

// A section showing the states: the form in the skin and in the default
// look; one control has the focus at a time, so each focused one is painted
// again on its own over its place.
template <class C>
void DrawStates(GalleryPage& p, const char* entry, const char* title, int W, int H,
                std::unique_ptr<TForm> (*make)(TbsSkinData*, int, int, std::vector<C*>&))
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section(entry, title);
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        std::vector<C*> focus;
        auto f = make(sd, W, H, focus);
        PutForm(p, *f, p.Place(W, H, sd ? "皮肤外观" : "默认外观"));
        const TRect cell = p.Cells().back().Rect;
        for (C* c : focus)
        {
            c->SetFocus();
            PutControl(p, c, cell);
        }
    }
    // The forms are gone; serving the queue lets the window layer reclaim
    // their windows.
    ServeClosedForms();
}

void DrawButtons(GalleryPage& p)
{
    const int W = Gap + kStateCount * (BW + Gap), H = 3 * RowH;
    DrawStates<TbsSkinButton>(p, "buttons", "按钮：正常、悬停、按下、焦点、禁用、默认、组中按下、图标 buttons", W, H, ButtonsForm);
}

void DrawBoxes(GalleryPage& p)
{
    const int W = Gap + kBoxStateCount * (BoxW + Gap), H = Gap + 4 * BoxRowH;
    DrawStates<TbsSkinCheckRadioBox>(p, "checkboxes", "复选框和单选框：平面与带框，各种状态 check and radio boxes", W, H, BoxesForm);
}
}  // namespace

void DrawBars(GalleryPage& p)
{
    const int W = BarW + 120 + kBarStateCount * 40, H = Gap + kBarStateCount * BarRowH;
    DrawStates<TbsSkinScrollBar>(p, "scrollbars", "滚动条：正常、箭头悬停、按下、滑块悬停、拖动、焦点、禁用、整页、双向 scroll bars", W, H, BarsForm);
}

void DrawSliders(GalleryPage& p)
{
    const int W = 3 * Gap + 2 * (SliderW + Gap) + kSliderStateCount * (SliderH + Gap), H = 2 * Gap + 3 * (SliderH + 16);
    DrawStates<TbsSkinCustomSlider>(p, "sliders", "滑块：起点、中间、按下、焦点、禁用、终点，水平与垂直 sliders", W, H, SlidersForm);
}

void AddButtonEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"buttons", DrawButtons});
    entries.push_back({"checkboxes", DrawBoxes});
    entries.push_back({"scrollbars", DrawBars});
    entries.push_back({"sliders", DrawSliders});
}
}  // namespace gallery
