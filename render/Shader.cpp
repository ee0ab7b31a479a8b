#include "render/Shader.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/Problems.h"
#include "render/GL.h"
#include "render/ShaderParameters.h"

namespace {

std::string InfoLog(GLhandleARB object)
{
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 1)
        return {};
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    glGetInfoLogARB(object, length, &written, log.data());
    log.resize(static_cast<size_t>(written));
    while (!log.empty() && (log.back() == '\n' || log.back() == '\0'))
        log.pop_back();
    return log;
}

bool IsHeader(const std::string& line, const char* name)
{
    // The line end is part of the header. CRLF files count too, as they did
    // when the game read its shaders in text mode.
    return line == std::string(name) + "\n" || line == std::string(name) + "\r\n";
}

}  // namespace

void Shader::SplitSource(const std::string& text, std::string& vertex, std::string& fragment)
{
    vertex.clear();
    fragment.clear();
    bool inVertex = false, inFragment = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = (end == std::string::npos) ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        start = end;
        if (IsHeader(line, "[vertex]")) {
            inVertex = true;
            inFragment = false;
        } else if (IsHeader(line, "[fragment]")) {
            inVertex = false;
            inFragment = true;
        } else if (inVertex) {
            vertex += line;
        } else if (inFragment) {
            fragment += line;
        }
    }
}

bool Shader::ReadSource(const std::string& path, std::string& vertex, std::string& fragment)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    SplitSource(text, vertex, fragment);
    return true;
}

Shader::Shader(const std::string& path, bool compile)
{
    if (compile) {
        *this = Shader(path);
        return;
    }
    std::string vertexSource, fragmentSource;
    if (!ReadSource(path, vertexSource, fragmentSource))
        Problems::Load(2, "Could not load " + path);
}

Shader::Shader(const std::string& path)
{
    std::string vertexSource, fragmentSource;
    const bool read = ReadSource(path, vertexSource, fragmentSource);
    Build(read ? &vertexSource : nullptr, fragmentSource, path.c_str());
}

std::string Shader::WithDefine(const std::string& source, const std::string& define)
{
    // A "#version" line must stay the first thing the compiler sees.
    std::string text = source;
    size_t at = 0;
    if (text.compare(0, 8, "#version") == 0) {
        at = text.find('\n');
        if (at == std::string::npos) {
            text += '\n';
            at = text.size();
        } else {
            ++at;
        }
    }
    text.insert(at, "#define " + define + "\n");
    return text;
}

std::unique_ptr<Shader> Shader::Variant(const std::string& path, const std::string& define)
{
    std::string vertexSource, fragmentSource;
    if (!ReadSource(path, vertexSource, fragmentSource) ||
        (vertexSource.find(define) == std::string::npos && fragmentSource.find(define) == std::string::npos))
        return nullptr;
    const std::string vertex = WithDefine(vertexSource, define);
    auto shader = std::unique_ptr<Shader>(new Shader());
    shader->Build(&vertex, WithDefine(fragmentSource, define), nullptr);
    if (!shader->linked) {
        shader->Release();
        return nullptr;
    }
    return shader;
}

void Shader::Build(const std::string* vertexSource, const std::string& fragmentSource, const char* reportAs)
{
    vertexShader = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    fragmentShader = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    if (!vertexSource) {
        Problems::Load(2, std::string("Could not load ") + reportAs);
        return;
    }

    const GLcharARB* source = vertexSource->c_str();
    glShaderSourceARB(vertexShader, 1, &source, nullptr);
    source = fragmentSource.c_str();
    glShaderSourceARB(fragmentShader, 1, &source, nullptr);
    glCompileShaderARB(vertexShader);
    glCompileShaderARB(fragmentShader);

    program = glCreateProgramObjectARB();
    glAttachObjectARB(program, vertexShader);
    glAttachObjectARB(program, fragmentShader);
    glLinkProgramARB(program);
    GLint status = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
    linked = status != 0;
    if (!reportAs)
        return;

    // The program log alone often just says "link failed"; the compilers' logs
    // say why, so the one info line carries all three.
    std::string log;
    for (const std::string& part : {InfoLog(vertexShader), InfoLog(fragmentShader), InfoLog(program)}) {
        if (part.empty())
            continue;
        if (!log.empty())
            log += "\n";
        log += part;
    }
    printf("  %s : GLSL Info: %s\n", reportAs, log.c_str());
    if (!linked)
        Problems::Load(2, reportAs, 0, "the shader does not compile or link (the GLSL Info line above says why)");
}

void Shader::Bind() const
{
    glUseProgramObjectARB(program);
}

void Shader::Unbind()
{
    glUseProgramObjectARB(0);
}

void Shader::SetParameters(const ShaderParameters& parameters) const
{
    parameters.Apply(program);
}

void Shader::Release()
{
    if (program) {
        glDetachObjectARB(program, vertexShader);
        glDetachObjectARB(program, fragmentShader);
    }
    // A shader that was only read has no GL objects, and maybe no GL to ask.
    if (vertexShader)
        glDeleteObjectARB(vertexShader);
    if (fragmentShader)
        glDeleteObjectARB(fragmentShader);
    vertexShader = fragmentShader = 0;
}
