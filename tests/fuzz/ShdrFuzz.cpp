// Fuzzes the shader file splitter: any bytes split without crashing, and the
// two sources together never hold more than the input minus the headers.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/Shader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string vertex, fragment;
    Shader::SplitSource(text, vertex, fragment);
    if (vertex.size() + fragment.size() > text.size())
        abort();
    return 0;
}
