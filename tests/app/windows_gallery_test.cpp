// The program's windows in the stored skins of every kind (plain, with
// effects and a layered frame, dark, with a masked frame): each keeps every
// window's client size and every visible control inside its parent, and the
// three windows are saved side by side in <build>/gallery/program/<skin>.png
// (`program_gallery` draws every skin).
#include "app_fixture.h"
#include "skins/bsStoredSkins.h"
#include "tools/programgallery/ProgramGallery.h"

using namespace apptest;

namespace {

class WindowsGalleryTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        driver->SetMonitors({{TRect(0, 0, programgallery::kDesktopWidth, programgallery::kDesktopHeight),
                              TRect(0, 0, programgallery::kDesktopWidth, programgallery::kDesktopHeight), true}});
    }
    // Every visible control of a window lies inside its parent's client area.
    static void ExpectInside(TWinControl* parent)
    {
        for (int i = 0; i < parent->ControlCount(); ++i)
        {
            TControl* c = parent->Controls(i);
            if (!c->GetVisible() || c->Left() >= 873) continue;
            EXPECT_LE(c->Left() + c->Width(), parent->ClientWidth()) << c->Name();
            EXPECT_LE(c->Top() + c->Height(), parent->ClientHeight()) << c->Name();
            // A list view's own header is its business.
            if (auto* w = dynamic_cast<TWinControl*>(c); w && !dynamic_cast<TCustomListView*>(w)) ExpectInside(w);
        }
    }
};

}  // namespace

TEST_F(WindowsGalleryTest, TheWindowsInSkinsOfEveryKind)
{
    Start();
    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/gallery/program";
    fs::create_directories(dir);
    for (int skin : {0, 6, 8, 10})
    {
        const std::string name = fs::path(bsStoredSkin(skin).FileName).stem().string();
        SCOPED_TRACE(name);
        EXPECT_TRUE(programgallery::RenderSkin(*driver, skin, dir + "/" + name + ".png"));
        EXPECT_EQ(Form1->ClientWidth(), 804);
        EXPECT_EQ(Form1->ClientHeight(), 537);
        EXPECT_EQ(Form2->ClientWidth(), 340);
        EXPECT_EQ(Form2->ClientHeight(), 245);
        EXPECT_EQ(Form5->ClientWidth(), 561);
        EXPECT_EQ(Form5->ClientHeight(), 537);
        for (TWinControl* w : std::initializer_list<TWinControl*>{Form1, Form2, Form5}) ExpectInside(w);
    }
}
