// OpenGL and GLU for the engine: entry points through libepoxy (which must come
// before GLU's own include of GL/gl.h) and the GLU utility library. On Windows
// the GLU functions the engine uses are declared here: the system's GL/glu.h
// brings <windows.h> with it, whose macros would clash with our own names.
#pragma once

#include <epoxy/gl.h>

#ifndef _WIN32
#include <GL/glu.h>
#else
extern "C"
{
    struct GLUquadric;
    struct GLUtesselator;
    typedef GLUquadric GLUquadricObj;
    typedef GLUtesselator GLUtesselatorObj;
    typedef GLUtesselator GLUtriangulatorObj;
    typedef void(APIENTRY* _GLUfuncptr)();

#define GLU_SMOOTH 100000
#define GLU_FLAT 100001
#define GLU_NONE 100002
#define GLU_TESS_BEGIN 100100
#define GLU_TESS_VERTEX 100101
#define GLU_TESS_END 100102
#define GLU_TESS_ERROR 100103
#define GLU_TESS_EDGE_FLAG 100104
#define GLU_TESS_COMBINE 100105
#define GLU_TESS_BEGIN_DATA 100106
#define GLU_TESS_VERTEX_DATA 100107
#define GLU_TESS_END_DATA 100108
#define GLU_TESS_ERROR_DATA 100109
#define GLU_TESS_EDGE_FLAG_DATA 100110
#define GLU_TESS_COMBINE_DATA 100111
#define GLU_TESS_WINDING_RULE 100140
#define GLU_TESS_BOUNDARY_ONLY 100141
#define GLU_TESS_TOLERANCE 100142
#define GLU_TESS_WINDING_ODD 100130
#define GLU_TESS_WINDING_NONZERO 100131
#define GLU_TESS_WINDING_POSITIVE 100132
#define GLU_TESS_WINDING_NEGATIVE 100133
#define GLU_TESS_WINDING_ABS_GEQ_TWO 100134

    void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
    void APIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                            GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                            GLdouble upZ);
    int APIENTRY gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height,
                                   GLenum format, GLenum type, const void* data);
    GLUquadric* APIENTRY gluNewQuadric();
    void APIENTRY gluDeleteQuadric(GLUquadric* quad);
    void APIENTRY gluQuadricNormals(GLUquadric* quad, GLenum normal);
    void APIENTRY gluQuadricTexture(GLUquadric* quad, GLboolean texture);
    void APIENTRY gluSphere(GLUquadric* quad, GLdouble radius, GLint slices, GLint stacks);
    void APIENTRY gluCylinder(GLUquadric* quad, GLdouble base, GLdouble top, GLdouble height,
                              GLint slices, GLint stacks);
    GLUtesselator* APIENTRY gluNewTess();
    void APIENTRY gluDeleteTess(GLUtesselator* tess);
    void APIENTRY gluTessBeginPolygon(GLUtesselator* tess, GLvoid* data);
    void APIENTRY gluTessBeginContour(GLUtesselator* tess);
    void APIENTRY gluTessVertex(GLUtesselator* tess, GLdouble* location, GLvoid* data);
    void APIENTRY gluTessEndContour(GLUtesselator* tess);
    void APIENTRY gluTessEndPolygon(GLUtesselator* tess);
    void APIENTRY gluTessProperty(GLUtesselator* tess, GLenum which, GLdouble data);
    void APIENTRY gluTessNormal(GLUtesselator* tess, GLdouble valueX, GLdouble valueY,
                                GLdouble valueZ);
    void APIENTRY gluTessCallback(GLUtesselator* tess, GLenum which, _GLUfuncptr callback);
}
#endif
