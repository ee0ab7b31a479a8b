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

void ShaderManager::LoadDirectory(const std::string& directory, bool gl)
{
    printf("Loading shaders...\n");
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

void ShaderManager::Clear()
{
    for (Entry& entry : shaders)
        entry.shader->Release();
    shaders.clear();
    // A reload says again what is missing.
    reportedMissing.clear();
}
