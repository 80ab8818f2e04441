#pragma once
// Private profile files (config.ini) with the semantics of the original platform's functions: sections
// and keys case-insensitive, values stored as raw bytes (GB18030), blanks around values trimmed on read,
// every other line of the file kept. Writes replace the file atomically, so a crash leaves either the
// old or the new file. File names are in the component's code page (GB18030).

#include <string>

// The value of key in section, or the default (trailing blanks removed) when the file, the section or
// the key is missing.
std::string GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                    const char* fileName);
// The value read as an integer: optional sign, then decimal digits or a 0x (hex), 0o (octal) or 0b
// (binary) prefix; reading stops at the first other character. The default when the key is missing or
// its value is empty.
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* fileName);
// Writes key=value into section, creating the file and the section when missing. A null key removes the
// whole section, a null value removes the key. False when the file cannot be written or the text would
// not read back as given (for example a value with a line break).
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName);
