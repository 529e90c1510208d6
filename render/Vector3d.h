// Double 3-vector for camera positions.
#pragma once

namespace MivexGL
{

class cVector3d
{
public:
    cVector3d() : x(0.0), y(0.0), z(0.0) {}
    cVector3d(double nx, double ny, double nz) : x(nx), y(ny), z(nz) {}

    double GetX() const { return x; }
    double GetY() const { return y; }
    double GetZ() const { return z; }

    double x, y, z;
};

} // namespace MivexGL
