#include <gtest/gtest.h>

#include "render/GL.h"
#include "scene/Camera.h"
#include "scene/SceneNode.h"
#include "tests/support/GLTestUtil.h"

namespace {

// Records the model-view translation in force when it is drawn.
class MatrixProbe : public SceneNode {
public:
    void Draw() override
    {
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        translation = Vec3(m[12], m[13], m[14]);
    }
    Vec3 translation;
};

// Without an effect the camera draws the tree itself under its look-at (an
// eye at z = 10 looking at the origin moves the scene 10 away); positions
// nest, and the matrix is as it was afterwards.
TEST(SceneNodeGL, PositionsNestUnderTheCameraAndTheMatrixIsRestored)
{
    ResetGLState();
    glLoadIdentity();
    Camera camera(Vec3(0, 0, 10), Vec3(0, 0, 0), Vec3(0, 1, 0));
    SceneNode parent;
    parent.SetPosition(Vec3(0, 0, 2));
    auto* child = new MatrixProbe();
    child->SetPosition(Vec3(1, 0, 0));
    auto* grandchild = new MatrixProbe();
    grandchild->SetPosition(Vec3(0, -3, 0));
    parent.AddChild(child);
    child->AddChild(grandchild);
    camera.RenderFrame(&parent, nullptr);
    EXPECT_TRUE(child->translation.x == 1.0f && child->translation.y == 0.0f) << child->translation.y;
    EXPECT_FLOAT_EQ(child->translation.z, -8.0f);
    EXPECT_TRUE(grandchild->translation.x == 1.0f && grandchild->translation.y == -3.0f);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_TRUE(m[12] == 0.0f && m[13] == 0.0f && m[14] == 0.0f);
}

}  // namespace
