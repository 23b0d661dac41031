// The settings window's layout: its components as the window lays them out,
// and its pictures (the twelve category pictures and the picture on Panel1).
#include "app/Unit6.h"

#include <cmath>

#include "app/catalogue/Pictures.h"

TForm6* Form6 = nullptr;

namespace {

TSurface ToSurface(const catalogue::Picture& p)
{
    TSurface s(catalogue::kPictureSize, catalogue::kPictureSize);
    for (int y = 0; y < catalogue::kPictureSize; ++y)
        for (int x = 0; x < catalogue::kPictureSize; ++x)
            s.SetPixel(x, y, p[y * catalogue::kPictureSize + x]);
    return s;
}

// A 128 x 128 picture on a transparent ground: a gear in the part the image
// control shows (its top 103 rows), its edges smoothed by 4 x 4 samples.
TSurface GearPicture()
{
    constexpr int kSize = 128, kSub = 4;
    TSurface s(kSize, kSize);
    const double cx = kSize / 2.0, cy = 51.5;
    auto inside = [&](double x, double y) {
        double dx = x - cx, dy = y - cy, r = std::hypot(dx, dy);
        double a = std::atan2(dy, dx);
        // eight teeth: the rim rises where the cosine of 8a is high
        double rim = std::cos(8 * a) > 0.2 ? 48.0 : 38.0;
        return r <= rim && r >= 15.0;
    };
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            int n = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx)
                    n += inside(x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub);
            if (n == 0)
                continue;
            // a steel blue that lightens towards the top
            double shade = 1.0 - 0.35 * y / kSize;
            auto ch = [&](double v) { return TPixel(std::lround(v * shade)); };
            TPixel alpha = TPixel(n * 255 / (kSub * kSub));
            s.SetPixel(x, y, alpha << 24 | ch(0x6E) << 16 | ch(0x9B) << 8 | ch(0xD8));
        }
    return s;
}

template <class T>
T* Place(T* c, TWinControl* parent, int left, int top, int width, int height)
{
    c->SetBounds(left, top, width, height);
    c->SetParent(parent);
    return c;
}

TbsSkinTextLabel* Label(TComponent* owner, TWinControl* parent, const char* text, int left, int top)
{
    auto* l = new TbsSkinTextLabel(owner);
    l->Lines()->Add(text);
    l->SetLeft(left);
    l->SetTop(top);
    l->SetAutoSize(true);
    l->SetParent(parent);
    return l;
}

}  // namespace

namespace unit6 {

catalogue::Picture CategoryPicture(int category)
{
    // The window's categories are the first twelve of the catalogue's pictures.
    if (category < 0 || category >= kCategoryCount)
        return catalogue::CategoryPicture(-1);
    return catalogue::CategoryPicture(kCategories[category].picture);
}

}  // namespace unit6

TForm6::TForm6(TComponent* AOwner, TSettingsHost AHost) : TForm(AOwner), FHost(std::move(AHost))
{
    TbsSkinData* sd = FHost.SkinData;
    SetName("Form6");
    SetCaption("设置选项");
    SetBorderStyle(bsSingle);
    SetBorderIcons({});
    SetPosition(poMainFormCenter);
    Font()->SetName("Tahoma");
    Font()->SetHeight(-11);
    SetClientSize(958, 474);

    ImageList1 = new TImageList(this);
    ImageList1->SetSize(32, 32);
    for (int i = 0; i < unit6::kCategoryCount; ++i)
        ImageList1->AddSurface(ToSurface(unit6::CategoryPicture(i)));
    ImageList2 = new TImageList(this);
    ImageList2->SetSize(32, 32);
    FFConv = new TFFConverter(this);

    bsSkinForm1 = new TbsSkinForm(this);
    TbsBorderIcons icons;  // system menu, minimise, maximise, roll-up
    bsSkinForm1->SetBorderIcons(icons);
    bsSkinForm1->SetShowIcon(false);

    bsSkinPanel2 = Place(new TbsSkinPanel(this), this, 39, 36, 625, 109);
    bsSkinPanel2->SetSkinDataName("panel");
    bsSkinPanel2->SetBorderStyle(TbsSkinBorderStyle::bvFrame);
    bsSkinPanel2->SetCaptionMode(false);
    bsSkinTextLabel5 = Place(new TbsSkinTextLabel(this), bsSkinPanel2, 17, 48, 60, 13);
    bsSkinTextLabel5->Lines()->Add("输出格式：");

    // The category box: its twelve items and first selection are part of the
    // layout, set before its handler is bound (no handler runs for them).
    bsSkinOfficeComboBox2 = Place(new TbsSkinOfficeComboBox(this), bsSkinPanel2, 83, 33, 126, 51);
    bsSkinOfficeComboBox2->SetImages(ImageList1);
    bsSkinOfficeComboBox2->SetListBoxWidth(119);
    bsSkinOfficeComboBox2->SetListBoxItemHeight(50);
    bsSkinOfficeComboBox2->SetListBoxShowItemTitles(false);
    bsSkinOfficeComboBox2->SetDropDownCount(4);
    bsSkinOfficeComboBox2->SetListBoxSkinDataName("resizetoolpanel");
    for (int i = 0; i < unit6::kCategoryCount; ++i) {
        TbsSkinOfficeItem* item = bsSkinOfficeComboBox2->Items()->Add();
        item->SetCaption(unit6::kCategories[i].caption);
        item->SetImageIndex(unit6::kCategories[i].picture);
    }
    bsSkinOfficeComboBox2->SetItemIndex(0);
    bsSkinOfficeComboBox2->OnChange = [this](TObject* s) { bsSkinOfficeComboBox2Change(s); };

    // The preset box holds a placeholder until the first listing replaces it.
    bsSkinOfficeComboBox1 = Place(new TbsSkinOfficeComboBox(this), bsSkinPanel2, 215, 33, 400, 51);
    bsSkinOfficeComboBox1->SetListBoxItemHeight(60);
    bsSkinOfficeComboBox1->SetListBoxHeaderHeight(20);
    bsSkinOfficeComboBox1->SetListBoxShowLines(true);
    bsSkinOfficeComboBox1->SetDropDownCount(4);
    bsSkinOfficeComboBox1->SetListBoxSkinDataName("listbox");
    TbsSkinOfficeItem* placeholder = bsSkinOfficeComboBox1->Items()->Add();
    placeholder->SetTitle("dfdfs");
    placeholder->SetCaption("fddf");
    bsSkinOfficeComboBox1->OnClick = [this](TObject* s) { bsSkinOfficeComboBox1Click(s); };

    bsSkinButton1 = Place(new TbsSkinButton(this), bsSkinPanel2, 621, 139, 55, 51);
    bsSkinButton1->SetCaption("设置");
    bsSkinButton1->SetVisible(false);

    bsSkinPageControl1 = Place(new TbsSkinPageControl(this), this, 39, 171, 625, 222);
    bsSkinPageControl1->SetSkinDataName("tab");
    auto sheet = [&](const char* caption) {
        auto* p = new TbsSkinTabSheet(this);
        p->SetPageControl(bsSkinPageControl1);
        p->SetCaption(caption);
        return p;
    };
    bsSkinTabSheet1 = sheet("标准参数设置");
    bsSkinTabSheet2 = sheet("剪辑设置");
    滤镜设置 = sheet("滤镜设置");
    滤镜设置->SetName("滤镜设置");
    bsSkinTabSheet3 = sheet("文字水印");
    bsSkinPageControl1->SetActivePageIndex(0);

    auto box = [&](int left, int top, int width) {
        auto* b = Place(new TbsSkinComboBox(this), bsSkinTabSheet1, left, top, width, 20);
        b->SetStyle(bscbFixedStyle);
        b->SetSkinDataName("combobox");
        b->SetDropDownCount(8);
        return b;
    };
    bsSkinComboBox1 = box(16, 43, 289);
    bsSkinTextLabel3 = Label(this, bsSkinTabSheet1, "视频分辨率：", 19, 24);
    bsSkinComboBox2 = box(342, 43, 251);
    bsSkinTextLabel2 = Label(this, bsSkinTabSheet1, "视频比特率：", 342, 24);
    bsSkinComboBox9 = box(14, 88, 291);
    bsSkinTextLabel6 = Label(this, bsSkinTabSheet1, "视频帧率：", 16, 69);
    bsSkinComboBox4 = box(342, 88, 251);
    bsSkinTextLabel9 = Label(this, bsSkinTabSheet1, "视频缩放：", 342, 69);
    bsSkinComboBox3 = box(16, 133, 289);
    bsSkinTextLabel4 = Label(this, bsSkinTabSheet1, "音频比特率：", 16, 114);
    bsSkinComboBox10 = box(342, 133, 251);
    bsSkinTextLabel7 = Label(this, bsSkinTabSheet1, "音频采样率：", 342, 114);

    bsSkinButton2 = Place(new TbsSkinButton(this), this, 480, 416, 69, 25);
    bsSkinButton2->SetCaption("确定");
    bsSkinButton2->SetSkinDataName("button");
    bsSkinButton2->OnClick = [this](TObject* s) { bsSkinButton2Click(s); };
    bsSkinButton3 = Place(new TbsSkinButton(this), this, 594, 416, 69, 25);
    bsSkinButton3->SetCaption("取消");
    bsSkinButton3->SetSkinDataName("button");
    bsSkinButton3->OnClick = [this](TObject* s) { bsSkinButton3Click(s); };

    // The plain panel whose buttons chain the handlers.
    Panel1 = Place(new TPanel(this), this, 690, 161, 305, 305);
    Panel1->SetCaption("Panel1");
    auto chain = [this](const char* caption, int left, int top, int width, void (TForm6::*handler)(TObject*)) {
        auto* b = Place(new TButton(this), Panel1, left, top, width, 25);
        b->SetCaption(caption);
        if (handler)
            b->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
        return b;
    };
    Button6 = chain("初始化数据", 32, 47, 75, &TForm6::Button6Click);
    Button5 = chain("根据combox添加数据", 113, 47, 126, &TForm6::Button5Click);
    Button7 = chain("确认oo数据", 230, 47, 75, nullptr);
    Button2 = chain("添加combox", 32, 78, 104, &TForm6::Button2Click);
    Button13 = chain("确认预置选项数据", 32, 109, 113, &TForm6::Button13Click);
    Button11 = chain("onchange用", 151, 78, 95, nullptr);
    Button18 = chain("根据combox添加预设选项", 42, 163, 143, &TForm6::Button18Click);
    Image1 = Place(new TImage(this), Panel1, 46, 158, 171, 103);
    Image1->Picture()->Png()->Bitmap()->FromSurface(GearPicture(), pf32bit);

    // Every skinned part but the hidden button takes the main window's skin.
    bsSkinForm1->SetSkinData(sd);
    bsSkinPanel2->SetSkinData(sd);
    bsSkinTextLabel5->SetSkinData(sd);
    bsSkinOfficeComboBox2->SetSkinData(sd);
    bsSkinOfficeComboBox1->SetSkinData(sd);
    bsSkinPageControl1->SetSkinData(sd);
    for (TbsSkinTextLabel* l :
         {bsSkinTextLabel3, bsSkinTextLabel2, bsSkinTextLabel6, bsSkinTextLabel9, bsSkinTextLabel4, bsSkinTextLabel7})
        l->SetSkinData(sd);
    for (int b = 0; b < catalogue::kParamBoxCount; ++b)
        ParamBox(static_cast<catalogue::ParamBox>(b))->SetSkinData(sd);
    bsSkinButton2->SetSkinData(sd);
    bsSkinButton3->SetSkinData(sd);

    OnCreate = [this](TObject* s) { FormCreate(s); };
}

TbsSkinComboBox* TForm6::ParamBox(catalogue::ParamBox b) const
{
    switch (b) {
    case catalogue::pbFrameSize: return bsSkinComboBox1;
    case catalogue::pbVideoBitrate: return bsSkinComboBox2;
    case catalogue::pbFrameRate: return bsSkinComboBox9;
    case catalogue::pbAudioBitrate: return bsSkinComboBox3;
    case catalogue::pbSampleRate: return bsSkinComboBox10;
    case catalogue::pbAspect: return bsSkinComboBox4;
    }
    return nullptr;
}
