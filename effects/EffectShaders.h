// Shader look-up for the full-screen effects: a shader that is missing or did
// not link cannot drive a pass, so the effect draws its source unchanged
// instead. A missing file is reported by the ShaderManager; one that did not
// link is reported here, once, when the effect is built.
#pragma once

#include <string>

class Shader;

// The linked shader of that name, or null (with the console told why).
Shader* FindEffectShader(const std::string& name);
