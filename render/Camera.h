// The perspective camera: a projection (field of view, aspect, clip
// distances) and a look-at view, loaded into the fixed-function matrices
// through GLU. Needs a current GL context for Apply and LookAt.
#pragma once

#include "render/Vector3d.h"

namespace MivexGL
{

class cCamera
{
public:
    cCamera();

    void SetProjection(double newFov, double newAspect, double newNear, double newFar);
    void SetView(cVector3d newEye, cVector3d newCenter, cVector3d newUp);

    // Loads both matrices from scratch and leaves GL_MODELVIEW selected.
    void Apply();
    // Multiplies the view onto the current matrix, whatever it is.
    void LookAt();

    const cVector3d& GetEye() const { return eye; }
    const cVector3d& GetCenter() const { return center; }
    const cVector3d& GetUp() const { return up; }
    double GetFov() const { return fov; }
    double GetAspect() const { return aspect; }
    double GetNear() const { return nearPlane; }
    double GetFar() const { return farPlane; }

private:
    cVector3d eye;
    cVector3d center;
    cVector3d up;
    double fov;
    double aspect;
    double nearPlane;
    double farPlane;
};

} // namespace MivexGL
