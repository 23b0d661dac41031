#include "platform/gui/Classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gLog;

// Records notifications and its own destruction, and forgets a linked
// component when told it is going (the usual pattern of a component property).
class Probe : public TComponent
{
public:
    explicit Probe(TComponent* owner, std::string tag) : TComponent(owner), tag_(std::move(tag)) {}
    ~Probe() override { gLog.push_back("free " + tag_); }
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove && c == link) link = nullptr;
        auto* p = dynamic_cast<Probe*>(c);
        gLog.push_back(tag_ + (op == opInsert ? " +" : " -") + (p ? p->tag_ : std::string("?")));
    }
    void Loaded() override
    {
        TComponent::Loaded();
        gLog.push_back("loaded " + tag_);
    }
    TComponent* link = nullptr;
    std::string tag_;
};

TEST(Component, OwnerFreesItsComponentsLastFirst)
{
    gLog.clear();
    auto* root = new Probe(nullptr, "root");
    new Probe(root, "a");
    new Probe(root, "b");
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->Components(1)->ComponentIndex(), 1);
    gLog.clear();
    delete root;
    // root's own destructor runs first; its components then go last-first
    // without notices, as the owner is already being destroyed.
    EXPECT_EQ(gLog, (std::vector<std::string>{"free root", "free b", "free a"}));
}

TEST(Component, InsertAndRemoveAreAnnouncedToTheOwnerAndSiblings)
{
    gLog.clear();
    Probe root(nullptr, "root");
    auto* a = new Probe(&root, "a");
    gLog.clear();
    auto* b = new Probe(&root, "b");
    // The owner hears of b and passes the notice to what it owns. b itself is
    // still being constructed (a plain component), so it neither logs nor has
    // a Probe name yet.
    EXPECT_EQ(gLog, (std::vector<std::string>{"a +?", "root +?"}));
    gLog.clear();
    delete b;
    EXPECT_EQ(gLog, (std::vector<std::string>{"free b", "a -?", "root -?"}));
    EXPECT_EQ(root.ComponentCount(), 1);
    EXPECT_EQ(root.Components(0), a);
}

TEST(Component, FreeNotificationClearsDanglingLinksBothWays)
{
    gLog.clear();
    Probe ownerA(nullptr, "A"), ownerB(nullptr, "B");
    auto* user = new Probe(&ownerA, "user");
    auto* target = new Probe(&ownerB, "target");
    user->link = target;
    target->FreeNotification(user);
    EXPECT_TRUE(user->ComponentState() & csFreeNotification);
    delete target;
    EXPECT_EQ(user->link, nullptr) << "user heard that target went";

    // And the other way round: the partner that goes first is forgotten, so
    // the survivor's later destruction does not touch it.
    auto* t2 = new Probe(&ownerB, "t2");
    user->link = t2;
    t2->FreeNotification(user);
    delete user;
    delete t2;   // must not notify the deleted user (ASan would catch it)
}

TEST(Component, SiblingLinksAreClearedWhileTheOwnerIsDestroyed)
{
    // `user` (made first, freed last) links to `target` of the same owner:
    // when the owner goes, target goes first and user must hear of it.
    gLog.clear();
    struct Holder : Probe
    {
        using Probe::Probe;
        ~Holder() override { EXPECT_EQ(link, nullptr) << "dangling link at destruction"; }
    };
    auto* owner = new TComponent(nullptr);
    auto* user = new Holder(owner, "user");
    auto* target = new Probe(owner, "target");
    user->link = target;
    target->FreeNotification(user);
    EXPECT_TRUE(target->ComponentState() & csFreeNotification);
    delete owner;
}

TEST(Component, NamesAreIdentifiersUniqueIgnoringCase)
{
    TComponent root(nullptr);
    auto* a = new TComponent(&root);
    auto* b = new TComponent(&root);
    a->SetName("Button1");
    EXPECT_EQ(root.FindComponent("BUTTON1"), a);
    EXPECT_EQ(root.FindComponent("none"), nullptr);
    struct Case { const char* name; bool ok; };
    // letters of other scripts are letters: "滤镜设置" names a tab sheet
    const Case cases[] = {{"button1", false}, {"1abc", false}, {"a b", false}, {"中 文", false}, {"1中", false},
                          {"中文", true},      {"_ok2", true},  {"", true}};
    for (const Case& c : cases)
    {
        if (c.ok) { EXPECT_NO_THROW(b->SetName(c.name)) << c.name; }
        else { EXPECT_THROW(b->SetName(c.name), EComponentError) << c.name; }
    }
    a->SetName("BUTTON1");   // renaming itself in another case is fine
    EXPECT_EQ(a->Name(), "BUTTON1");
}

TEST(Component, LoadingStateAndLoadedOrder)
{
    gLog.clear();
    Probe root(nullptr, "root");
    auto* a = new Probe(&root, "a");
    new Probe(a, "a1");
    root.BeginLoading();
    EXPECT_TRUE(a->ComponentState() & csLoading);
    gLog.clear();
    root.EndLoading();
    EXPECT_EQ(gLog, (std::vector<std::string>{"loaded root", "loaded a", "loaded a1"}));
    EXPECT_FALSE(a->ComponentState() & csLoading);
    root.SetDesigning(true);
    EXPECT_TRUE(a->Components(0)->ComponentState() & csDesigning);
}

class Item : public TCollectionItem
{
public:
    using TCollectionItem::TCollectionItem;
    void Assign(const TPersistent* src) override
    {
        if (auto* i = dynamic_cast<const Item*>(src)) { value = i->value; Changed(false); }
        else TCollectionItem::Assign(src);
    }
    int value = 0;
};

class CountingCollection : public TCollection
{
public:
    CountingCollection() : TCollection(CollectionItemClass<Item>()) {}
    int updates = 0;

protected:
    void Update(TCollectionItem*) override { ++updates; }
};

TEST(Collection, OwnsItemsKeepsIdsAndBatchesUpdates)
{
    CountingCollection c;
    auto* i0 = static_cast<Item*>(c.Add());
    auto* i1 = static_cast<Item*>(c.Add());
    i0->value = 10;
    i1->value = 11;
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(i1->ID(), 1);
    i1->SetIndex(0);
    EXPECT_EQ(c.Items(0), i1);
    EXPECT_EQ(c.FindItemID(0), i0);
    c.Delete(0);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Add()->ID(), 2) << "ids are not reused";
    EXPECT_THROW(c.Items(5), EListError);

    c.updates = 0;
    c.BeginUpdate();
    c.Add();
    c.Add();
    EXPECT_EQ(c.updates, 0);
    c.EndUpdate();
    EXPECT_EQ(c.updates, 1);

    CountingCollection copy;
    copy.Assign(&c);
    ASSERT_EQ(copy.Count(), c.Count());
    EXPECT_EQ(static_cast<Item*>(copy.Items(0))->value, 10);

    // An item moved out of a collection belongs to the caller.
    auto* loose = c.Items(0);
    loose->SetCollection(nullptr);
    EXPECT_EQ(c.Count(), 3);
    delete loose;

    TComponent comp(nullptr);
    EXPECT_THROW(copy.Assign(&comp), EConvertError);
}

TEST(List, PointerListOperations)
{
    int a = 1, b = 2, c = 3;
    TList l;
    l.Add(&c);
    l.Add(&a);
    l.Insert(1, &b);
    l.Add(nullptr);
    EXPECT_EQ(l.Count(), 4);
    l.Pack();
    EXPECT_EQ(l.Count(), 3);
    l.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(l.First(), &a);
    EXPECT_EQ(l.Last(), &c);
    l.Move(0, 2);
    EXPECT_EQ(l.IndexOf(&a), 2);
    EXPECT_EQ(l.Extract(&b), &b);
    EXPECT_EQ(l.Extract(&b), nullptr);
    EXPECT_EQ(l.Remove(&c), 0);
    EXPECT_THROW(l.Items(1), EListError);
    EXPECT_THROW(l.Insert(3, &a), EListError);
    l.Clear();
    EXPECT_THROW(l.First(), EListError);
}

} // namespace
