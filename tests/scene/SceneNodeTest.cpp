#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/SceneNode.h"

namespace {

// Records its updates and destruction in a shared log.
class Probe : public SceneNode {
public:
    Probe(std::string name_, std::vector<std::string>& log_) : name(std::move(name_)), log(log_) {}
    ~Probe() override { log.push_back("~" + name); }
    void Update(float dt) override { log.push_back(name + " " + std::to_string(static_cast<int>(dt))); }

    std::string name;
    std::vector<std::string>& log;
};

TEST(SceneNode, AddingAParentedNodeMovesItToTheEndOfTheNewList)
{
    std::vector<std::string> log;
    SceneNode a, b;
    auto* x = new Probe("x", log);
    auto* y = new Probe("y", log);
    a.AddChild(x);
    a.AddChild(y);
    b.AddChild(new Probe("z", log));
    b.AddChild(x);
    EXPECT_EQ(a.GetChildren(), (std::vector<SceneNode*>{y}));
    ASSERT_EQ(b.GetChildren().size(), 2u);
    EXPECT_EQ(b.GetChildren()[1], x);
    EXPECT_EQ(x->GetParent(), &b);
    // Re-adding to the same parent moves it to the end there too.
    b.AddChild(b.GetChildren()[0]);
    EXPECT_EQ(b.GetChildren()[0], x);
}

TEST(SceneNode, RemoveChildOnlyDetachesFromTheList)
{
    std::vector<std::string> log;
    SceneNode parent, other;
    Probe child("c", log);
    parent.AddChild(&child);
    EXPECT_FALSE(other.RemoveChild(&child));
    EXPECT_EQ(parent.GetChildren().size(), 1u);
    EXPECT_TRUE(parent.RemoveChild(&child));
    EXPECT_TRUE(parent.GetChildren().empty());
    EXPECT_EQ(child.GetParent(), &parent);  // left alone, as documented
    EXPECT_FALSE(parent.RemoveChild(&child));
    child.SetParent(nullptr);
    EXPECT_TRUE(log.empty());
}

TEST(SceneNode, DeletingANodeDetachesItAndDeletesItsSubtree)
{
    std::vector<std::string> log;
    SceneNode root;
    auto* branch = new Probe("branch", log);
    root.AddChild(branch);
    branch->AddChild(new Probe("leaf1", log));
    branch->AddChild(new Probe("leaf2", log));
    root.AddChild(new Probe("sibling", log));
    delete branch;
    EXPECT_EQ(log, (std::vector<std::string>{"~branch", "~leaf1", "~leaf2"}));
    ASSERT_EQ(root.GetChildren().size(), 1u);
    EXPECT_EQ(static_cast<Probe*>(root.GetChildren()[0])->name, "sibling");
}

TEST(SceneNode, UpdateVisitsANodeBeforeItsChildrenInListOrder)
{
    std::vector<std::string> log;
    {
        Probe root("root", log);
        auto* a = new Probe("a", log);
        root.AddChild(a);
        a->AddChild(new Probe("a1", log));
        root.AddChild(new Probe("b", log));
        root.UpdateTree(16.0f);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"root 16", "a 16", "a1 16", "b 16", "~root", "~a", "~a1", "~b"}));
}

// A node that adds a sibling while the tree is being updated.
class Spawner : public SceneNode {
public:
    explicit Spawner(std::vector<std::string>& log_) : log(log_) {}
    void Update(float) override
    {
        if (!spawned) {
            spawned = true;
            GetParent()->AddChild(new Probe("spawned", log));
        }
    }
    bool spawned = false;
    std::vector<std::string>& log;
};

TEST(SceneNode, NodesAddedDuringAnUpdateAreUpdatedInTheSamePass)
{
    std::vector<std::string> log;
    SceneNode root;
    root.AddChild(new Spawner(log));
    root.UpdateTree(5.0f);
    EXPECT_EQ(root.GetChildren().size(), 2u);
    EXPECT_EQ(log, (std::vector<std::string>{"spawned 5"}));
}

}  // namespace
