#include "effects/EffectShaders.h"

#include <cstdio>

#include "core/System.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"

Shader* FindEffectShader(const std::string& name)
{
    Shader* shader = System::Instance().GetShaderManager()->GetShader(name);
    if (shader && !shader->IsLinked()) {
        printf("  Shader %s did not link; its pass draws its source unchanged\n", name.c_str());
        return nullptr;
    }
    return shader;
}
