#pragma once
// Loads the upload component the way any host does: dlopen libUIUpload.so by file name from the
// executable's folder, XSCInitialize, then XSCQueryInterface for IUICUpload. A missing or failing
// component leaves a message that says why; the host then runs without the upload features.

#include <string>

#include "host/IUICUpload.h"

namespace nimbra::app {

class ComponentLoader final {
public:
    ComponentLoader() = default;
    ~ComponentLoader();
    ComponentLoader(const ComponentLoader&) = delete;
    ComponentLoader& operator=(const ComponentLoader&) = delete;

    // folder ends with '/'. Null and Error() set when the component cannot be had.
    IUICUpload* Load(const std::string& folder, const std::string& fileName = "libUIUpload.so");
    IUICUpload* Component() const { return m_component; }
    const std::string& Error() const { return m_error; }

private:
    IUICUpload* Fail(std::string error);

    void* m_library = nullptr;
    XSCUninitializeFn m_uninitialize = nullptr;
    IUICUpload* m_component = nullptr;
    std::string m_error;
};

}  // namespace nimbra::app
