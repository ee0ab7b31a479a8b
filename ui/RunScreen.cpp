#include "ui/RunScreen.h"

#include <string>

#include "core/GlobalInfo.h"
#include "core/RunState.h"
#include "render/ScreenDraw.h"
#include "ui/HUD.h"
#include "ui/TextRenderer.h"

bool RunScreen::Shows(const RunState* run)
{
    return run && (run->IsPaused() || run->GetPhase() == RunState::Phase::Ended);
}

void RunScreen::Update(float) {}

void RunScreen::Shade(float alpha)
{
    const float w = kWidth, h = kHeight;
    // Over whatever depth the picture left: the shade covers it all.
    ScreenDraw::SetDepthTest(false);
    ScreenDraw::Colour(0.0f, 0.0f, 0.0f, alpha);
    ScreenDraw::Quad({{0, 0, 0, 0}, {0, 0, 0, h}, {0, 0, w, h}, {0, 0, w, 0}});
    ScreenDraw::Colour(1.0f, 1.0f, 1.0f, 1.0f);
    ScreenDraw::SetDepthTest(true);
}

void RunScreen::Draw()
{
    const RunState* run = GlobalInfo::Instance().GetRun();
    if (!Shows(run))
        return;
    TextRenderer& text = TextRenderer::Instance();
    const int centre = kWidth / 2;
    if (run->GetPhase() == RunState::Phase::Ended) {
        Shade(kEndedShade);
        text.Print(centre, 190, run->GetMessage().c_str(), 1, 1);
        text.Print(centre, 230, ("Score " + HUD::ScoreText(run->GetScore())).c_str(), 1, 1);
        text.Print(centre, 290, "Press Enter to play again", 1, 1);
        return;
    }
    Shade(kPausedShade);
    text.Print(centre, 220, "Paused", 1, 1);
    text.Print(centre, 260, "Press P to resume", 1, 1);
}
