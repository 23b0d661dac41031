// The UI string table: its default lines, lookups and overrides.
#include <gtest/gtest.h>

#include <set>

#include "lib/bsSkinData.h"

namespace
{
TEST(StringTable, DefaultLines)
{
    TbsResourceStrData t;
    ASSERT_EQ(t.ResStrings()->Count(), 131);
    EXPECT_EQ(t.CharSet(), 1);
    EXPECT_EQ(t.ResStrings()->Strings(0), "MI_MINCAPTION=Mi&nimize");
    EXPECT_EQ(t.ResStrings()->Strings(130), "DBNAV_REFRESH=REFRESH");
    std::vector<std::string> l;
    for (int i = 0; i < t.ResStrings()->Count(); ++i) l.push_back(t.ResStrings()->Strings(i));
    std::set<std::string> names;
    for (const std::string& line : l)
    {
        ASSERT_NE(line.find('='), std::string::npos) << line;
        names.insert(line.substr(0, line.find('=')));
    }
    EXPECT_EQ(names.size(), 131u);   // no name twice
    struct Case
    {
        const char* name;
        const char* value;
    } cases[] = {{"MI_ROLLUPCAPTION", "Ro&llUp"},  {"MSG_BTN_OK", "OK"},
                 {"MSG_BTN_NOTOALL", "N&oToAll"}, {"MSG_BTN_CLOSE", "Close"},
                 {"FLV_LOOKIN", "Look in: "},      {"MSG_OVERWRITE", "Do you want to overwrite old file?"},
                 {"FIND_REPLACE_All", "Replace All"}, {"PRNDLG_MARGINS", "Margins (millimeters)"},
                 {"NODISKINDRIVE", "There is no disk in Drive or Drive is not ready"},
                 {"mi_mincaption", "Mi&nimize"},  {"MSG_CAP_SHOWFLAG", "Do not display this message again"},
                 {"NO_SUCH_NAME", ""},            {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(t.GetResStr(c.name), c.value) << c.name;
    // Neighbours in list order.
    auto pos = [&](const char* n) {
        for (std::size_t i = 0; i < l.size(); ++i)
            if (l[i].rfind(std::string(n) + "=", 0) == 0) return i;
        return l.size();
    };
    EXPECT_EQ(pos("MSG_BTN_CLOSE"), pos("MSG_BTN_SAVE") + 1);
    EXPECT_EQ(pos("CALC_CAP"), pos("MSG_CAP_SHOWFLAG") + 1);
    EXPECT_EQ(pos("FLV_ATTRIBUTES"), pos("FLV_MODIFIED") + 1);
    EXPECT_EQ(pos("PRNDLG_NAME"), pos("FLV_FREESPACE") + 1);
}

TEST(StringTable, Overrides)
{
    TbsResourceStrData t;
    t.SetResStrings(std::vector<std::string>{"MSG_BTN_OK=O=K", "MSG_BTN_CANCEL=取消", "msg_btn_cancel=second", "NOVALUE", "EMPTY="});
    EXPECT_EQ(t.GetResStr("MSG_BTN_OK"), "O=K");          // everything after the first "="
    EXPECT_EQ(t.GetResStr("MSG_BTN_CANCEL"), "取消");      // the first line counts
    EXPECT_EQ(t.GetResStr("NOVALUE"), "");
    EXPECT_EQ(t.GetResStr("EMPTY"), "");
    EXPECT_EQ(t.GetResStr("MI_MINCAPTION"), "");          // the table exists but lacks it: empty
    TStringList none;
    t.SetResStrings(&none);
    EXPECT_EQ(t.ResStrings()->Count(), 0);
    EXPECT_EQ(t.GetResStr("MSG_BTN_OK"), "");
    t.SetCharSet(134);
    EXPECT_EQ(t.CharSet(), 134);
}
} // namespace
