#pragma once
// Size, speed and time texts of the component, one function per form the dialogs show. Every caller that
// shows the same form uses the same function here.

#include <cstdint>
#include <string>

// Transfer list: "1.50 MB", "2.00 KB", "512 B", and the empty text for 0 (a tick without bytes shows "/S").
std::string MakeTransferSize(uint64_t bytes);

// Transfer list: "hh:mm:ss", each part two digits at least; the hours stop at 23 while the minutes and
// seconds keep the remainder. Negative input counts as 0.
std::string FormatTime(int64_t seconds);

// Upload dialog: "%d B" below 1 KB, else whole KB or MB, rounded up ("1025" bytes are "2 KB").
std::string MakeSize(uint64_t bytes);

// File property dialog: "%.2f MB" from 1 MB, "%.2f KB" from 1 KB, else "%d B".
std::string MakePropertySize(uint64_t bytes);
