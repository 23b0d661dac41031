#include "temp_dir.h"
#include "platform/gui/Strings.h"
#include "platform/gui/Streams.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <unistd.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const TStrings& s)
{
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s[i]);
    return v;
}

TEST(StringList, NameValuePairs)
{
    TStringList l;
    l.SetText("Dir=/home/u/视频\nPicture=BMP\nnovalue\nEmpty=\nA=b=c\n");
    struct Case { const char* name; const char* value; int index; };
    const Case cases[] = {
        {"Dir", "/home/u/视频", 0},
        {"picture", "BMP", 1},   // names ignore case by default
        {"novalue", "", -1},     // a line without "=" has no name
        {"Empty", "", 3},
        {"A", "b=c", 4},         // the name ends at the first "="
        {"missing", "", -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(l.Values(c.name), c.value) << c.name;
        EXPECT_EQ(l.IndexOfName(c.name), c.index) << c.name;
    }
    EXPECT_EQ(l.Names(4), "A");
    EXPECT_EQ(l.ValueFromIndex(4), "b=c");

    l.SetValues("PICTURE", "PNG");   // replaces in place, keeping the given name
    EXPECT_EQ(l[1], "PICTURE=PNG");
    l.SetValues("New", "1");
    EXPECT_EQ(l[l.Count() - 1], "New=1");
    l.SetValues("Dir", "");          // an empty value removes the line
    EXPECT_EQ(l.IndexOfName("Dir"), -1);

    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOfName("picture"), -1);
}

TEST(StringList, SortedListsAndDuplicates)
{
    struct Case { TDuplicates dup; bool caseSensitive; std::vector<std::string> expect; bool throws; };
    const std::vector<std::string> input = {"beta", "Alpha", "alpha", "Gamma", "beta"};
    const Case cases[] = {
        {dupIgnore, false, {"Alpha", "beta", "Gamma"}, false},
        {dupAccept, false, {"alpha", "Alpha", "beta", "beta", "Gamma"}, false},
        {dupIgnore, true, {"alpha", "Alpha", "beta", "Gamma"}, false},
        {dupError, false, {}, true},
    };
    for (const Case& c : cases)
    {
        TStringList l;
        l.SetCaseSensitive(c.caseSensitive);
        l.SetDuplicates(c.dup);
        l.SetSorted(true);
        bool threw = false;
        try
        {
            for (auto& s : input) l.Add(s);
        }
        catch (const EStringListError&)
        {
            threw = true;
        }
        EXPECT_EQ(threw, c.throws);
        if (!c.throws) { EXPECT_EQ(Lines(l), c.expect); }
    }

    TStringList l;
    l.SetSorted(true);
    for (const char* s : {"d", "b", "c", "a"}) l.Add(s);
    int at = -1;
    EXPECT_TRUE(l.Find("C", at));
    EXPECT_EQ(at, 2);
    EXPECT_FALSE(l.Find("bb", at));
    EXPECT_EQ(at, 2) << "where it would go";
    EXPECT_EQ(l.IndexOf("D"), 3);
    EXPECT_THROW(l.Insert(0, "x"), EStringListError);
    EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);
}

TEST(StringList, SortingKeepsObjectsAndCustomSort)
{
    TStringList l;
    TObject o1, o2, o3;
    l.AddObject("b", &o2);
    l.AddObject("c", &o3);
    l.AddObject("a", &o1);
    l.Sort();
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(l.Objects(0), &o1);
    EXPECT_EQ(l.IndexOfObject(&o3), 2);
    // Longest first, by a comparer that reads the list by index.
    l.Add("zzzz");
    l.Add("yy");
    l.CustomSort([](TStringList* s, int a, int b) { return int(s->Get(b).size()) - int(s->Get(a).size()); });
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"zzzz", "yy", "a", "b", "c"}));
    l.Exchange(0, 4);
    l.Move(0, 1);
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"yy", "c", "a", "b", "zzzz"}));
    EXPECT_THROW(l.Get(5), EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
}

TEST(StringList, ChangeEventsAndUpdateBatching)
{
    TStringList l;
    int changes = 0, changing = 0;
    l.OnChange = [&](TObject* s) { EXPECT_EQ(s, &l); ++changes; };
    l.OnChanging = [&](TObject*) { ++changing; };
    l.Add("a");
    l.Add("b");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(changing, 2);
    changes = changing = 0;
    l.BeginUpdate();
    l.Add("c");
    l.Delete(0);
    l.BeginUpdate();
    l.Clear();
    l.EndUpdate();
    EXPECT_EQ(changes, 0);
    l.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changing, 1);
}

TEST(StringList, OwnedObjectsAreFreed)
{
    // Run under LeakSanitizer: every object must be freed exactly once.
    TStringList l(true);
    l.AddObject("a", new TObject);
    l.AddObject("b", new TObject);
    l.AddObject("c", new TObject);
    l.Delete(1);
    l.SetObjects(0, new TObject);   // replaces and frees the old one
    TStringList copy;
    copy.Assign(&l);                // shares pointers but does not own them
    EXPECT_EQ(copy.Objects(1), l.Objects(1));
}

TEST(StringList, TextAndStreamsInUtf8)
{
    struct Case { std::string bytes; std::vector<std::string> lines; };
    const Case cases[] = {
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"\xEF\xBB\xBF中文\n", {"中文"}},                  // UTF-8 BOM skipped
        {"a\rb\r\n\r\n", {"a", "b", ""}},                 // lone CR; trailing break adds no line
        {"", {}},
        {std::string("\xFF\xFE" "a\0\x2D\x4E", 6), {"a中"}}, // UTF-16LE with BOM
        {std::string("x\0y", 3), {std::string("x\0y", 3)}},  // a NUL byte is kept
    };
    for (const Case& c : cases)
    {
        TStringStream in(c.bytes);
        TStringList l;
        l.LoadFromStream(in);
        EXPECT_EQ(Lines(l), c.lines);
    }
    TStringList l;
    l.Add("一");
    l.Add("two");
    TStringStream out;
    l.SaveToStream(out);
    EXPECT_EQ(out.DataString(), "一\ntwo\n");
    l.SetLineBreak("\r\n");
    EXPECT_EQ(l.Text(), "一\r\ntwo\r\n");
}

TEST(StringList, FilesWithAwkwardNames)
{
    std::string dir = ProcessTempDir();
    for (std::string name : {"list with spaces.txt", "中文 列表.txt", "a:b.txt"})
    {
        std::string path = dir + "/" + name;
        TStringList l;
        l.Add("第一行");
        l.Add("second=2");
        l.SaveToFile(path);
        TStringList r;
        r.LoadFromFile(path);
        EXPECT_EQ(Lines(r), Lines(l)) << name;
        std::remove(path.c_str());
    }
    TStringList l;
    EXPECT_THROW(l.LoadFromFile(dir + "/no such file.txt"), EFOpenError);
}

} // namespace
