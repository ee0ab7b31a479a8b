#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/SceneNode.h"

namespace {

// Logs its updates and its destruction; the first update of "spawner" adds
// a sibling.
struct Probe : SceneNode {
    Probe(std::string name_, std::string& log_) : name(std::move(name_)), log(log_) {}
    ~Probe() override { log += "~" + name + " "; }
    void Update(float dt) override
    {
        log += name + std::to_string(int(dt)) + " ";
        if (name == "spawner" && GetParent()->GetChildren().size() == 1)
            GetParent()->AddChild(new Probe("spawned", log));
    }
    std::string name;
    std::string& log;
};

// Adding moves a node to the end of its new parent's list; deleting one
// detaches it and deletes its subtree; an update visits a node before its
// children, including ones added during the pass.
TEST(SceneNode, AddMovesDeleteDetachesAndUpdateVisitsNodesAddedDuringThePass)
{
    std::string log;
    SceneNode a, b;
    auto *x = new Probe("x", log), *y = new Probe("y", log);
    a.AddChild(x);
    a.AddChild(y);
    b.AddChild(new Probe("z", log));
    b.AddChild(x);
    EXPECT_EQ(a.GetChildren(), (std::vector<SceneNode*>{y}));
    EXPECT_EQ(x->GetParent(), &b);
    b.AddChild(b.GetChildren()[0]);  // re-adding to the same parent moves it to the end too
    EXPECT_EQ(b.GetChildren()[0], x);
    x->AddChild(new Probe("leaf", log));
    delete x;
    EXPECT_EQ(log, "~x ~leaf ");
    ASSERT_EQ(b.GetChildren().size(), 1u);

    log.clear();
    {
        Probe root("root", log);
        auto* first = new Probe("a", log);
        root.AddChild(first);
        first->AddChild(new Probe("spawner", log));
        root.AddChild(new Probe("b", log));
        root.UpdateTree(16.0f);
    }
    EXPECT_EQ(log, "root16 a16 spawner16 spawned16 b16 ~root ~a ~spawner ~spawned ~b ");
}

}  // namespace
