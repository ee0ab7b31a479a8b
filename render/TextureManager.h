// Loads every PNG of a directory once, hands textures out by bare file name
// ("ship.png", exact and case-sensitive), and keeps four render-target slots
// for the full-screen effects. Owned by the System; releases its GL textures
// in its destructor, so it must go while the context lives.
#pragma once

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

class Texture;
class FramebufferObject;

class TextureManager {
public:
    static constexpr int kRenderTargetSlots = 4;

    TextureManager();
    virtual ~TextureManager();

    // `directory` ends in "/". With `gl` false (no context) the files are
    // only read and checked, and their entries carry no GL objects.
    void LoadDirectory(const std::string& directory, bool gl = true);
    // Null when no texture of that name was loaded; says so once per name.
    Texture* GetTexture(const std::string& name);
    // The same lookup without a word: for loaders that name the file and line
    // the texture came from themselves.
    Texture* FindTexture(const std::string& name) const;
    // For tests and tools: files a texture made elsewhere (a GL texture
    // wrapped in Texture(id, w, h)) under `name`, as if it had been loaded;
    // it is released with the others. Null is ignored; an earlier entry of
    // the same name keeps winning lookups.
    void Add(const std::string& name, std::unique_ptr<Texture> texture);
    void Clear();

    // Slot 0 to 3; a previous occupant is deleted first. Other slots are refused.
    void CreateRenderTarget(int slot, int count, int width, int height);
    FramebufferObject* GetRenderTarget(int slot) const;

    size_t Count() const { return textures.size(); }

private:
    struct Entry {
        std::string name;
        std::unique_ptr<Texture> texture;
    };
    std::vector<Entry> textures;
    std::array<std::unique_ptr<FramebufferObject>, kRenderTargetSlots> renderTargets;
    std::set<std::string> reportedMissing;
};
