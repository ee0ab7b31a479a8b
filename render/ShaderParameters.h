// A small bag of named uniform values that a drawing object fills once or per
// frame and applies to whatever shader it has bound. Setting an existing name
// overwrites it, so per-frame updates neither grow the lists nor allocate.
#pragma once

#include <string>
#include <utility>
#include <vector>

class ShaderParameters {
public:
    virtual ~ShaderParameters() = default;

    void SetInt(const std::string& name, int value);
    void SetFloat(const std::string& name, float value);

    // Uploads every integer, then every float, to the current program's
    // uniforms. Locations are looked up on each call.
    void Apply(unsigned int program) const;

    const std::vector<std::pair<std::string, int>>& GetInts() const { return ints; }
    const std::vector<std::pair<std::string, float>>& GetFloats() const { return floats; }

private:
    std::vector<std::pair<std::string, int>> ints;
    std::vector<std::pair<std::string, float>> floats;
};
