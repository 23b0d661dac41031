// Gallery entries of the clickable skinned controls: the three button
// entries the program's windows use, each in every state (normal, hot,
// pressed, focused, disabled, default, down in a group, with a glyph,
// half-way through the cross-fade), the
// speed buttons in every state and tool bars (one scrolled, its arrows hot
// and pressed), and
// the check and radio boxes (flat and framed) in every state, the scroll
// bars (horizontal and vertical) in every state, the sliders; once in the
// skin and once in the default look. Real controls on a form of the page's
// skin, painted off-screen and put on the page.
#include "lib/bsSkinCtrls.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tools/skingallery/Gallery.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace gallery
{
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

// A 16 x 16 image list of four coloured tool images (a note, a film strip,
// a disc and a gear-like square) for the tool bars.
std::unique_ptr<TCustomImageList> ToolImages(bool hot)
{
    auto l = std::make_unique<TCustomImageList>(16, 16);
    const TColor colours[4] = {TColor(0x2060C0), TColor(0x20A040), TColor(0xC04020), TColor(0x808020)};
    for (int i = 0; i < 4; ++i)
    {
        TBitmap b(16, 16, pf24bit);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(TColor(0xFF00FF));
        c->FillRect(TRect(0, 0, 16, 16));
        c->Brush()->SetColor(hot ? TColor(ColorToRGB(colours[i]) | 0x404040) : colours[i]);
        c->FillRect(TRect(2 + i % 2, 2, 14 - i % 2, 14));
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(6, 6, 10, 10));
        l->AddMasked(&b, TColor(0xFF00FF));
    }
    return l;
}

namespace
{
// The state each control of the state forms shows ("button default"), by
// control: DrawStates marks them on the page as "skin ..." or "plain ...".
std::map<const TControl*, std::string>& StateNames()
{
    static std::map<const TControl*, std::string> names;
    return names;
}

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

using StateButton = StatePushButton<TbsSkinButton>;
using StateSpeedButton = StatePushButton<TbsSkinSpeedButton>;

const char* const kEntries[] = {"button", "resizebutton", "resizetoolbutton"};
const char* const kStates[] = {"正常", "悬停", "按下", "焦点", "禁用", "默认", "组中按下", "图标", "渐变中", "默认焦点"};
const char* const kStateNames[] = {"normal", "hot", "pressed", "focused", "disabled", "default", "group pressed", "glyph",
                                   "fading", "default focused"};
constexpr int kStateCount = 10;
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
            StateNames()[b] = std::string(kEntries[row]) + " " + kStateNames[s];
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
            case 8: b->HalfFaded(); break;
            case 9:
                b->SetDefault(true);
                focus.push_back(b);
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
    void HoverThumb()
    {
        FThumbHot = true;
        Invalidate();
    }
};

const char* const kSliderStates[] = {"起点", "中间", "按下", "焦点", "禁用", "终点", "悬停"};
const char* const kSliderStateNames[] = {"start", "middle", "pressed", "focused", "disabled", "end", "hot"};
constexpr int kSliderStateCount = 7, SliderW = 180, SliderH = 40;

std::unique_ptr<TForm> SlidersForm(TbsSkinData* sd, int W, int H, std::vector<TbsSkinCustomSlider*>& focus)
{
    auto f = StateForm(sd, W, H);
    TForm* o = f.get();
    // Middle, pressed, disabled and hot share a value: only the state differs.
    const int values[] = {0, 50, 50, 30, 50, 100, 50};
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
            if (st == 6) sl->HoverThumb();
            StateNames()[sl] = std::string(vertical ? "vslider " : "slider ") + kSliderStateNames[st];
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

// A tool bar whose scroll arrows the gallery shows hot or pressed.
class StateToolBar : public TbsSkinToolBar
{
public:
    using TbsSkinToolBar::TbsSkinToolBar;
    void SetArrow(int i, bool hot, bool down)
    {
        Buttons[i].MouseIn = hot;
        Buttons[i].Down = down;
    }
};

const char* const kSpeedEntries[] = {"toolbutton", "resizetoolbutton", "bigtoolbutton"};
const char* const kSpeedStates[] = {"正常", "悬停", "按下", "禁用", "组中按下", "平面", "平面悬停", "无标题", "工具栏图像"};
constexpr int kSpeedStateCount = 9, SpeedW = 84, SpeedRowH = 52;

// Rows of speed buttons, one per entry, one per state; then two tool bars:
// one whose buttons fit, one scrolled with its arrows (left hot, right
// pressed) and its images.
std::unique_ptr<TForm> SpeedButtonsForm(TbsSkinData* sd, int W, int H, std::vector<TWinControl*>&)
{
    auto f = StateForm(sd, W, H);
    TForm* o = f.get();
    const auto glyph = PlayGlyph();
    auto* images = ToolImages(false).release();
    auto* hot = ToolImages(true).release();
    o->InsertComponent(images);
    o->InsertComponent(hot);
    for (int row = 0; row < 3; ++row)
    {
        for (int s = 0; s < kSpeedStateCount; ++s)
        {
            TWinControl* parent = o;
            int x = Gap + s * (SpeedW + Gap), y = Gap + row * SpeedRowH;
            if (s == 8)
            {
                auto* bar = new TbsSkinToolBar(o);
                bar->SetSkinData(sd);
                bar->SetBounds(x, y, SpeedW, 44);
                bar->SetParent(o);
                bar->SetImages(images);
                bar->SetHotImages(hot);
                parent = bar;
                x = 2;
                y = 0;
            }
            auto* b = new StateSpeedButton(o);
            b->SkinDataName = kSpeedEntries[row];
            b->UseSkinSize = row != 1;
            b->SetSkinData(sd);
            b->SetBounds(x, y, row == 1 ? SpeedW - 4 : 40, row == 2 ? 40 : 22);
            b->SetCaption(s == 7 ? "隐藏" : row == 1 ? "转换" : "");
            b->SetParent(parent);
            if (s != 8)
            {
                b->SetGlyph(glyph.get());
                b->SetNumGlyphs(4);
            }
            else b->SetImageIndex(row);
            switch (s)
            {
            case 1: b->Hover(); break;
            case 2: b->Press(); break;
            case 3: b->SetEnabled(false); break;
            case 4:
                b->SetGroupIndex(row + 1);
                b->SetDown(true);
                break;
            case 5: b->SetFlat(true); break;
            case 6:
                b->SetFlat(true);
                b->Hover();
                break;
            case 7: b->SetShowCaption(false); break;
            case 8: b->Hover(); break;
            default: break;
            }
        }
    }
    const char* const bars[] = {"toolpanel", "resizetoolpanel"};
    for (int i = 0; i < 2; ++i)
    {
        auto* bar = new StateToolBar(o);
        bar->SetSkinData(sd);
        bar->SetSkinDataName(bars[i]);
        bar->CanScroll = true;
        bar->SetParent(o);
        bar->SetBounds(Gap, Gap + 3 * SpeedRowH + i * 40, i == 0 ? W - 2 * Gap : 300, 30);
        bar->SetImages(images);
        bar->SetHotImages(hot);
        const char* const captions[] = {"添加", "转换", "暂停", "停止", "预览", "设置", "关于"};
        for (int k = 0; k < 7; ++k)
        {
            auto* b = new StateSpeedButton(o);
            b->SkinDataName = "resizetoolbutton";
            b->UseSkinSize = false;
            b->SetSkinData(sd);
            b->SetBounds(k * 64, 0, 62, 24);
            b->SetCaption(captions[k]);
            b->SetImageIndex(k % 4);
            b->SetParent(bar);
            if (k == 1) b->Hover();
            if (k == 2) b->Press();
        }
        bar->SetBounds(bar->Left(), bar->Top(), bar->Width(), 30);
        if (i == 1)
        {
            bar->SetArrow(0, true, false);
            bar->SetArrow(1, true, true);
            bar->ScrollStep(true);
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
        for (int i = 0; i < f->ControlCount(); ++i)
        {
            TControl* c = f->Controls(i);
            const auto n = StateNames().find(c);
            if (n == StateNames().end()) continue;
            const TRect at(cell.Left + c->Left(), cell.Top + c->Top(), cell.Left + c->Left() + c->Width(),
                           cell.Top + c->Top() + c->Height());
            const std::string what = (sd ? "skin " : "plain ") + n->second;
            p.Mark(at, what);
            // The caption of a push button, inside its face's edges.
            const std::string& state = n->second;
            const bool captioned = state.rfind("button ", 0) == 0 || state.rfind("resizebutton ", 0) == 0;
            const std::string last = state.substr(state.rfind(' ') + 1);
            const bool plainFace = last == "normal" || last == "hot" || last == "pressed" || last == "default" ||
                                   last == "disabled" || state.find("default focused") != std::string::npos;
            if (captioned && plainFace && state.find("group") == std::string::npos)
                p.TextRegion(TRect(at.Left + 8, at.Top + 6, at.Right - 8, at.Bottom - 6),
                             last == "disabled" ? TbsTextKind::Disabled : TbsTextKind::Body, what);
            StateNames().erase(n);
        }
    }
    StateNames().clear();
    // The forms are gone; serving the queue lets the window layer reclaim
    // their windows.
    ServeMessages();
}

void DrawButtons(GalleryPage& p)
{
    const int W = Gap + kStateCount * (BW + Gap), H = 3 * RowH;
    DrawStates<TbsSkinButton>(p, "buttons", "按钮：正常、悬停、按下、焦点、禁用、默认、组中按下、图标、渐变中、默认焦点 buttons", W, H, ButtonsForm);
}

void DrawSpeedButtons(GalleryPage& p)
{
    const int W = Gap + kSpeedStateCount * (SpeedW + Gap), H = Gap + 3 * SpeedRowH + 80;
    DrawStates<TWinControl>(
        p, "speedbuttons",
        "快速按钮与工具栏：正常、悬停、按下、禁用、组中按下、平面、平面悬停、无标题、工具栏图像；滚动箭头 speed buttons, tool bars",
        W, H, SpeedButtonsForm);
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
    const int W = 3 * Gap + 2 * (SliderW + Gap) + kSliderStateCount * (SliderH + Gap),
              H = 2 * Gap + (kSliderStateCount + 1) / 2 * (SliderH + 16);
    DrawStates<TbsSkinCustomSlider>(p, "sliders", "滑块：起点、中间、按下、焦点、禁用、终点，水平与垂直 sliders", W, H, SlidersForm);
}

void AddButtonEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"buttons", DrawButtons});
    entries.push_back({"speedbuttons", DrawSpeedButtons});
    entries.push_back({"checkboxes", DrawBoxes});
    entries.push_back({"scrollbars", DrawBars});
    entries.push_back({"sliders", DrawSliders});
}
}  // namespace gallery
