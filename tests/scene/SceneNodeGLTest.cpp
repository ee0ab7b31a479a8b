#include <gtest/gtest.h>

#include "render/GL.h"
#include "effects/RenderingEffect.h"
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
        ++draws;
    }
    Vec3 translation;
    int draws = 0;
};

TEST(SceneNodeGL, PositionsNestAndTheMatrixIsRestored)
{
    ResetGLState();
    glLoadIdentity();
    SceneNode parent;
    parent.SetPosition(Vec3(0, 0, 2));
    auto* child = new MatrixProbe();
    child->SetPosition(Vec3(1, 0, 0));
    auto* grandchild = new MatrixProbe();
    grandchild->SetPosition(Vec3(0, -3, 0));
    parent.AddChild(child);
    child->AddChild(grandchild);
    parent.RenderTree();
    EXPECT_FLOAT_EQ(child->translation.x, 1.0f);
    EXPECT_FLOAT_EQ(child->translation.z, 2.0f);
    EXPECT_FLOAT_EQ(grandchild->translation.y, -3.0f);
    EXPECT_FLOAT_EQ(grandchild->translation.x, 1.0f);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
}

class CountingEffect : public RenderingEffect {
public:
    void Render(Camera* c, SceneNode* s) override
    {
        camera = c;
        scene = s;
    }
    Camera* camera = nullptr;
    SceneNode* scene = nullptr;
};

TEST(SceneNodeGL, RenderFrameGoesThroughTheEffectWhenThereIsOne)
{
    ResetGLState();
    glLoadIdentity();
    Camera camera(Vec3(0, 0, 10), Vec3(0, 0, 0), Vec3(0, 1, 0));
    MatrixProbe scene;
    CountingEffect effect;
    camera.RenderFrame(&scene, &effect);
    EXPECT_EQ(effect.camera, &camera);
    EXPECT_EQ(effect.scene, &scene);
    EXPECT_EQ(scene.draws, 0);

    // Without an effect the camera draws the tree itself, under its look-at:
    // an eye at z = 10 looking at the origin moves the scene 10 away.
    camera.RenderFrame(&scene, nullptr);
    EXPECT_EQ(scene.draws, 1);
    EXPECT_FLOAT_EQ(scene.translation.z, -10.0f);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
    camera.RenderFrame(nullptr, nullptr);  // nothing to draw, nothing happens
}

}  // namespace
