// The shader programs of the two OpenGL back ends (the presenter's quad and the 3D device's stage), compiled
// and linked through whichever table of entry points the caller has loaded: the presenter asks SDL for its
// functions, the device asks its context.
#pragma once

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

namespace Platform {

// The compiled shader, or 0 when the source does not compile.
template <typename GlTable>
GLuint CompileShader(const GlTable& gl, GLenum kind, const char* source)
{
    GLuint shader = gl.glCreateShader(kind);
    gl.glShaderSource(shader, 1, &source, nullptr);
    gl.glCompileShader(shader);
    GLint compiled = GL_FALSE;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        gl.glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The linked program, or 0 when a shader does not compile or the two do not link. The shaders go at once:
// a linked program keeps what it needs of them.
template <typename GlTable>
GLuint LinkProgram(const GlTable& gl, const char* vertexSource, const char* fragmentSource)
{
    GLuint vertex = CompileShader(gl, GL_VERTEX_SHADER, vertexSource);
    GLuint fragment = CompileShader(gl, GL_FRAGMENT_SHADER, fragmentSource);
    GLint linked = GL_FALSE;
    GLuint program = 0;
    if (vertex != 0 && fragment != 0) {
        program = gl.glCreateProgram();
        gl.glAttachShader(program, vertex);
        gl.glAttachShader(program, fragment);
        gl.glLinkProgram(program);
        gl.glGetProgramiv(program, GL_LINK_STATUS, &linked);
    }
    // Deleting shader 0 does nothing.
    gl.glDeleteShader(vertex);
    gl.glDeleteShader(fragment);
    if (linked != GL_TRUE) {
        gl.glDeleteProgram(program);
        return 0;
    }
    return program;
}

} // namespace Platform
