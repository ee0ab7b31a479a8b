#include "render/ShaderParameters.h"

#include "render/GL.h"

namespace {

template <typename T>
void SetValue(std::vector<std::pair<std::string, T>>& list, const std::string& name, T value)
{
    for (auto& entry : list) {
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    }
    list.emplace_back(name, value);
}

}  // namespace

void ShaderParameters::SetInt(const std::string& name, int value)
{
    SetValue(ints, name, value);
}

void ShaderParameters::SetFloat(const std::string& name, float value)
{
    SetValue(floats, name, value);
}

void ShaderParameters::Apply(unsigned int program) const
{
    for (const auto& [name, value] : ints)
        glUniform1iARB(glGetUniformLocationARB(program, name.c_str()), value);
    for (const auto& [name, value] : floats)
        glUniform1fARB(glGetUniformLocationARB(program, name.c_str()), value);
}
