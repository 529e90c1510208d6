// Camera matrices through gluPerspective and gluLookAt.
#include "render/Camera.h"

#include "platform/GL.h"

namespace MivexGL
{

cCamera::cCamera()
    : eye(0.0, 0.0, 0.0), center(0.0, 0.0, -1.0), up(0.0, 1.0, 0.0), fov(45.0), aspect(4.0 / 3.0),
      nearPlane(1.0), farPlane(5000.0)
{
}

void cCamera::SetProjection(double newFov, double newAspect, double newNear, double newFar)
{
    fov = newFov;
    aspect = newAspect;
    nearPlane = newNear;
    farPlane = newFar;
}

void cCamera::SetView(cVector3d newEye, cVector3d newCenter, cVector3d newUp)
{
    eye = newEye;
    center = newCenter;
    up = newUp;
}

void cCamera::Apply()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    LookAt();
}

void cCamera::LookAt()
{
    gluLookAt(eye.x, eye.y, eye.z, center.x, center.y, center.z, up.x, up.y, up.z);
}

} // namespace MivexGL
