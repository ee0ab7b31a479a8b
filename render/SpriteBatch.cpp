#include "render/SpriteBatch.h"

#include <cmath>

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
