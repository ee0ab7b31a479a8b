#include "ui/HUD.h"

#include <cmath>
#include <cstdio>

#include "core/GlobalInfo.h"
#include "core/RunState.h"
#include "core/System.h"
#include "game/Player.h"
#include "game/Weapon.h"
#include "render/ScreenDraw.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "ui/TextRenderer.h"

HUD::HUD()
{
    metersTexture = System::Instance().GetTextureManager()->GetTexture("gui-meters.png");
}

void HUD::Update(float) {}

int HUD::MeterLength(float value, float maximum)
{
    const float ratio = value / maximum;
    const float length = ratio * static_cast<float>(kMeterLength);
    if (std::isnan(length))
        return 0;
    if (length >= static_cast<float>(kMaxMeterLength))
        return kMaxMeterLength;
    if (length <= -static_cast<float>(kMaxMeterLength))
        return -kMaxMeterLength;
    return static_cast<int>(length);
}

std::string HUD::ScoreText(double score)
{
    // The run keeps its score within +-1e15, so it fits a long long exactly.
    char text[32];
    snprintf(text, sizeof text, "%lld", std::isfinite(score) ? std::llround(score) : 0LL);
    return text;
}

void HUD::Draw()
{
    TextRenderer& text = TextRenderer::Instance();
    text.Print(5, 5, "Vantrel 0.2", 0, 0);
    if (const RunState* run = GlobalInfo::Instance().GetRun())
        text.Print(635, 5, ("Score " + ScoreText(run->GetScore())).c_str(), 0, 2);
    DrawPanel(446, 410, 187, 60, 0);

    int shieldLength = 0, healthLength = 0;
    if (const Player* player = GlobalInfo::Instance().GetPlayer()) {
        shieldLength = MeterLength(player->GetShield(), player->GetMaxShield());
        healthLength = MeterLength(player->GetHealth(), player->GetMaxHealth());
        if (const Weapon* weapon = player->GetPrimaryWeapon())
            text.Print(438, 440, ("Weapon " + std::to_string(weapon->GetLevel())).c_str(), 1, 2);
    }

    ScreenDraw::Colour(0.0f, 0.0f, 0.0f);
    ScreenDraw::Quad({{0, 0, 458, 421}, {0, 0, 458, 439}, {0, 0, 621, 439}, {0, 0, 621, 421}});
    ScreenDraw::Quad({{0, 0, 458, 441}, {0, 0, 458, 459}, {0, 0, 621, 459}, {0, 0, 621, 441}});

    ScreenDraw::Colour(1.0f, 1.0f, 1.0f);
    if (metersTexture)
        metersTexture->Bind(0);
    const float left = kMeterLeft;
    const float ws = left + static_cast<float>(shieldLength), wh = left + static_cast<float>(healthLength);
    ScreenDraw::Quad({{0, 1, left, 422}, {0, 0.5f, left, 438}, {1, 0.5f, ws, 438}, {1, 1, ws, 422}});
    ScreenDraw::Quad({{0, 0.5f, left, 442}, {0, 0, left, 458}, {1, 0, wh, 458}, {1, 0.5f, wh, 442}});
    Texture::Unbind(0);
}
