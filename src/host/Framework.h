#pragma once
// The host framework library (libnimbra-fw): notification subscriptions and the interface registry
// through which components find each other. Component side: FW_ToCompSubNotify, FW_QueryInterface,
// US_MemCmp. Host side: registering interfaces, choosing the notifications it offers, delivering them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/IUSBase.h"

using USInterfaceList = std::vector<IUSBase*>;
// A component's notification callback: receives the notification id.
using FW_NotifyCallback = long (*)(uint32_t id);

extern "C" {
// Subscribes the callback to a notification: 0 on success, -1 when the host does not offer the id
// or the callback is null. Subscribing the same pair again changes nothing and succeeds.
NIMBRA_EXPORT long FW_ToCompSubNotify(uint32_t id, FW_NotifyCallback callback);
// Appends the interface registered under the id to the list (at most count entries); the list
// stays as it was when nothing is registered. The host keeps ownership of the object.
NIMBRA_EXPORT void FW_QueryInterface(const GUID* id, USInterfaceList* list, long count);
// 0 when the two buffers are equal.
NIMBRA_EXPORT int US_MemCmp(const void* a, const void* b, size_t length);

// Host side. Registers (or with null, removes) the interface offered under an id.
NIMBRA_EXPORT void FW_RegisterInterface(const GUID* id, IUSBase* object);
// Limits the notifications the host offers; null offers every id (the default).
NIMBRA_EXPORT void FW_SetOfferedNotifications(bool (*offered)(uint32_t id));
// Calls every callback subscribed to the id, in subscription order; returns how many were called.
NIMBRA_EXPORT long FW_DeliverNotify(uint32_t id);
// The ids subscribed so far, in subscription order (one entry per successful subscription).
NIMBRA_EXPORT void FW_GetSubscriptions(std::vector<uint32_t>* ids);
// Forgets every subscription, registration and offer rule.
NIMBRA_EXPORT void FW_Reset();
}
