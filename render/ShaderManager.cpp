#include "render/ShaderManager.h"

#include <cstdio>

#include "core/Problems.h"
#include "render/Directory.h"
#include "render/Shader.h"

ShaderManager::ShaderManager() = default;

ShaderManager::~ShaderManager()
{
    Clear();
}

void ShaderManager::LoadDirectory(const std::string& directory_, bool gl)
{
    printf("Loading shaders...\n");
    directory = directory_;
    for (const std::string& name : ListFilesWithExtension(directory, ".shdr")) {
        auto shader = std::make_unique<Shader>(directory + name, gl);
        shaders.push_back({name, std::move(shader)});
    }
}

Shader* ShaderManager::GetShader(const std::string& name)
{
    for (const Entry& entry : shaders) {
        if (entry.name == name)
            return entry.shader.get();
    }
    // Drawing goes on without the shader; one line tells the modder why.
    if (reportedMissing.insert(name).second)
        Problems::Load(2, "Missing shader " + name);
    return nullptr;
}

Shader* ShaderManager::GetVariant(const std::string& name, const std::string& define)
{
    for (const VariantEntry& entry : variants) {
        if (entry.name == name && entry.define == define)
            return entry.shader.get();
    }
    bool loaded = false;
    for (const Entry& entry : shaders)
        loaded = loaded || entry.name == name;
    // Only for a file the manager loaded, from the directory it came from.
    variants.push_back({name, define, loaded ? Shader::Variant(directory + name, define) : nullptr});
    return variants.back().shader.get();
}

void ShaderManager::Clear()
{
    for (Entry& entry : shaders)
        entry.shader->Release();
    shaders.clear();
    for (VariantEntry& entry : variants) {
        if (entry.shader)
            entry.shader->Release();
    }
    variants.clear();
    // A reload says again what is missing.
    reportedMissing.clear();
}
