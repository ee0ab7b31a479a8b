#include "core/Loading.h"

#include <cstdio>

#include "audio/SoundManager.h"
#include "core/GlobalInfo.h"
#include "core/Simulation.h"
#include "core/System.h"
#include "render/ShaderManager.h"
#include "render/TextureManager.h"

namespace Loading {

void LoadResources(bool gl)
{
    System& system = System::Instance();
    printf("\n");
    system.GetShaderManager()->LoadDirectory("data/shaders/", gl);
    printf("\n");
    system.GetTextureManager()->LoadDirectory("data/textures/", gl);
    printf("\n");
}

bool StartWithoutWindow(Simulation& simulation, bool gl, SoundManager* sounds)
{
    printf("Vantrel 0.2\n");
    LoadResources(gl);
    if (sounds) {
        sounds->LoadDirectory("data/sounds/");
        GlobalInfo::Instance().SetSounds(sounds);
        printf("\n");
    }
    const bool loaded = simulation.Build();
    printf("\n");
    fflush(stdout);
    return loaded;
}

}  // namespace Loading
