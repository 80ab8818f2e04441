#pragma once
// The application's own profile settings (window placements such as "Nimbra" / "UploadPos"), kept with
// QSettings under the organisation and application "Nimbra". Texts are in the component's code page
// (GB18030) and stored as Unicode.

#include <string>

std::string GetProfileString(const char* section, const char* entry, const char* defaultValue = "");
// A null value removes the entry.
bool WriteProfileString(const char* section, const char* entry, const char* value);
