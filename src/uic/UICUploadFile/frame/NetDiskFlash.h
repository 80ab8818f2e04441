#pragma once
// Requests to the host's network-disk page through its Flash channel (IUICNetDisk), in the numbered form.

#include <string>

// Sends the request; without the page nothing is sent and the missing page is logged under caller.
void CallNetDiskFlash(long number, const std::string& text, const char* caller);
// Asks the page to show the catalog again: the target's id, "-1" (a new catalog) or "-2" (unknown).
void RequestNetDiskRefresh(const std::string& refreshId, const char* caller);
