// The model class: a place for mesh loading that the engine reserves. It
// holds nothing and reads no file; it depends on nothing.
#pragma once

namespace MivexGL
{

class c3DsModelSystem
{
public:
    virtual ~c3DsModelSystem() = default;
};

} // namespace MivexGL
