#pragma once
// IOrvGlobals: the engine's process-wide settings. Every OrvGlobals object of the process reads and writes
// the same values.

#include <string>

#include "engine/ComObject.h"
#include "engine/OrvULD.h"

namespace nimbra::engine {

class OrvGlobals final : public ComObject<OrvULD::IOrvGlobals, OrvULD::IID_IOrvGlobals> {
public:
    std::string GetVariable(const std::string& key) override;
    HRESULT SetVariable(const std::string& key, const std::string& value) override;
};

}  // namespace nimbra::engine
