#pragma once
// The host's system configuration (IUISysConfig): the upload address and the sign-on of the session.

#include "host/HostObject.h"
#include "LoginSession.h"

namespace nimbra::app {

class SysConfig final : public HostObject<IUISysConfig> {
public:
    explicit SysConfig(const LoginSession& session) : HostObject(IID_IUISysConfig), m_session(session) {}
    tagSysConfig GetSysConfig() override;

private:
    const LoginSession& m_session;
};

}  // namespace nimbra::app
