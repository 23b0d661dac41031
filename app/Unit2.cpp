#include "app/Unit2.h"

#include "app/Glyphs.h"
#include "app/OptionFile.h"
#include "app/Product.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"

using unit1::Make;

TForm2* Form2 = nullptr;

namespace {
constexpr int kWidth = 340, kHeight = 245;
}

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner)
{
    SetName("Form2");
    SetCaption("关于软件");
    SetBorderStyle(bsSingle);
    SetBorderIcons(TBorderIcons{});
    SetPosition(poDesktopCenter);
    Font()->SetName("MS Sans Serif");
    TbsSkinData* sd = Form1 ? Form1->bsSkinData1 : nullptr;

    bsSkinForm1 = Make<TbsSkinForm>(this, nullptr, "bsSkinForm1");
    TbsBorderIcons icons;
    icons.SystemMenu = false;
    icons.Minimize = false;
    icons.Maximize = false;
    bsSkinForm1->SetBorderIcons(icons);
    bsSkinForm1->SetShowIcon(true);
    bsSkinForm1->PositionInMonitor = bspDesktopCenter;
    bsSkinForm1->Magnetic = true;
    bsSkinForm1->MagneticSize = 10;
    bsSkinForm1->SetSkinData(sd);
    if (Form1) bsSkinForm1->SetMenusSkinData(sd);
    bsSkinForm1->OnAfterChangeSkinData = [this](TObject*) { SetClientSize(kWidth, kHeight); };

    Image1 = Make<TImage>(this, this, "Image1");
    Image1->SetBounds(20, 20, 64, 64);
    Image1->Picture()->SetGraphic(glyphs::LogoBitmap(64).get());

    auto label = [this, sd](const char* name, const std::string& caption, int left, int top) {
        auto* l = Make<TbsSkinStdLabel>(this, this, name);
        l->SetSkinData(sd);
        l->SetCaption(caption);
        l->SetLeft(left);
        l->SetTop(top);
        return l;
    };
    Label1 = label("Label1", product::kTitle, 100, 28);
    Label1->UseSkinFont = false;
    Label1->Font()->SetHeight(18);
    Label1->Font()->SetStyle(TFontStyles{fsBold});
    Label2 = label("Label2", std::string("Ver:") + product::kVersion, 100, 58);
    Label3 = label("Label3", "官方网站：", 20, 104);
    bsSkinLinkLabel1 = Make<TbsSkinLinkLabel>(this, this, "bsSkinLinkLabel1");
    bsSkinLinkLabel1->SetSkinData(sd);
    bsSkinLinkLabel1->SetCaption(product::kWebSite);
    bsSkinLinkLabel1->URL = product::kWebSite;
    bsSkinLinkLabel1->SetLeft(100);
    bsSkinLinkLabel1->SetTop(104);
    Label4 = label("Label4", "支持E-Mail：", 20, 128);
    bsSkinLinkLabel2 = Make<TbsSkinLinkLabel>(this, this, "bsSkinLinkLabel2");
    bsSkinLinkLabel2->SetSkinData(sd);
    bsSkinLinkLabel2->SetCaption(product::kSupportMail);
    bsSkinLinkLabel2->URL = std::string("mailto:") + product::kSupportMail;
    bsSkinLinkLabel2->SetLeft(100);
    bsSkinLinkLabel2->SetTop(128);
    Label5 = label("Label5", "设置文件：", 20, 152);
    Label6 = label("Label6", OptionFile().FileName(), 100, 152);
    Label6->SetAutoSize(false);
    Label6->SetBounds(100, 152, kWidth - 110, 16);
    Label6->SetEllipsType(bsetPathEllips);
    Label6->SetHint(OptionFile().FileName());
    Label6->SetShowHint(true);

    bsSkinButton1 = Make<TbsSkinButton>(this, this, "bsSkinButton1");
    bsSkinButton1->SetSkinData(sd);
    bsSkinButton1->SetCaption("确定");
    bsSkinButton1->SetBounds((kWidth - 80) / 2, 196, 80, 25);
    bsSkinButton1->ModalResult = mrOk;
    bsSkinButton1->SetDefault(true);
    bsSkinButton1->Cancel = true;
    SetClientSize(kWidth, kHeight);
}
