// The lighting classes' GLSL texts are composed from shared pieces; each
// composed text must stay the very string the effect was tuned with, so a
// slip in a piece (a lost line, a swapped fog source) fails here by name.
#include "shaders/LightingShaders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

using namespace MivexGL;

namespace
{

// FNV-1a, 64 bits: enough to tell any edit of a text.
std::uint64_t Hash(const char* text)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (const char* c = text; *c != '\0'; ++c)
    {
        h = (h ^ static_cast<unsigned char>(*c)) * 1099511628211ULL;
    }
    return h;
}

template <typename Shader> void ExpectTexts(std::uint64_t vertex, std::uint64_t fragment)
{
    const Shader shader;
    EXPECT_EQ(Hash(shader.GetVertexSource()), vertex) << shader.GetName() << " vertex text changed";
    EXPECT_EQ(Hash(shader.GetFragmentSource()), fragment)
        << shader.GetName() << " fragment text changed";
}

} // namespace

TEST(LightingText, EveryClassKeepsItsTexts)
{
    ExpectTexts<cWaterNoFogShader>(9302442667460085430ULL, 17095367813635327355ULL);
    ExpectTexts<cWaterShader>(9302442667460085430ULL, 6698423908336713028ULL);
    ExpectTexts<cUnderwaterShader>(14996742209078347590ULL, 8984913220089488395ULL);
    ExpectTexts<cReflectBumpShader>(13412488559717038008ULL, 1509148111811966915ULL);
    ExpectTexts<cTwoLightShader>(15594076888752106447ULL, 6373405314071404572ULL);
    ExpectTexts<cTwoLightRepeatShader>(15594076888752106447ULL, 6373405314071404572ULL);
    ExpectTexts<cTwoLightBlobShader>(8152752331819788550ULL, 6373405314071404572ULL);
    ExpectTexts<cTwoLightUnderwaterShader>(1722728767882147021ULL, 14394041745976742494ULL);
    ExpectTexts<cTwoLightDriftShader>(7452014765563687340ULL, 13117736529695052751ULL);
    ExpectTexts<cTwoLightScrollShader>(15594076888752106447ULL, 7595812466712458706ULL);
    ExpectTexts<cTwoLightTintShader>(15594076888752106447ULL, 5432308655154773709ULL);
    ExpectTexts<cTwoLightFadeShader>(15594076888752106447ULL, 11893340616084492009ULL);
    ExpectTexts<cTwoLightAlphaShader>(15594076888752106447ULL, 8973321710295614181ULL);
    ExpectTexts<cSimpleBumpShader>(4659497962540409756ULL, 6812901652834960477ULL);
}
