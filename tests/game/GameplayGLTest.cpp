#include "render/GL.h"
#include "render/Model.h"
#include "render/Texture.h"
#include "tests/game/GameplayFixture.h"
#include "tests/support/GLTestUtil.h"

namespace {

using GameplayGL = GameplayTest;

// Whether the pixel showing play-plane point (x, z), relative to the view, is red.
bool RedAt(float x, float z)
{
    const Rgba pixel = ReadPixel(320 - static_cast<int>(x), 240 + static_cast<int>(z * 0.4f));
    return pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60;
}

// Only enemies within 500 of the view along z are drawn: the game's camera
// never sees further, so this one looks 600 each way to catch one drawn
// for nothing. Each enemy is a 40 x 40 red square in the play plane, seen
// straight down as the game's camera looks (world z up the screen, world x
// to the left).
TEST_F(GameplayGL, OnlyEnemiesWithin500OfTheViewAreDrawn)
{
    ResetGLState();
    Texture red(MakeSolidTexture({255, 0, 0, 255}), 1, 1);
    Assets::Source source = Assets::NullSource();
    source.loadModel = [](const std::string& path) {
        auto model = std::make_unique<Model>();
        model->LoadObjText("v -20 0 -20\nv 20 0 -20\nv 20 0 20\nv -20 0 20\n"
                           "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 3/3 2/2\nf 1/1 4/4 3/3\n",
                           path);
        return model;
    };
    source.getTexture = [&red](const std::string&) { return &red; };
    Assets::SetSource(source);
    Start("");
    const Vec2 view(0, 1000);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-320, 320, -600, 600, 1, 2000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(view.x, 1000, view.y, view.x, 0, view.y, 0, 0, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    Actors actors;
    LoadEnemyTypes(actors, "grunt\ng.obj\ng.png\ng.lua\n40\n10\n");
    actors.GetPlayer()->SetPosition(view);
    GlobalInfo::Instance().SetViewPosition(view);
    const std::tuple<float, float, bool> cases[] = {
        {-200, 1450, true}, {-100, 1550, false}, {100, 550, true}, {200, 450, false}};
    for (const auto& [x, y, drawn] : cases)
        actors.SpawnEnemy("grunt", Vec2(x, y), 0, 0, 0);
    actors.Draw();
    for (const auto& [x, y, drawn] : cases)
        EXPECT_EQ(drawn, RedAt(x, y - view.y)) << y;
    red.Release();
    ResetGLState();
}

}  // namespace
