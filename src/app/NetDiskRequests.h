#pragma once
// What the network-disk page does for each request the upload component sends it.

#include <string>

namespace nimbra::app {

class NetDiskActions {
public:
    virtual ~NetDiskActions() = default;
    // An upload reached the engine; refreshId is the target catalog, "-1" (a new catalog) or "-2" (unknown).
    virtual void Refresh(const std::string& refreshId) = 0;
    // Creates a catalog and answers the component (through its slot 30) with the id or "9424".
    virtual void CreateCatalog(const std::string& parentId, const std::string& name) = 0;
    // The user chose a target catalog in one of the component's dialogs.
    virtual void ChooseTarget(const std::string& catalogId, bool shared) = 0;
    // The user chose a catalog that does not exist yet: name under parentId.
    virtual void ChooseNewTarget(const std::string& parentId, const std::string& name, bool shared) = 0;
};

// Parses the request (UTF-8) and acts on it: 0 when understood, -1 otherwise.
long HandleNetDiskRequest(const std::string& request, NetDiskActions& actions);

}  // namespace nimbra::app
