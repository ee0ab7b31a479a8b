// Loads every `.shdr` file of a directory once and hands the shaders out by
// bare file name ("bloom.shdr", exact and case-sensitive). Owned by the System;
// its destructor releases every shader, so it must go while the GL context lives.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

class Shader;

class ShaderManager {
public:
    ShaderManager();
    virtual ~ShaderManager();

    // `directory` ends in "/". With `gl` false (no context) the files are
    // only read and checked, and their entries carry no GL objects.
    void LoadDirectory(const std::string& directory, bool gl = true);
    // Null when no shader of that name was loaded; says so once per name.
    Shader* GetShader(const std::string& name);
    // The variant that the file of that name offers under `define` (see
    // Shader::Variant), built on first request and kept with the shaders;
    // null when there is none. Only with a GL context.
    Shader* GetVariant(const std::string& name, const std::string& define);
    void Clear();

    size_t Count() const { return shaders.size(); }

private:
    struct Entry {
        std::string name;
        std::unique_ptr<Shader> shader;
    };
    struct VariantEntry {
        std::string name;
        std::string define;
        std::unique_ptr<Shader> shader;  // null: the file has no such variant
    };
    std::vector<Entry> shaders;
    std::vector<VariantEntry> variants;
    std::string directory;
    std::set<std::string> reportedMissing;
};
