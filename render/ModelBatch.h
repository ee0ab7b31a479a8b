// Draws many models one after the other, each moved to its own place, with
// the state that consecutive models share (shader, textures, arrays) bound
// once: the enemies of one type share a model, and binding it anew for each
// cost more than drawing it. Draw order is kept as given. End (or the
// destructor) leaves the GL state as Model::Draw does.
#pragma once

#include "core/Vec3.h"

class Model;

class ModelBatch {
public:
    ModelBatch() = default;
    ModelBatch(const ModelBatch&) = delete;
    ModelBatch& operator=(const ModelBatch&) = delete;
    ~ModelBatch();

    // As model.RenderTree() with the model-view matrix translated by `at`.
    void Draw(Model& model, const Vec3& at);
    void End();

private:
    Model* bound = nullptr;
};
