#include "render/SpriteBatch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/GL.h"
#include "render/Texture.h"

void SpriteBatch::Add(const Texture* texture, const float (&colour)[4], const SpriteCorner (&corners)[4])
{
    if (runs.empty() || runs.back().texture != texture)
        runs.push_back({texture, vertices.size(), 0});
    for (const SpriteCorner& c : corners)
        vertices.push_back({c.s, c.t, colour[0], colour[1], colour[2], colour[3], c.x, c.y, c.z});
    runs.back().count += 4;
}

void SpriteBatch::AddFlat(const Texture* texture, const float (&colour)[4], float x, float centreY, float z,
                          float h, float degrees, const SpriteCorner (&corners)[4])
{
    // The rotation matrix glRotatef builds for the y axis.
    const double radians = static_cast<double>(degrees) * M_PI / 180.0;
    const float sine = static_cast<float>(std::sin(radians)), cosine = static_cast<float>(std::cos(radians));
    SpriteCorner placed[4];
    for (int i = 0; i < 4; ++i) {
        const float cx = corners[i].x * h, cz = corners[i].z * h;
        placed[i] = {corners[i].s, corners[i].t, x + (cosine * cx + sine * cz), centreY, z + (cosine * cz - sine * cx)};
    }
    Add(texture, colour, placed);
}

PixelRect SpriteBatch::WindowBounds() const
{
    if (vertices.empty())
        return {};
    GLfloat modelview[16], projection[16];
    GLint view[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, view);
    const PixelRect all{view[0], view[1], view[0] + view[2], view[1] + view[3]};
    const double inf = std::numeric_limits<double>::infinity();
    double lowX = inf, lowY = inf, highX = -inf, highY = -inf;
    for (const Vertex& v : vertices) {
        double eye[4], clip[4];
        for (int r = 0; r < 4; ++r)
            eye[r] = modelview[r] * v.x + modelview[4 + r] * v.y + modelview[8 + r] * v.z + modelview[12 + r];
        for (int r = 0; r < 4; ++r)
            clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] +
                      projection[12 + r] * eye[3];
        const double x = view[0] + (clip[0] / clip[3] + 1.0) * 0.5 * view[2];
        const double y = view[1] + (clip[1] / clip[3] + 1.0) * 0.5 * view[3];
        if (!(clip[3] > 1e-6) || !std::isfinite(x) || !std::isfinite(y))
            return all;
        lowX = std::min(lowX, x);
        lowY = std::min(lowY, y);
        highX = std::max(highX, x);
        highY = std::max(highY, y);
    }
    // Clamped first: far-off corners must not overflow the conversion.
    auto clamp = [](double value, int low, int high) { return std::min(std::max(value, double(low)), double(high)); };
    const PixelRect r{static_cast<int>(std::floor(clamp(lowX, all.x0, all.x1))),
                      static_cast<int>(std::floor(clamp(lowY, all.y0, all.y1))),
                      static_cast<int>(std::ceil(clamp(highX, all.x0, all.x1))),
                      static_cast<int>(std::ceil(clamp(highY, all.y0, all.y1)))};
    return r.Within(all);
}

void SpriteBatch::Flush()
{
    if (vertices.empty())
        return;
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    const GLsizei stride = sizeof(Vertex);
    glTexCoordPointer(2, GL_FLOAT, stride, &vertices[0].s);
    glColorPointer(4, GL_FLOAT, stride, &vertices[0].r);
    glVertexPointer(3, GL_FLOAT, stride, &vertices[0].x);
    for (const Run& run : runs) {
        if (run.texture)
            run.texture->Bind(0);
        else
            Texture::Unbind(0);
        glDrawArrays(GL_QUADS, static_cast<GLint>(run.first), static_cast<GLsizei>(run.count));
    }
    Texture::Unbind(0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // The colour array leaves the current colour undefined.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    vertices.clear();
    runs.clear();
}
