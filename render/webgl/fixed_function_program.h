// The layer's one shader program: GL 1.1's fixed-function pipeline reduced to what the game
// switches on (light 0 at its defaults with colour material, linear fog, a modulated 2D
// texture), over vertices moved by a modelview uniform.
#pragma once

#include <GL/gl.h>

// Where the program's attributes and uniforms are; all 0 before it is built.
struct FixedFunctionProgram {
    GLuint program = 0;
    GLint position = -1;
    GLint normal = -1;
    GLint colour = -1;
    GLint texCoord = -1;
    GLint projection = -1;
    GLint modelview = -1;
    GLint normalMatrix = -1;
    GLint inherit = -1;
    GLint currentNormal = -1;
    GLint currentColour = -1;
    GLint currentTexCoord = -1;
    GLint lighting = -1;
    GLint light0 = -1;
    GLint colourMaterial = -1;
    GLint normalize = -1;
    GLint texturing = -1;
    GLint sampler = -1;
    GLint fog = -1;
    GLint fogColour = -1;
    GLint fogStart = -1;
    GLint fogEnd = -1;
};

// Compiles and links the program on the current context. False, with a message on the
// console, when WebGL refuses it.
bool BuildFixedFunctionProgram(FixedFunctionProgram& program);
