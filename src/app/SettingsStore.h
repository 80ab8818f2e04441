#pragma once
// The host's settings component (IUICSet): named values stored for the account on the service.

#include "host/HostObject.h"
#include "ServiceClient.h"
#include "host/HostIds.h"
#include "host/HostInterfaces.h"

namespace nimbra::app {

class SettingsStore final : public HostComponent<IUICSet> {
public:
    explicit SettingsStore(const ServiceClient& client) : HostComponent(IID_IUICSet), m_client(client) {}

    // Slot 13: PUT /lumenoApp/settings/NAME with the ids as a comma-separated list; -1 on failure or for a
    // name that is not a plain word.
    long StoreValue(const std::string& name, const std::vector<long>& ids) override;

private:
    const ServiceClient& m_client;
};

}  // namespace nimbra::app
