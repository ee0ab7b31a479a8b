#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/SceneNode.h"

namespace {

// Records its updates and destruction in a shared log; the first update of a
// "spawner" adds a sibling.
class Probe : public SceneNode {
public:
    Probe(std::string name_, std::vector<std::string>& log_) : name(std::move(name_)), log(log_) {}
    ~Probe() override { log.push_back("~" + name); }
    void Update(float dt) override
    {
        log.push_back(name + " " + std::to_string(int(dt)));
        if (name == "spawner" && GetParent()->GetChildren().size() == 1)
            GetParent()->AddChild(new Probe("spawned", log));
    }
    std::string name;
    std::vector<std::string>& log;
};

TEST(SceneNode, AddMovesANodeToTheEndOfItsNewListAndRemoveOnlyDetaches)
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
    EXPECT_EQ(b.GetChildren()[1], x);
    EXPECT_EQ(x->GetParent(), &b);
    b.AddChild(b.GetChildren()[0]);  // re-adding to the same parent moves it to the end too
    EXPECT_EQ(b.GetChildren()[0], x);

    EXPECT_FALSE(a.RemoveChild(x));
    EXPECT_TRUE(b.RemoveChild(x));
    EXPECT_FALSE(b.RemoveChild(x));
    EXPECT_EQ(b.GetChildren().size(), 1u);
    EXPECT_EQ(x->GetParent(), &b);  // left alone, as documented
    x->SetParent(nullptr);
    delete x;
    EXPECT_EQ(log, (std::vector<std::string>{"~x"}));
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

TEST(SceneNode, UpdateVisitsANodeBeforeItsChildrenIncludingOnesAddedDuringThePass)
{
    std::vector<std::string> log;
    {
        Probe root("root", log);
        auto* a = new Probe("a", log);
        root.AddChild(a);
        a->AddChild(new Probe("spawner", log));
        root.AddChild(new Probe("b", log));
        root.UpdateTree(16.0f);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"root 16", "a 16", "spawner 16", "spawned 16", "b 16", "~root", "~a",
                                             "~spawner", "~spawned", "~b"}));
}

}  // namespace
