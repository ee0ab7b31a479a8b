#include "render/ModelBatch.h"

#include "render/GL.h"
#include "render/Model.h"
#include "render/Shader.h"

ModelBatch::~ModelBatch()
{
    End();
}

void ModelBatch::Draw(Model& model, const Vec3& at)
{
    // Children draw themselves with their own state: no sharing there.
    if (!model.GetChildren().empty()) {
        End();
        glPushMatrix();
        glTranslatef(at.x, at.y, at.z);
        model.RenderTree();
        glPopMatrix();
        return;
    }
    if (model.GetTriangleCount() == 0)
        return;
    if (bound != &model) {
        model.Bind(bound);
        bound = &model;
    } else if (model.GetShader() && model.GetShaderParameters()) {
        // Parameters may have changed since the last copy was drawn.
        model.GetShader()->SetParameters(*model.GetShaderParameters());
    }
    const Vec3& p = model.GetPosition();
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glTranslatef(p.x, p.y, p.z);
    model.DrawElements();
    glPopMatrix();
}

void ModelBatch::End()
{
    if (bound)
        bound->Unbind();
    bound = nullptr;
}
