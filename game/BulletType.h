// One row of a level's bullet-type table: the texture a shot is drawn with
// (not owned; may be null when the texture is not loaded), the half edge of
// its square and its collision radius, in world units.
#pragma once

class Texture;

class BulletType {
public:
    BulletType(Texture* texture, int size, int radius) : texture(texture), size(size), radius(radius) {}
    virtual ~BulletType() = default;

    Texture* GetTexture() const { return texture; }
    int GetSize() const { return size; }
    int GetRadius() const { return radius; }

private:
    Texture* texture = nullptr;
    int size = 0;
    int radius = 0;
};
