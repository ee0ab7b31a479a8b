// One GLSL program built from one `.shdr` file, which carries a vertex and a
// fragment shader split by "[vertex]" and "[fragment]" header lines. Built only
// by the ShaderManager; the manager calls Release before deleting it.
// Use: bind textures, Bind, SetParameters, draw, unbind textures, Unbind.
#pragma once

#include <memory>
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

    // The file compiled with "#define <define>" after the #version lines, for
    // a variant that the file offers under that name. Quiet: null when the
    // file does not mention the name or the variant does not link, and the
    // caller then keeps the plain program. Needs a GL context; the caller
    // releases it.
    static std::unique_ptr<Shader> Variant(const std::string& path, const std::string& define);
    // `source` with the define as its first line after any #version line.
    static std::string WithDefine(const std::string& source, const std::string& define);

    // Splits a shader file into its two sources. Returns false when the file
    // cannot be opened (the strings are then left untouched). No GL needed.
    static bool ReadSource(const std::string& path, std::string& vertex, std::string& fragment);
    // The same splitting over text already in memory.
    static void SplitSource(const std::string& text, std::string& vertex, std::string& fragment);

private:
    Shader() = default;
    // Compiles and links; `vertex` null means the file could not be read.
    // Prints the info line only with a name to report as.
    void Build(const std::string* vertex, const std::string& fragment, const char* reportAs);

    unsigned int program = 0;
    bool linked = false;
    unsigned int fragmentShader = 0;
    unsigned int vertexShader = 0;
};
