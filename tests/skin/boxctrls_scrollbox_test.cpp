// The skinned scroll box: bar ranges from the visible children, scrolling
// by bar and by program, and taking back blank space after growing.
#include "lib/bsSkinBoxCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinScrollBoxTest : public SkinCtrlTest
{
protected:
    void Build(TForm* f)
    {
        v = new TbsSkinScrollBar(f);
        v->SetKind(sbVertical);
        v->SetBounds(210, 0, 19, 200);
        v->SetParent(f);
        box = new TbsSkinScrollBox(f);
        box->SetBorderStyle(TbsSkinBorderStyle::bvNone);
        box->SetBounds(0, 0, 200, 200);
        box->SetParent(f);
        child = new TPanel(f);
        child->SetBounds(0, 0, 100, 500);
        child->SetParent(box);
        box->SetVScrollBar(v);
    }
    TbsSkinScrollBar* v = nullptr;
    TbsSkinScrollBox* box = nullptr;
    TPanel* child = nullptr;
};
} // namespace

TEST_F(SkinScrollBoxTest, RangeFollowsTheChildrenAndTheBarScrollsThem)
{
    TSkinnedForm* f = MakeForm(300, 300);
    Build(f);
    f->Show();
    box->UpDateScrollRange();
    EXPECT_TRUE(v->GetVisible());
    EXPECT_EQ(v->Min(), 0);
    EXPECT_EQ(v->Max(), 499);
    EXPECT_EQ(v->PageSize(), 200);
    EXPECT_EQ(v->Position(), 0);
    v->SetPosition(120);
    EXPECT_EQ(child->Top(), -120);
    box->VScroll(1000);
    EXPECT_EQ(v->Position(), 299);
    EXPECT_EQ(child->Top(), -299);
    // Content that fits: the bar goes and the content returns to its origin.
    child->SetHeight(150);
    box->UpDateScrollRange();
    EXPECT_FALSE(v->GetVisible());
    EXPECT_EQ(child->Top(), 0);
    // A child ending exactly at the client bottom needs no bar.
    child->SetHeight(200);
    box->UpDateScrollRange();
    EXPECT_FALSE(v->GetVisible());
}

TEST_F(SkinScrollBoxTest, GrowingWhileScrolledToTheEndLeavesNoBlankBand)
{
    // An aligned box, as the picture dialog has it.
    TSkinnedForm* f = MakeForm(300, 200);
    Build(f);
    box->SetAlign(alLeft);
    f->Show();
    box->UpDateScrollRange();
    box->VScroll(300);
    ASSERT_EQ(child->Top(), -299) << "scrolling by program stops one short of the bar's end";
    f->SetClientHeight(260);
    ASSERT_EQ(box->Height(), 260);
    EXPECT_EQ(child->Top(), -299 + 60) << "the children come down by the growth";
    EXPECT_EQ(v->Position(), 239);
}

TEST_F(SkinScrollBoxTest, AFormPaintedIntoABitmapShowsTheFrame)
{
    TSkinnedForm* f = MakeForm();
    auto* b = new TbsSkinScrollBox(f);
    b->SetBounds(10, 10, 100, 80);
    b->SetParent(f);
    f->Show();
    driver->PumpUntilIdle();
    TBitmap shot(f->ClientWidth(), f->ClientHeight(), pf32bit);
    f->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    EXPECT_EQ(ColorToRGB(TColor(shot.Canvas()->GetPixel(10, 10))), ColorToRGB(clBtnShadow));
    EXPECT_EQ(ColorToRGB(TColor(shot.Canvas()->GetPixel(10 + 99, 10 + 40))), ColorToRGB(clBtnShadow));
}
