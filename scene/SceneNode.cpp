#include "scene/SceneNode.h"

#include <algorithm>

#include "render/GL.h"

SceneNode::~SceneNode()
{
    if (parent)
        parent->RemoveChild(this);
    // Clear the back pointer first so the child does not try to detach from us
    // while we are walking the list.
    for (SceneNode* child : children) {
        child->parent = nullptr;
        delete child;
    }
    children.clear();
}

void SceneNode::AddChild(SceneNode* child)
{
    if (child->parent)
        child->parent->RemoveChild(child);
    children.push_back(child);
    child->parent = this;
}

bool SceneNode::RemoveChild(SceneNode* child)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return false;
    children.erase(it);
    return true;
}

void SceneNode::RenderTree()
{
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    Draw();
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->RenderTree();
    glPopMatrix();
}

void SceneNode::UpdateTree(float dt)
{
    Update(dt);
    // By index: an update may add nodes to this list.
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->UpdateTree(dt);
}
