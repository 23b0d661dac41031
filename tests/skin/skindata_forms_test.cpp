// The skin-change broadcast reaching real forms of the screen, hidden ones
// included, with the owner form first when layered borders are off.
#include <gtest/gtest.h>

#include "platform/gui/Forms.h"
#include "platform/testing/Driver.h"
#include "skin/skindata_helpers.h"

using namespace skintest;

namespace
{
std::vector<std::string> gLog;

// A form that notes the skin messages its window receives.
class TLogForm : public TForm
{
public:
    using TForm::TForm;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == BSM_SKINDATA_BEFORECHANGE || m.Msg == BSM_SKINDATA_CHANGE || m.Msg == BSM_SKINDATA_AFTERCHANGE)
            gLog.push_back(Name() + ":" + std::to_string(m.Msg));
        TForm::WndProc(m);
    }
};

class SkinForms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
        gLog.clear();
    }
    void TearDown() override
    {
        ResetApplication();
        driver.reset();
    }
    TLogForm* Make(const std::string& name, bool visible)
    {
        auto* f = new TLogForm(Application);
        f->SetName(name);
        f->SetBounds(50, 50, 200, 150);
        if (visible) f->Show();
        return f;
    }
    std::unique_ptr<TTestDriver> driver;
};

TEST_F(SkinForms, EveryFormHearsTheChangeOwnerFirst)
{
    Make("One", true);
    TLogForm* owner = Make("Owner", true);
    Make("Hidden", false);
    auto* d = new TbsSkinData(owner);
    d->SetShowLayeredBorders(false);
    gLog.clear();
    d->LoadFromFile(MakeSkinDir(TempDir("forms")));
    std::vector<std::string> changes;
    for (const std::string& e : gLog)
        if (e.ends_with(":1226")) changes.push_back(e.substr(0, e.find(':')));
    EXPECT_EQ(changes, (std::vector<std::string>{"Owner", "One", "Hidden"}));
    EXPECT_EQ(gLog.size(), 9u);
    EXPECT_EQ(gLog.front(), "Owner:1225");
    EXPECT_EQ(gLog.back().substr(gLog.back().find(':')), ":1227");
}

TEST_F(SkinForms, ADamagedSkinReachesNoForm)
{
    Make("One", true);
    TbsSkinData d;
    std::string dir = TempDir("forms-damaged");
    d.LoadFromFile(MakeSkinDir(dir));
    gLog.clear();
    auto broken = std::make_unique<TbsCompressedStoredSkin>();
    broken->SetCompressedData({1, 2, 3});
    EXPECT_THROW(d.LoadCompressedStoredSkin(broken.get()), EDecompressionError);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(d.SkinName, "Test skin 测试");
}
} // namespace
