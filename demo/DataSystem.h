// The abstract resource set: names are prepared in Init, everything is loaded
// in Load. Scenes reach the concrete set through their data pointer.
#pragma once

namespace MivexGL
{

class cDataSystem
{
public:
    cDataSystem() = default;
    virtual ~cDataSystem();
    cDataSystem(const cDataSystem&) = delete;
    cDataSystem& operator=(const cDataSystem&) = delete;

    virtual int Init();
    virtual int Load();
};

} // namespace MivexGL
