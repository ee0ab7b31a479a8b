// Base of every node of the 3D scene. A node owns its children; drawing pushes
// the model-view matrix, translates by `position`, draws the node and then its
// children in list order; updating visits a node before its children.
#pragma once

#include <vector>

#include "core/Vec3.h"

class SceneNode {
public:
    SceneNode() = default;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;
    // Detaches from the parent, then deletes every child.
    virtual ~SceneNode();

    virtual void Draw() {}
    virtual void Update(float /*dt*/) {}

    // Moves `child` here from any previous parent; it becomes the last child.
    void AddChild(SceneNode* child);
    // Removes without deleting; the child's parent pointer is left alone.
    bool RemoveChild(SceneNode* child);

    SceneNode* GetParent() const { return parent; }
    void SetParent(SceneNode* p) { parent = p; }
    const std::vector<SceneNode*>& GetChildren() const { return children; }

    const Vec3& GetPosition() const { return position; }
    void SetPosition(const Vec3& p) { position = p; }

    // Push, translate by position, Draw, children, pop. Needs a GL context.
    void RenderTree();
    void UpdateTree(float dt);

protected:
    Vec3 position;
    SceneNode* parent = nullptr;
    std::vector<SceneNode*> children;  // owned
};
