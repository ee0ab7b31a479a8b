// The one seam through which gameplay code gets its models, textures and
// shaders. By default models are read from their OBJ files and textures and
// shaders come from the System's managers; tests and fuzz targets install a
// source that touches neither the file system nor GL.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "render/Model.h"

class Shader;
class Texture;

namespace Assets {

struct Source {
    std::function<std::unique_ptr<Model>(const std::string& path)> loadModel;
    std::function<Texture*(const std::string& name)> getTexture;
    std::function<Shader*(const std::string& name)> getShader;
};

// A new model read from the OBJ file (empty when the file cannot be read or
// is refused; `result`, when given, says which). A replaced source's models
// count as loaded.
std::unique_ptr<Model> LoadModel(const std::string& path, Model::ObjResult* result = nullptr);
// Null when no such texture or shader is loaded.
Texture* GetTexture(const std::string& name);
// The same without the texture manager's own "Missing texture" line, for
// loaders that name their file and line themselves.
Texture* FindTexture(const std::string& name);
Shader* GetShader(const std::string& name);

// Replaces the source; a default-constructed Source restores the real one.
// Any function left empty in `source` keeps its real behaviour.
void SetSource(Source source);

// A source for logic tests and fuzzing: empty models, one empty stand-in
// texture (GL name 0) for every name, no shaders.
Source NullSource();

}  // namespace Assets
