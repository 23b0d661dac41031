// The about box TForm2 (instance Form2): the program's picture, title and
// version, the web site and support address, and the settings file in use.
#pragma once
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinExCtrls.h"
#include "lib/bsSkinForm.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TForm2 : public TForm
{
public:
    explicit TForm2(TComponent* AOwner);

    TbsSkinForm* bsSkinForm1 = nullptr;
    TImage* Image1 = nullptr;
    TbsSkinStdLabel* Label1 = nullptr;  // the title
    TbsSkinStdLabel* Label2 = nullptr;  // "Ver:" and the version
    TbsSkinStdLabel* Label3 = nullptr;  // "官方网站："
    TbsSkinLinkLabel* bsSkinLinkLabel1 = nullptr;
    TbsSkinStdLabel* Label4 = nullptr;  // "支持E-Mail："
    TbsSkinLinkLabel* bsSkinLinkLabel2 = nullptr;
    TbsSkinStdLabel* Label5 = nullptr;  // "设置文件："
    TbsSkinStdLabel* Label6 = nullptr;  // the settings file's path
    TbsSkinButton* bsSkinButton1 = nullptr;  // "确定"
};

extern TForm2* Form2;
