#include "app/Startup.h"

#include "core/Console.h"
#include "core/GlConstants.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>

namespace Quessel {

void pauseForKey() {
    // Unattended runs (CI, scripts) have no terminal on standard input and must not hang.
    if (!isatty(STDIN_FILENO)) return;
    std::fputs("Press Enter to continue . . . ", stdout);
    std::fflush(stdout);
    std::getchar();
}

void initGlfw() {
    if (startGlfw()) return;
    std::fputs("GLFW konnte nicht initialisiert werden!\n", stdout);
    std::fflush(stdout);
    pauseForKey();
    std::exit(-1);
}

bool startGlfw() {
    if (!glfwInit()) return false;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    return true;
}

GLFWwindow* openWindow() {
    GLFWwindow* window = glfwCreateWindow(ScreenWidth, ScreenHeight, "Quessel", glfwGetPrimaryMonitor(), nullptr);
    if (!window) {
        // Windows-1252 text: the ö is the single byte 0xF6 (octal 366).
        std::fputs("GLFW Window konnte nicht ge\366ffnet werden!\n", stdout);
        std::fflush(stdout);
        glfwTerminate();
        std::exit(1);
    }
    glfwSetWindowPos(window, 100, 100);
    glfwMakeContextCurrent(window);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    return window;
}

namespace {
const char* glText(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}
}  // namespace

void initGlew(GLFWwindow* window) {
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fputs("GLEW konnte nicht initialisiert werden\n", stdout);
        std::fflush(stdout);
        pauseForKey();
        std::exit(-1);
    }
    if (glewIsSupported("GL_VERSION_4_3"))
        printConsole("Ready for OpenGL 4.3\n");
    else
        printConsole("OpenGL 4.3 not supported\n");
    printConsole("Vendor: %s\n", glText(GL_VENDOR));
    printConsole("Renderer: %s\n", glText(GL_RENDERER));
    printConsole("Version: %s\n", glText(GL_VERSION));
    printConsole("GLSL: %s\n", glText(GL_SHADING_LANGUAGE_VERSION));
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
}

void setInitialGlState() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPolygonOffset(1.1f, 4.0f);
}

}  // namespace Quessel
