// Float 3-vector for geometry, particles and fonts; a plain value type.
#pragma once

namespace MivexGL
{

class cVector3f
{
public:
    float x, y, z;

    cVector3f& Set(float nx, float ny, float nz)
    {
        x = nx;
        y = ny;
        z = nz;
        return *this;
    }
    cVector3f& SetX(float v)
    {
        x = v;
        return *this;
    }
    cVector3f& SetY(float v)
    {
        y = v;
        return *this;
    }
    cVector3f& SetZ(float v)
    {
        z = v;
        return *this;
    }
    float GetX() const { return x; }
    float GetY() const { return y; }
    float GetZ() const { return z; }

    cVector3f Scaled(float s) const
    {
        cVector3f r;
        r.Set(x * s, y * s, z * s);
        return r;
    }

    // Adds in place and hands back a copy of the sum.
    cVector3f Add(const cVector3f& v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
};

} // namespace MivexGL
