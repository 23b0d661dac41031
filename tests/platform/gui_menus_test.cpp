#include "platform/gui/Menus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

TMenuItem* NewItem(TComponent* owner, const std::string& caption, TShortCut sc = 0)
{
    auto* i = new TMenuItem(owner);
    i->SetCaption(caption);
    i->SetShortCut(sc);
    return i;
}

TEST(ShortCuts, TextRoundTripsAndMatching)
{
    struct Case { WORD key; TShortCut mods; const char* text; };
    const Case cases[] = {
        {'S', scCtrl, "Ctrl+S"},
        {0x70, scShift | scCtrl, "Shift+Ctrl+F1"},
        {0x0D, scAlt, "Alt+Enter"},
        {0x2E, 0, "Del"},
        {'5', scCtrl | scAlt, "Ctrl+Alt+5"},
        {0x7B, 0, "F12"},
        {0x6B, scCtrl, "Ctrl+Num +"},
        {0xBC, scCtrl, "Ctrl+,"},
    };
    for (const Case& c : cases)
    {
        TShortCut sc = ShortCut(c.key, c.mods);
        EXPECT_EQ(ShortCutToText(sc), c.text);
        EXPECT_EQ(TextToShortCut(c.text), sc) << c.text;
        WORD k;
        TShortCut m;
        ShortCutToKey(sc, k, m);
        EXPECT_EQ(k, c.key);
        EXPECT_EQ(m, c.mods);
    }
    EXPECT_EQ(TextToShortCut("ctrl+s"), ShortCut('S', scCtrl));
    for (const char* bad : {"", "Ctrl+", "Ctrl+Foo", "F25", "Hyper+S"}) EXPECT_EQ(TextToShortCut(bad), 0) << bad;
    EXPECT_EQ(ShortCutToText(0), "");
}

TEST(ShortCuts, AcceleratorCharacters)
{
    struct Case { const char* caption; const char* hot; const char* stripped; };
    const Case cases[] = {
        {"&File", "F", "File"},        {"Save &As", "A", "Save As"}, {"R&&D", "", "R&D"},
        {"文件(&F)", "F", "文件(F)"},  {"&中文", "中", "中文"},     {"End&", "", "End"},
        {"Plain", "", "Plain"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(GetHotkey(c.caption), c.hot) << c.caption;
        EXPECT_EQ(StripHotkey(c.caption), c.stripped) << c.caption;
    }
    EXPECT_TRUE(IsAccel('F', "&File"));
    EXPECT_TRUE(IsAccel('f', "&File"));
    EXPECT_TRUE(IsAccel('F', "文件(&f)"));
    EXPECT_FALSE(IsAccel('I', "&File"));
    EXPECT_FALSE(IsAccel('D', "R&&D"));
}

TEST(Menus, ItemsTreeOwnershipAndCommands)
{
    TComponent form(nullptr);
    auto* menu = new TMainMenu(&form);
    std::vector<std::string> changes;
    menu->OnChange = [&](TObject*, TMenuItem* src, bool rebuild) {
        changes.push_back((src ? src->Caption() : std::string("*")) + (rebuild ? "!" : ""));
    };
    TMenuItem* file = NewItem(&form, "&File");
    menu->Items()->Add(file);
    TMenuItem* open = NewItem(&form, "&Open...", ShortCut('O', scCtrl));
    TMenuItem* quit = NewItem(&form, "E&xit");
    file->Add(open);
    file->Add(quit);
    EXPECT_EQ(open->GetParentMenu(), menu);
    EXPECT_EQ(file->Find("open..."), open);
    EXPECT_EQ(quit->MenuIndex(), 1);
    EXPECT_THROW(menu->Items()->Add(open), EMenuError) << "inserted twice";
    EXPECT_THROW(open->Add(file), EMenuError) << "into its own subitems";
    EXPECT_NE(open->Command(), quit->Command());

    int clicks = 0;
    open->OnClick = [&](TObject* s) { EXPECT_EQ(s, open); ++clicks; };
    EXPECT_TRUE(menu->DispatchCommand(open->Command()));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(menu->DispatchCommand(0));

    changes.clear();
    open->SetChecked(true);
    quit->SetMenuIndex(0);
    EXPECT_EQ(changes, (std::vector<std::string>{"&Open...", "E&xit!"}));

    // Freeing a subitem takes it out of its level; freeing the form (the
    // owner of everything) frees the rest without double frees.
    delete quit;
    EXPECT_EQ(file->Count(), 1);
    TMenuItem* loose = NewItem(nullptr, "loose");
    file->Add(loose);   // owned only through its parent item
    EXPECT_EQ(file->Count(), 2);
}

TEST(Menus, ShortCutsClickEnabledItemsOnly)
{
    TPopupMenu menu(nullptr);
    TMenuItem* sub = NewItem(nullptr, "Sub");
    TMenuItem* item = NewItem(nullptr, "Go", ShortCut('G', scCtrl));
    menu.Items()->Add(sub);
    sub->Add(item);
    std::vector<std::string> log;
    sub->OnClick = [&](TObject*) { log.push_back("sub"); };
    item->OnClick = [&](TObject*) { log.push_back("go"); };
    EXPECT_TRUE(menu.IsShortCut('G', scCtrl));
    EXPECT_EQ(log, (std::vector<std::string>{"sub", "go"})) << "the level above hears first";
    EXPECT_FALSE(menu.IsShortCut('G', scCtrl | scShift));
    log.clear();
    sub->SetEnabled(false);
    EXPECT_FALSE(menu.IsShortCut('G', scCtrl)) << "a disabled level blocks the item";
    EXPECT_TRUE(log.empty());
    sub->SetEnabled(true);
    item->SetEnabled(false);
    EXPECT_FALSE(menu.IsShortCut('G', scCtrl));
    item->SetEnabled(true);
    item->SetAutoCheck(true);
    item->Click();
    EXPECT_TRUE(item->Checked());
}

TEST(Menus, RadioGroupsAndDefault)
{
    TPopupMenu menu(nullptr);
    std::vector<TMenuItem*> items;
    const int groups[] = {1, 1, 1, 2, 2};
    for (int g : groups)
    {
        TMenuItem* i = NewItem(nullptr, "r");
        i->SetRadioItem(true);
        i->SetGroupIndex(BYTE(g));
        menu.Items()->Add(i);
        items.push_back(i);
    }
    items[0]->SetChecked(true);
    items[3]->SetChecked(true);
    items[2]->SetChecked(true);
    std::vector<bool> checked;
    for (auto* i : items) checked.push_back(i->Checked());
    EXPECT_EQ(checked, (std::vector<bool>{false, false, true, true, false}));
    items[1]->SetDefault(true);
    items[4]->SetDefault(true);
    EXPECT_FALSE(items[1]->Default());
    EXPECT_TRUE(items[4]->Default());
}

TEST(Menus, RethinkLinesHidesRedundantSeparators)
{
    struct Case { std::string layout; std::string shown; };
    // Letters are items (lower case: hidden), "-" separators; `shown` lists
    // the visible entries afterwards.
    const Case cases[] = {
        {"-a-b-", "a-b"},
        {"a--b", "a-b"},
        {"a-c-", "a-c"},
        {"a-x-b", "a-b"},   // x hidden: only one separator between a and b
        {"--", ""},
        {"a-x", "a"},
    };
    for (const Case& c : cases)
    {
        TPopupMenu menu(nullptr);
        for (char ch : c.layout)
        {
            TMenuItem* i = NewItem(nullptr, ch == '-' ? "-" : std::string(1, ch));
            if (ch == 'x') i->SetVisible(false);
            menu.Items()->Add(i);
        }
        menu.Items()->RethinkLines();
        std::string shown;
        for (int k = 0; k < menu.Items()->Count(); ++k)
            if (menu.Items()->Items(k)->Visible()) shown += menu.Items()->Items(k)->Caption();
        EXPECT_EQ(shown, c.shown) << c.layout;
    }
}

TEST(Menus, PopupRaisesOnPopupThenTheHook)
{
    TPopupMenu menu(nullptr);
    std::vector<std::string> log;
    menu.OnPopup = [&](TObject*) { log.push_back("popup"); };
    menu.Popup(10, 20);
    EXPECT_EQ(log, (std::vector<std::string>{"popup"})) << "nothing shown without a hook";
    TPopupMenu::SetPopupHook([&](TPopupMenu* m, int x, int y) {
        EXPECT_EQ(m, &menu);
        log.push_back("hook " + std::to_string(x) + "," + std::to_string(y));
    });
    menu.Popup(3, 4);
    TPopupMenu::SetPopupHook(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "popup", "hook 3,4"}));
    EXPECT_EQ(menu.PopupPoint(), TPoint(3, 4));
}

} // namespace
