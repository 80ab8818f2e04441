#include "NetDiskRequests.h"

#include "FlashRequest.h"

namespace nimbra::app {

long HandleNetDiskRequest(const std::string& request, NetDiskActions& actions) {
    const auto parsed = FlashRequest::Parse(request);
    if (!parsed || !parsed->number || parsed->strings.size() != 1)
        return -1;
    const std::string& argument = parsed->strings.front();
    switch (*parsed->number) {
        case kFlashRefresh:
            actions.Refresh(argument);
            return 0;
        case kFlashCreateCatalog: {
            const auto creation = ReadCatalogCreationRequest(argument);
            if (!creation)
                return -1;
            actions.CreateCatalog(creation->parentId, creation->name);
            return 0;
        }
        default: {
            // Any other number is a dialog's own function number carrying its target choice.
            const auto choice = ReadTargetChoice(argument);
            if (!choice)
                return -1;
            if (!choice->IsNewCatalog()) {
                actions.ChooseTarget(choice->catalogId, choice->shared);
                return 0;
            }
            // A new catalog the page cannot make without its parent and name.
            if (choice->newParentId.empty() || choice->newName.empty())
                return -1;
            actions.ChooseNewTarget(choice->newParentId, choice->newName, choice->shared);
            return 0;
        }
    }
}

}  // namespace nimbra::app
