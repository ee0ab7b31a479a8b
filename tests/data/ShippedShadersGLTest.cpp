// The ground shader the game ships: its glow sits under the ship. That every
// shipped shader compiles, links and takes the uniforms the game sets shows
// on the shipped frames (ShippedFramesGLTest); what the bloom and distortion
// passes do off those frames, through the effects (FullFrameGLTest).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/GL.h"
#include "render/Shader.h"
#include "render/ShaderParameters.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string kShaderDir = std::string(VANTREL_SOURCE_DIR) + "/data/shaders/";

}  // namespace

// The player to the side and a little ahead of the view; the camera follows
// half way (level width 1000), the board shifts the terrain by half the
// camera's x and lays it 1000 below the play plane. The glow, the
// difference between the ship present and far away over flat meadow, is
// centred (where it is above half its peak, a plateau in 8-bit colour)
// where the camera shows the ship.
TEST(ShippedShaders, GroundGlowSitsUnderThePlayerAsTheCameraSeesIt)
{
    ResetGLState();
    std::unique_ptr<Shader> ground;
    CaptureStdout([&] { ground = std::make_unique<Shader>(kShaderDir + "ground.shdr"); });
    const float px = 320.0f, py = 5100.0f, camX = px / 2.0f, camZ = 5000.0f;
    glPushMatrix();
    gluLookAt(camX, 1000, camZ, camX, 0, camZ, 0, 0, 1);
    GLdouble modelView[16], projection[16], sx = 0, sy = 0, sz = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(px, 0, py, modelView, projection, viewport, &sx, &sy, &sz);
    glTranslatef(-camX / 2.0f, -1000.0f, 0.0f);
    std::vector<int> glow(640 * 480);
    std::vector<unsigned char> pixels(640 * 480 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int sign : {1, -1}) {
        ShaderParameters parameters;
        parameters.SetInt("plrPosX", sign > 0 ? int(px) : 100000);
        parameters.SetInt("plrPosY", int(py));
        parameters.SetInt("camY", int(camZ));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ground->Bind();
        ground->SetParameters(parameters);
        glBegin(GL_QUADS);
        glNormal3f(0, 1, 0);
        for (int corner : {0, 2, 3, 1})
            glVertex3f(corner & 1 ? 3000 : -3000, 100, camZ + (corner & 2 ? 3000 : -3000));
        glEnd();
        Shader::Unbind();
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (size_t i = 0; i < glow.size(); ++i)
            glow[i] += sign * (pixels[i * 4] + pixels[i * 4 + 1] + pixels[i * 4 + 2]);
    }
    glPopMatrix();
    ground->Release();
    const int best = *std::max_element(glow.begin(), glow.end());
    EXPECT_GT(best, 60) << "the glow should be plainly visible";
    double sumX = 0, sumY = 0, weight = 0;
    for (size_t i = 0; i < glow.size(); ++i)
        if (glow[i] * 2 > best) {
            sumX += double(glow[i]) * (i % 640);
            sumY += double(glow[i]) * (i / 640);
            weight += glow[i];
        }
    EXPECT_NEAR(sumX / weight, sx, 3.0) << "ship at " << sx << "," << sy;
    EXPECT_NEAR(sumY / weight, sy, 3.0) << "ship at " << sx << "," << sy;
}
