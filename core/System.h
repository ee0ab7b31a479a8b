// Process-wide owner of the window, the GL context and its start-up state, the
// frame clock and the three service objects (TextureManager, ShaderManager,
// Debug). The window shows a picture of the size it was opened with; F11 or
// Alt+Enter switches it to the whole current monitor and back, the picture
// then scaled into a letterbox with black bars. While the window is the draw
// target the viewport is that letterbox and, when there are bars, the scissor
// test keeps clears and drawing inside it. Created by the first Instance() call, destroyed at exit after every
// other singleton: its destructor releases all textures and shaders while the
// context still exists, then shuts the window library down.
#pragma once

#include <memory>

#include "core/Letterbox.h"

struct GLFWwindow;
class Debug;
class TextureManager;
class ShaderManager;

class System {
public:
    static System& Instance();
    virtual ~System();

    // Opens a non-resizable window with RGBA8, 24-bit depth and no stencil.
    // If the requested multisampling is refused, tries again without it.
    bool OpenWindow(const char* title, int width, int height, int samples, bool vsync);
    // A window that is never shown, for tools that want a GL context (to
    // compile shaders) and nothing on screen. Quiet when there is no display.
    bool OpenHiddenWindow(int width, int height);
    // GLEW, the start-up GL state, and the shader and FBO extension checks.
    bool InitGraphics();
    // After InitGraphics: the ARB vertex, fragment and shader-object
    // extensions and multitexturing are all listed and their entry points
    // loaded. A driver that lists only some, or whose entry points stayed
    // null, has no usable shaders.
    static bool ShadersSupported();
    // After InitGraphics: EXT framebuffer objects listed and loaded.
    static bool FramebuffersSupported();

    bool IsRunning() const { return running; }
    // Milliseconds since the previous call (or since construction); notices a
    // closed window and clears `running`.
    float FrameTime();
    // Debug hook, buffer swap, then window and keyboard event processing.
    void SwapBuffers();

    TextureManager* GetTextureManager() const { return textureManager.get(); }
    ShaderManager* GetShaderManager() const { return shaderManager.get(); }
    Debug* GetDebug() const { return debug.get(); }
    GLFWwindow* GetWindow() const { return window; }

    // Letterbox, viewport and the picture's perspective projection for a
    // window framebuffer of this size.
    static void OnResize(int width, int height);

    // Between the window and the whole monitor it is on, at the monitor's
    // desktop resolution. Takes effect at once; the framebuffer size callback
    // follows when the window system confirms it.
    void SetFullScreen(bool on);
    bool IsFullScreen() const { return fullScreen; }
    // Asked for by F11 or Alt+Enter; done after the next event processing.
    void RequestFullScreenToggle() { toggleRequested = true; }

    // Draw to the window: framebuffer 0, the letterbox viewport and scissor.
    void BindWindow() const;
    // Clears colour and depth of the window's picture to the clear colour and
    // its bars to black.
    void ClearWindow() const;
    const Letterbox& GetPicture() const { return picture; }
    int GetFramebufferWidth() const { return framebufferWidth; }
    int GetFramebufferHeight() const { return framebufferHeight; }

    // Processes window events now and tells whether the window is closing;
    // lets a long script call notice the close button mid-frame.
    bool PollClosing();
    // Asks the window to close, as the user's close button does.
    void RequestClose();

private:
    System();

    std::unique_ptr<Debug> debug;
    std::unique_ptr<TextureManager> textureManager;
    std::unique_ptr<ShaderManager> shaderManager;
    bool running = true;
    double lastTime = 0.0;
    GLFWwindow* window = nullptr;

    int pictureWidth = 640;
    int pictureHeight = 480;
    int framebufferWidth = 640;
    int framebufferHeight = 480;
    Letterbox picture{0, 0, 640, 480};
    bool fullScreen = false;
    bool toggleRequested = false;
    // Where the window was before it went full screen, to put it back.
    int windowedX = 0;
    int windowedY = 0;
};
