// One GLSL program built from one `.shdr` file, which carries a vertex and a
// fragment shader split by "[vertex]" and "[fragment]" header lines. Built only
// by the ShaderManager; the manager calls Release before deleting it.
// Use: bind textures, Bind, SetParameters, draw, unbind textures, Unbind.
#pragma once

#include <string>

class ShaderParameters;

class Shader {
public:
    // Compiles and links the file; prints exactly one line, either the
    // "GLSL Info" line or "Could not load". Needs a GL context.
    explicit Shader(const std::string& path);
    // Without a GL context: reads and splits the file only; the program stays 0.
    Shader(const std::string& path, bool compile);
    virtual ~Shader() = default;

    void Bind() const;
    static void Unbind();
    void SetParameters(const ShaderParameters& parameters) const;
    // Detaches and deletes the two shader objects.
    void Release();

    unsigned int GetProgram() const { return program; }
    // False when the file could not be read or the program did not link:
    // binding it would draw nothing useful.
    bool IsLinked() const { return linked; }

    // Splits a shader file into its two sources. Returns false when the file
    // cannot be opened (the strings are then left untouched). No GL needed.
    static bool ReadSource(const std::string& path, std::string& vertex, std::string& fragment);
    // The same splitting over text already in memory.
    static void SplitSource(const std::string& text, std::string& vertex, std::string& fragment);

private:
    unsigned int program = 0;
    bool linked = false;
    unsigned int fragmentShader = 0;
    unsigned int vertexShader = 0;
};
