#include "graphics/GlProgram.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

namespace GlProgram {

unsigned Compile(unsigned type, const char* source, std::string* log) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char text[1024] = {};
        glGetShaderInfoLog(shader, sizeof(text), nullptr, text);
        *log = text;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

unsigned Link(unsigned vertex, unsigned fragment, std::string* log) {
    GLuint id = glCreateProgram();
    glAttachShader(id, vertex);
    glAttachShader(id, fragment);
    glLinkProgram(id);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    // Programs are built one at a time, at start-up or at a first use, and never many in a row.
    // Mesa keeps its compiler's tables of built-in functions (megabytes) after every build;
    // giving them back costs the next build a few milliseconds.
    glReleaseShaderCompiler();
    GLint ok = 0;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char text[1024] = {};
        glGetProgramInfoLog(id, sizeof(text), nullptr, text);
        *log = text;
        glDeleteProgram(id);
        return 0;
    }
    return id;
}

}  // namespace GlProgram
