#pragma once
// The class the probe engine library serves (see ProbeEngineModule.cpp).

#include "platform/ComBase.h"

inline constexpr CLSID CLSID_Probe = {
    0x0A11CE00, 0x1234, 0x4321, {0x80, 0x00, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}};
inline constexpr IID IID_IProbe = {
    0x0A11CE01, 0x1234, 0x4321, {0x80, 0x00, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}};
inline constexpr int32_t kProbeAnswer = 42;

class IProbe : public IUnknown {
public:
    virtual int32_t Answer() = 0;
};
