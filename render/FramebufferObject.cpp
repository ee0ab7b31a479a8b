#include "render/FramebufferObject.h"

#include <cstdio>

#include "core/System.h"
#include "render/GL.h"

FramebufferObject::FramebufferObject(int count_, int width_, int height_, int options)
{
    const bool floats = (options & kFloats) != 0;
    width = width_;
    height = height_;
    count = count_ > kMaxTextures ? kMaxTextures : (count_ < 0 ? 0 : count_);
    layered = (options & kLayers) != 0 && count > 0;
    textures.resize(static_cast<size_t>(layered ? 1 : count));

    const GLenum target = layered ? GL_TEXTURE_3D : GL_TEXTURE_2D;
    for (Texture& texture : textures) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(target, name);
        glTexParameterf(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameterf(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameterf(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
        // Not every driver filters float textures.
        const GLfloat filter = floats ? GL_NEAREST : GL_LINEAR;
        glTexParameterf(target, GL_TEXTURE_MAG_FILTER, filter);
        glTexParameterf(target, GL_TEXTURE_MIN_FILTER, filter);
        const GLint format = floats ? GL_RGBA32F_ARB : GL_RGBA8;
        const GLenum type = floats ? GL_FLOAT : GL_UNSIGNED_BYTE;
        if (layered)
            glTexImage3D(GL_TEXTURE_3D, 0, format, width, height, count, 0, GL_RGBA, type, nullptr);
        else
            glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, GL_RGBA, type, nullptr);
        texture.Set(name, width, height);
    }
    glBindTexture(target, 0);

    glGenFramebuffersEXT(1, &framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    if (!(options & kNoDepth)) {
        glGenRenderbuffersEXT(1, &depthBuffer);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
    }

    for (int i = count - 1; i >= 0; --i) {
        if (layered)
            glFramebufferTexture3DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + i, GL_TEXTURE_3D,
                                      textures[0].GetId(), 0, i);
        else
            glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + i, GL_TEXTURE_2D,
                                      textures[static_cast<size_t>(i)].GetId(), 0);
    }
    if (depthBuffer)
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depthBuffer);

    GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        printf("Failed to create FBO (%d, %dx%d): \n", count, width, height);
        const char* text = StatusText(status);
        if (text)
            printf("%s\n", text);
        else
            printf("Unknown error %x\n", status);
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

FramebufferObject::~FramebufferObject()
{
    // Tests and tools may outlive the context; only free names while one exists.
    if (!glDeleteFramebuffersEXT)
        return;
    for (Texture& texture : textures)
        texture.Release();
    if (depthBuffer)
        glDeleteRenderbuffersEXT(1, &depthBuffer);
    glDeleteFramebuffersEXT(1, &framebuffer);
}

const char* FramebufferObject::StatusText(unsigned int status)
{
    switch (status) {
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT: return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT";
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT: return "GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT";
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT: return "GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT";
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT: return "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT";
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT: return "GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT";
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT: return "GL_FRAMEBUFFER_UNSUPPORTED_EXT";
    default: return nullptr;
    }
}

bool FramebufferObject::Bind(int attachment) const
{
    if (attachment < 0 || attachment >= kMaxTextures) {
        Unbind();
        return true;
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT + attachment);
    // Off-screen passes work at the target's size, whatever the window's.
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    return glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

bool FramebufferObject::BindFirst(int attachments) const
{
    if (attachments < 1 || attachments > count || !glDrawBuffers)
        return false;
    GLenum buffers[kMaxTextures];
    for (int i = 0; i < attachments; ++i)
        buffers[i] = GL_COLOR_ATTACHMENT0_EXT + i;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glDrawBuffers(attachments, buffers);
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    return glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

void FramebufferObject::Unbind()
{
    System::Instance().BindWindow();
}

std::vector<unsigned char> FramebufferObject::ReadPixels(int i) const
{
    std::vector<unsigned char> pixels;
    if (i < 0 || i >= count)
        return pixels;
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT + i);
    // RGBA rows are whole words: any pack alignment reads them tightly.
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(bound));
    return pixels;
}

Texture* FramebufferObject::GetTexture(int i)
{
    if (i < 0 || static_cast<size_t>(i) >= textures.size())
        return nullptr;
    return &textures[static_cast<size_t>(i)];
}

void FramebufferObject::BindLayers(int unit) const
{
    if (!layered)
        return;
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glBindTexture(GL_TEXTURE_3D, textures[0].GetId());
}

void FramebufferObject::UnbindLayers(int unit)
{
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glBindTexture(GL_TEXTURE_3D, 0);
}
