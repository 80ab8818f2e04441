#pragma once
// The credential the component signs the outside editor in with, and the editor's way back to it: the key
// is the MD5 digest of the account text's bytes, the cipher Blowfish in ECB mode with a zero chain block,
// the credential padded to whole blocks with count bytes (nothing added to an exact multiple), the result
// in Base64. Texts are bytes as given (the component's are GB18030).

#include <optional>
#include <string>

std::string SealEditorCredential(const std::string& account, const std::string& credential);
// Nothing when the text is no Base64 of whole blocks. Count padding is taken off only where the last
// bytes form one: a credential that itself ends in bytes of value 1 to 7 cannot be told from a padded one.
std::optional<std::string> OpenEditorCredential(const std::string& account, const std::string& sealed);
