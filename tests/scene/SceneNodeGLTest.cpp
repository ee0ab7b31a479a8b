#include <gtest/gtest.h>

#include "render/GL.h"
#include "scene/Camera.h"
#include "scene/SceneNode.h"
#include "tests/support/GLTestUtil.h"

namespace {

// Records the model-view translation in force when it is drawn.
struct MatrixProbe : SceneNode {
    void Draw() override
    {
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
    }
    GLfloat m[16] = {};
};

// Without an effect the camera draws the tree under its look-at (an eye at
// z = 10 looking at the origin moves the scene 10 away); positions nest, and
// the matrix is as it was afterwards.
TEST(SceneNodeGL, PositionsNestUnderTheCameraAndTheMatrixIsRestored)
{
    ResetGLState();
    glLoadIdentity();
    SceneNode parent;
    parent.SetPosition(Vec3(0, 0, 2));
    auto *child = new MatrixProbe(), *grandchild = new MatrixProbe();
    child->SetPosition(Vec3(1, 0, 0));
    grandchild->SetPosition(Vec3(0, -3, 0));
    parent.AddChild(child);
    child->AddChild(grandchild);
    Camera(Vec3(0, 0, 10), Vec3(0, 0, 0), Vec3(0, 1, 0)).RenderFrame(&parent, nullptr);
    EXPECT_TRUE(child->m[12] == 1.0f && child->m[13] == 0.0f);
    EXPECT_FLOAT_EQ(child->m[14], -8.0f);
    EXPECT_TRUE(grandchild->m[12] == 1.0f && grandchild->m[13] == -3.0f);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_TRUE(m[12] == 0.0f && m[13] == 0.0f && m[14] == 0.0f);
}

}  // namespace
