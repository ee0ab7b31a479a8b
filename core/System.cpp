#include "core/System.h"

#include <cstdio>

#include "render/GL.h"
#include <GLFW/glfw3.h>

#include "core/Debug.h"
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

}  // namespace

System& System::Instance()
{
    static System instance;
    return instance;
}

System::System()
{
    running = true;
    // The window library's own words say why a window could not be opened.
    glfwSetErrorCallback(ReportWindowLibraryError);
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

    glfwMakeContextCurrent(window);
    // The viewport follows the framebuffer in pixels, which differs from the
    // window size on high-density displays.
    glfwSetFramebufferSizeCallback(window, FramebufferSizeCallback);
    int fbWidth = 0, fbHeight = 0;
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    OnResize(fbWidth, fbHeight);
    glfwSetWindowTitle(window, title);
    if (vsync)
        glfwSwapInterval(1);
    return true;
}

void System::OnResize(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 50000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
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

    if (!GLEW_ARB_fragment_shader || !GLEW_ARB_vertex_shader) {
        printf("Error, shaders not supported.\n");
        return false;
    }
    if (!GLEW_EXT_framebuffer_object) {
        printf("Error, FBOs not supported.\n");
        return false;
    }
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
