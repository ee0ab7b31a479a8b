#include "game/Assets.h"

#include "core/System.h"
#include "render/Model.h"
#include "render/ShaderManager.h"
#include "render/TextureManager.h"

namespace Assets {

namespace {
Source& CurrentSource()
{
    static Source source;
    return source;
}
}  // namespace

std::unique_ptr<Model> LoadModel(const std::string& path)
{
    if (const Source& source = CurrentSource(); source.loadModel)
        return source.loadModel(path);
    auto model = std::make_unique<Model>();
    model->LoadObj(path);
    return model;
}

Texture* GetTexture(const std::string& name)
{
    if (const Source& source = CurrentSource(); source.getTexture)
        return source.getTexture(name);
    TextureManager* manager = System::Instance().GetTextureManager();
    return manager ? manager->GetTexture(name) : nullptr;
}

Shader* GetShader(const std::string& name)
{
    if (const Source& source = CurrentSource(); source.getShader)
        return source.getShader(name);
    ShaderManager* manager = System::Instance().GetShaderManager();
    return manager ? manager->GetShader(name) : nullptr;
}

void SetSource(Source source)
{
    CurrentSource() = std::move(source);
}

Source NullSource()
{
    Source source;
    source.loadModel = [](const std::string&) { return std::make_unique<Model>(); };
    source.getTexture = [](const std::string&) -> Texture* { return nullptr; };
    source.getShader = [](const std::string&) -> Shader* { return nullptr; };
    return source;
}

}  // namespace Assets
