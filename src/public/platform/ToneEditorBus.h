#pragma once
// Where the outside ring-tone editor answers on the session bus (started there on demand, by activation
// from its .service file), and what it offers:
//   Login(s account, s credential) -> i   0 when the editor accepts the credential, -1 otherwise
//   Open(s path)                          shows the file (an empty path only brings the editor up)
//   Quit()                                ends the editor
//   property s Account                    the account signed in, empty before a login succeeds
//   property s CurrentFile                the file shown, empty before one is opened
// Texts are UTF-8 on the bus. The credential is sealed as in digest/EditorCredential.h, keyed by the
// GB18030 bytes of the account.

inline constexpr const char* kToneEditorService = "org.nimbra.ToneEditor";
inline constexpr const char* kToneEditorPath = "/org/nimbra/ToneEditor";
inline constexpr const char* kToneEditorInterface = "org.nimbra.ToneEditor";
