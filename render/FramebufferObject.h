// An off-screen render target: one framebuffer object with up to six RGBA8
// colour textures of one size (attachments 0..count-1) and a shared depth
// renderbuffer. Made only by the TextureManager. Drawing goes to one colour
// attachment at a time, with a viewport of the target's own size and no
// scissor; Bind(-1), Bind(6) and Unbind draw to the window's picture instead.
#pragma once

#include <vector>

#include "render/Texture.h"

class FramebufferObject {
public:
    static constexpr int kMaxTextures = 6;

    // What a target of the effects' own may leave out or hold instead.
    enum Options {
        kFloats = 1,   // RGBA32F textures with nearest filtering
        kNoDepth = 2,  // no depth renderbuffer, for passes that never test depth
        // The attachments are the layers of one 3D texture, GetTexture(0):
        // a pass that writes them all at once (BindFirst) is read back with
        // one fetch per texel instead of one per attachment. GetTexture(i)
        // is null for i > 0.
        kLayers = 4,
    };
    // Never fails outward: an incomplete framebuffer is reported on stdout.
    // Leaves framebuffer 0 bound. Needs a GL context.
    FramebufferObject(int count, int width, int height, int options = 0);
    // Frees the GL names too: a target replaced in its slot would otherwise
    // leak its textures for the rest of the run.
    virtual ~FramebufferObject();

    // True when drawing can go where it was asked: the window, or a complete
    // framebuffer on this driver. A false result means the attachment cannot
    // be drawn to (the driver refused the target or that draw buffer).
    bool Bind(int attachment) const;
    // Binds this framebuffer with its first `attachments` colour attachments
    // all drawn to at once, a shader's gl_FragData[i] going to attachment i;
    // otherwise as Bind. False for fewer than one or more than GetCount().
    bool BindFirst(int attachments) const;
    static void Unbind();
    // Null outside 0..count-1.
    Texture* GetTexture(int i);
    // The layered texture on `unit` for shaders (which read it as a
    // sampler3D), or off it again.
    void BindLayers(int unit) const;
    static void UnbindLayers(int unit);
    // What colour attachment i holds, as RGBA bytes, bottom row first; empty
    // outside 0..count-1. The framebuffer bound before stays bound.
    std::vector<unsigned char> ReadPixels(int i) const;
    int GetCount() const { return count; }
    unsigned int GetFramebuffer() const { return framebuffer; }

    // The report for a framebuffer status other than complete.
    static const char* StatusText(unsigned int status);

private:
    std::vector<Texture> textures;
    int count = 0;
    unsigned int framebuffer = 0;
    unsigned int depthBuffer = 0;
    int width = 0;
    int height = 0;
    bool layered = false;
};
