// Float 2-vector for effect parameters such as the radial blur's centre.
#pragma once

namespace MivexGL
{

class cVector2f
{
public:
    float x, y;

    cVector2f& Set(float nx, float ny)
    {
        x = nx;
        y = ny;
        return *this;
    }
    cVector2f& SetX(float v)
    {
        x = v;
        return *this;
    }
    cVector2f& SetY(float v)
    {
        y = v;
        return *this;
    }
};

} // namespace MivexGL
