#pragma once
// Language texts of the transfer monitor that carry a number, and the error text of a failed task.

#include <string>

// A language format with its one number filled in.
std::string FormatCount(const std::string& format, long value);

// The text shown for an engine error code: empty for -1, the text of "IDS_UPLOAD_ERROR_<code>" for the
// known codes, else "IDS_UPLOAD_ERROR_UNKNOW" formatted with the code.
std::string GetErrorInfoByCode(long code);

// The status of a task cut off by the network that the engine will try again in the given seconds.
std::string NextTryText(long seconds);

// A text of the transfer monitor's language section "UPLOAD".
std::string UploadText(const char* key);
