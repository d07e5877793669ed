// The static geometry of the press compiled once per rendering context: two mirrored curved
// surfaces of 61 x 61 quads with SurfaceTexture and two spheres with SphereTexture.
#pragma once

#include <GL/gl.h>

// The display list that DrawScene calls every frame; 0 until BuildBodyList has run.
extern GLuint BodyList;

// Reserves and compiles BodyList; needs SurfaceTexture and SphereTexture filled.
// Called by InitRenderState as its last step, once per rendering context.
void BuildBodyList();
