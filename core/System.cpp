#include "core/System.h"

#include <cstdio>

#include "render/GL.h"
#include <GLFW/glfw3.h>

#include "core/Debug.h"
#include "core/Keyboard.h"
#include "render/ShaderManager.h"
#include "render/TextureManager.h"

namespace {

void ReportWindowLibraryError(int code, const char* description)
{
    fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

void FramebufferSizeCallback(GLFWwindow*, int width, int height)
{
    System::OnResize(width, height);
}

void KeyCallback(GLFWwindow*, int key, int, int action, int mods)
{
    if (action != GLFW_PRESS)
        return;
    const bool enter = key == GLFW_KEY_ENTER || key == GLFW_KEY_KP_ENTER;
    if (key == GLFW_KEY_F11 || (enter && (mods & GLFW_MOD_ALT)))
        System::Instance().RequestFullScreenToggle();
}

// The monitor under the window's centre, else the primary one.
GLFWmonitor* CurrentMonitor(GLFWwindow* window)
{
    int x = 0, y = 0, width = 0, height = 0;
    glfwGetWindowPos(window, &x, &y);
    glfwGetWindowSize(window, &width, &height);
    const int cx = x + width / 2, cy = y + height / 2;
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        int mx = 0, my = 0;
        glfwGetMonitorPos(monitors[i], &mx, &my);
        if (mode && cx >= mx && cx < mx + mode->width && cy >= my && cy < my + mode->height)
            return monitors[i];
    }
    return glfwGetPrimaryMonitor();
}

}  // namespace

System& System::Instance()
{
    static System instance;
    return instance;
}

System::System()
{
    running = true;
    // Quiet here: tools run without a display. OpenWindow initialises again
    // and then says why, if it cannot.
    glfwInit();
    debug = std::make_unique<Debug>();
    textureManager = std::make_unique<TextureManager>();
    shaderManager = std::make_unique<ShaderManager>();
    lastTime = glfwGetTime();
}

System::~System()
{
    debug.reset();
    // The managers free GL names, so they go while the context still exists.
    textureManager.reset();
    shaderManager.reset();
    if (window)
        glfwDestroyWindow(window);
    glfwTerminate();
}

bool System::OpenWindow(const char* title, int width, int height, int samples, bool vsync)
{
    auto open = [&](int sampleCount) {
        glfwDefaultWindowHints();
        if (sampleCount > 0)
            glfwWindowHint(GLFW_SAMPLES, sampleCount);
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        glfwWindowHint(GLFW_RED_BITS, 8);
        glfwWindowHint(GLFW_GREEN_BITS, 8);
        glfwWindowHint(GLFW_BLUE_BITS, 8);
        glfwWindowHint(GLFW_ALPHA_BITS, 8);
        glfwWindowHint(GLFW_DEPTH_BITS, 24);
        glfwWindowHint(GLFW_STENCIL_BITS, 0);
        return glfwCreateWindow(width, height, title, nullptr, nullptr);
    };

    // The window library's own words say why a window could not be opened.
    glfwSetErrorCallback(ReportWindowLibraryError);
    // Initialising again is a no-op once it worked; it lets a caller retry
    // after the display could not be reached at construction.
    if (!glfwInit()) {
        printf("Error, could not create window.\n");
        return false;
    }
    window = open(samples);
    if (!window && samples > 0)
        window = open(0);  // some drivers offer no multisampled visual
    if (!window) {
        printf("Error, could not create window.\n");
        return false;
    }

    pictureWidth = width;
    pictureHeight = height;
    glfwMakeContextCurrent(window);
    glfwSetKeyCallback(window, KeyCallback);
    // The viewport follows the framebuffer in pixels, which differs from the
    // window size on high-density displays.
    glfwSetFramebufferSizeCallback(window, FramebufferSizeCallback);
    int fbWidth = 0, fbHeight = 0;
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    OnResize(fbWidth, fbHeight);
    // The keyboard's queue of presses and focus changes comes after the
    // full-screen keys and passes every key on to them.
    Keyboard::Attach(window);
    glfwSetWindowTitle(window, title);
    if (vsync)
        glfwSwapInterval(1);
    return true;
}

bool System::OpenHiddenWindow(int width, int height)
{
    // No display is a normal case here, so the window library stays quiet.
    if (!glfwInit())
        return false;
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(width, height, "", nullptr, nullptr);
    if (!window)
        return false;
    glfwMakeContextCurrent(window);
    OnResize(width, height);
    return true;
}

void System::OnResize(int width, int height)
{
    System& system = Instance();
    system.framebufferWidth = width < 1 ? 1 : width;
    system.framebufferHeight = height < 1 ? 1 : height;
    system.picture = Letterbox::Fit(system.framebufferWidth, system.framebufferHeight, system.pictureWidth,
                                    system.pictureHeight);
    system.BindWindow();
    // The picture keeps its own proportions whatever the framebuffer's shape.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(system.pictureWidth) / static_cast<double>(system.pictureHeight), 1.0,
                   50000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void System::BindWindow() const
{
    if (glBindFramebufferEXT)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glViewport(picture.x, picture.y, picture.width, picture.height);
    if (picture.Covers(framebufferWidth, framebufferHeight)) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glScissor(picture.x, picture.y, picture.width, picture.height);
        glEnable(GL_SCISSOR_TEST);
    }
}

void System::ClearWindow() const
{
    if (picture.Covers(framebufferWidth, framebufferHeight)) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void System::SetFullScreen(bool on)
{
    if (!window || on == fullScreen)
        return;
    if (on) {
        GLFWmonitor* monitor = CurrentMonitor(window);
        const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!mode)
            return;
        glfwGetWindowPos(window, &windowedX, &windowedY);
        glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    } else {
        glfwSetWindowMonitor(window, nullptr, windowedX, windowedY, pictureWidth, pictureHeight, GLFW_DONT_CARE);
    }
    fullScreen = on;
    // Some GL drivers resize their buffers only at a swap: show one black
    // frame rather than draw the next one into buffers of the old size.
    glDisable(GL_SCISSOR_TEST);
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glfwSwapBuffers(window);
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    OnResize(width, height);
}

bool System::InitGraphics()
{
    GLenum err = glewInit();
    if (err != GLEW_OK) {
        printf("GLEW Error: %s.\n", reinterpret_cast<const char*>(glewGetErrorString(err)));
        return false;
    }

    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);

    if (!ShadersSupported()) {
        printf("Error, shaders not supported.\n");
        return false;
    }
    if (!FramebuffersSupported()) {
        printf("Error, FBOs not supported.\n");
        return false;
    }
    return true;
}

bool System::ShadersSupported()
{
    if (!GLEW_ARB_fragment_shader || !GLEW_ARB_vertex_shader || !GLEW_ARB_shader_objects)
        return false;
    // Every entry point the shaders and textures call; the extension library
    // may leave one null although its extension is listed.
    const void* const entryPoints[] = {
        reinterpret_cast<const void*>(glCreateShaderObjectARB), reinterpret_cast<const void*>(glShaderSourceARB),
        reinterpret_cast<const void*>(glCompileShaderARB),      reinterpret_cast<const void*>(glCreateProgramObjectARB),
        reinterpret_cast<const void*>(glAttachObjectARB),       reinterpret_cast<const void*>(glLinkProgramARB),
        reinterpret_cast<const void*>(glUseProgramObjectARB),   reinterpret_cast<const void*>(glGetObjectParameterivARB),
        reinterpret_cast<const void*>(glGetInfoLogARB),         reinterpret_cast<const void*>(glDetachObjectARB),
        reinterpret_cast<const void*>(glDeleteObjectARB),       reinterpret_cast<const void*>(glGetUniformLocationARB),
        reinterpret_cast<const void*>(glUniform1iARB),          reinterpret_cast<const void*>(glUniform1fARB),
        reinterpret_cast<const void*>(glActiveTextureARB),      reinterpret_cast<const void*>(glClientActiveTextureARB),
    };
    for (const void* entry : entryPoints)
        if (!entry)
            return false;
    return true;
}

bool System::FramebuffersSupported()
{
    if (!GLEW_EXT_framebuffer_object)
        return false;
    const void* const entryPoints[] = {
        reinterpret_cast<const void*>(glGenFramebuffersEXT),        reinterpret_cast<const void*>(glBindFramebufferEXT),
        reinterpret_cast<const void*>(glGenRenderbuffersEXT),       reinterpret_cast<const void*>(glBindRenderbufferEXT),
        reinterpret_cast<const void*>(glRenderbufferStorageEXT),    reinterpret_cast<const void*>(glFramebufferTexture2DEXT),
        reinterpret_cast<const void*>(glFramebufferRenderbufferEXT), reinterpret_cast<const void*>(glCheckFramebufferStatusEXT),
        reinterpret_cast<const void*>(glDeleteFramebuffersEXT),     reinterpret_cast<const void*>(glDeleteRenderbuffersEXT),
    };
    for (const void* entry : entryPoints)
        if (!entry)
            return false;
    return true;
}

float System::FrameTime()
{
    double t = glfwGetTime();
    float dt = static_cast<float>(t - lastTime) * 1000.0f;
    lastTime = t;
    if (!window || glfwWindowShouldClose(window))
        running = false;
    return dt;
}

void System::SwapBuffers()
{
    debug->Frame();
    if (window) {
        glfwSwapBuffers(window);
        glfwPollEvents();
    }
    // Outside the event callbacks: the switch resizes the framebuffer.
    if (toggleRequested) {
        toggleRequested = false;
        SetFullScreen(!fullScreen);
    }
}

void System::RequestClose()
{
    if (window)
        glfwSetWindowShouldClose(window, GLFW_TRUE);
}

bool System::PollClosing()
{
    if (!window)
        return false;
    glfwPollEvents();
    return glfwWindowShouldClose(window);
}
