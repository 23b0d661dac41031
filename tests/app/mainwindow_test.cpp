// The main window as the start-up leaves it: every control at its place with
// its caption, hint and state, the menus, the catalogue boxes filled for
// the first preset, the screen list, and the close request.
#include "app_fixture.h"

using namespace apptest;

namespace {
class MainWindowTest : public ProgramTest
{
};
}  // namespace

TEST_F(MainWindowTest, OpensWithItsClientSizeAndPictures)
{
    Start(0, true);
    EXPECT_EQ(Form1->Caption(), "QuorvelMTS格式转换器");
    EXPECT_EQ(Form1->ClientWidth(), 804);
    EXPECT_EQ(Form1->ClientHeight(), 537);
    EXPECT_FALSE(Form1->bsSkinButton19->Glyph()->Empty());
    EXPECT_FALSE(Form1->bsSkinMenuSpeedButton1->Glyph()->Empty());
}
