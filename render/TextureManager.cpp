#include "render/TextureManager.h"

#include <cstdio>

#include "core/Problems.h"
#include "render/Directory.h"
#include "render/FramebufferObject.h"
#include "render/Texture.h"
#include "render/png/Png.h"

TextureManager::TextureManager()
{
    png_set_allocator(nullptr, nullptr);
}

TextureManager::~TextureManager()
{
    Clear();
    for (auto& target : renderTargets)
        target.reset();
}

void TextureManager::LoadDirectory(const std::string& directory, bool gl)
{
    printf("Loading textures...\n");
    for (const std::string& name : ListFilesWithExtension(directory, ".png")) {
        auto texture = std::make_unique<Texture>(directory + name, gl);
        textures.push_back({name, std::move(texture)});
        printf("  %s%s\n", directory.c_str(), name.c_str());
    }
}

Texture* TextureManager::GetTexture(const std::string& name)
{
    if (Texture* texture = FindTexture(name))
        return texture;
    // Drawing goes on without the texture; one line tells the modder why.
    if (reportedMissing.insert(name).second)
        Problems::Load(2, "Missing texture " + name);
    return nullptr;
}

Texture* TextureManager::FindTexture(const std::string& name) const
{
    for (const Entry& entry : textures) {
        if (entry.name == name)
            return entry.texture.get();
    }
    return nullptr;
}

void TextureManager::Add(const std::string& name, std::unique_ptr<Texture> texture)
{
    if (texture)
        textures.push_back({name, std::move(texture)});
}

void TextureManager::Clear()
{
    for (Entry& entry : textures)
        entry.texture->Release();
    textures.clear();
    // A reload says again what is missing.
    reportedMissing.clear();
}

void TextureManager::CreateRenderTarget(int slot, int count, int width, int height)
{
    if (slot < 0 || slot >= kRenderTargetSlots)
        return;
    renderTargets[slot].reset();
    renderTargets[slot] = std::make_unique<FramebufferObject>(count, width, height);
}

FramebufferObject* TextureManager::GetRenderTarget(int slot) const
{
    if (slot < 0 || slot >= kRenderTargetSlots)
        return nullptr;
    return renderTargets[slot].get();
}
