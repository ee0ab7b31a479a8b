#include "game/Assets.h"

#include "core/System.h"
#include "render/Model.h"
#include "render/Texture.h"
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

std::unique_ptr<Model> LoadModel(const std::string& path, Model::ObjResult* result)
{
    if (result)
        *result = Model::ObjResult::Loaded;
    if (const Source& source = CurrentSource(); source.loadModel)
        return source.loadModel(path);
    auto model = std::make_unique<Model>();
    const Model::ObjResult loaded = model->LoadObj(path);
    if (result)
        *result = loaded;
    return model;
}

Texture* GetTexture(const std::string& name)
{
    if (const Source& source = CurrentSource(); source.getTexture)
        return source.getTexture(name);
    TextureManager* manager = System::Instance().GetTextureManager();
    return manager ? manager->GetTexture(name) : nullptr;
}

Texture* FindTexture(const std::string& name)
{
    if (const Source& source = CurrentSource(); source.getTexture)
        return source.getTexture(name);
    TextureManager* manager = System::Instance().GetTextureManager();
    return manager ? manager->FindTexture(name) : nullptr;
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
    // One stand-in for every name, so loaders see their textures as present.
    source.getTexture = [](const std::string&) -> Texture* {
        static Texture standIn;
        return &standIn;
    };
    source.getShader = [](const std::string&) -> Shader* { return nullptr; };
    return source;
}

}  // namespace Assets
