#pragma once

#include <string>

// Compiling and linking GLSL on the current context, shared by the device's own programs and by
// shader effects so that both read the driver's log the same way.
namespace GlProgram {

// Compiles one stage (a GL shader type such as GL_VERTEX_SHADER); call with a current context.
// Answers the shader's name, or 0 with the driver's log in *log.
unsigned Compile(unsigned type, const char* source, std::string* log);

// Links a program from two compiled stages and deletes both whatever happens; call with a current
// context. Answers the program's name (owned by the caller), or 0 with the driver's log in *log.
unsigned Link(unsigned vertex, unsigned fragment, std::string* log);

}  // namespace GlProgram
