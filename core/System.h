// Process-wide owner of the window, the GL context and its start-up state, the
// frame clock and the three service objects (TextureManager, ShaderManager,
// Debug). Created by the first Instance() call, destroyed at exit after every
// other singleton: its destructor releases all textures and shaders while the
// context still exists, then shuts the window library down.
#pragma once

#include <memory>

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
    // GLEW, the start-up GL state, and the shader and FBO extension checks.
    bool InitGraphics();

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

    // Viewport and perspective projection for a framebuffer of this size.
    static void OnResize(int width, int height);

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
};
