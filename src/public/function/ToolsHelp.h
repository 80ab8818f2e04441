#pragma once
// Static helpers every part of the component uses: language texts, dialog items, the program directory,
// file helpers, the tokenizer, full-width and forbidden-word checks, host interface lookup and the Flash
// request builders. Texts are GB18030.

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostInterfaces.h"

class CXML;

// The host's language interface, fetched on first use and kept.
extern IORVALang* g_IOrvaLange;

class CToolsHelp {
public:
    static std::string GetString(const char* key, const char* section);
    static void SetDlgItemTextA(HWND dialog, int controlId, const char* key, const char* section);
    static void SetWindowTextA(HWND window, const char* key, const char* section);
    static void ShowDlgItem(HWND dialog, int controlId, int showCommand);
    static void EnableDlgItem(HWND dialog, int controlId, bool enable);
    // Directory of the host executable, with a trailing separator.
    static std::string GetProgramDir();
    // The part after the last path separator; empty when there is none.
    static std::string GetFileName(const std::string& path);
    // True when a file-system search for the path (wildcards allowed) finds at least one entry.
    static bool FileExist(const std::string& path);
    // 0 when a program was launched for the file, -1 otherwise.
    static int OpenFile(const std::string& path);
    // Number of non-empty pieces, or -1 (out untouched) for unusable input.
    static int Tokenize(const std::string& text, std::vector<std::string>& out, const std::string& separator);
    // Character positions (from 1) of full-width characters.
    static bool ContainsDBC(const std::string& text, std::vector<int32_t>& positions);
    static bool CheckTextContainUnsafe(const std::string& text, const std::string& wordList);
    static IUSBase* GetInterfacePtr(const GUID* id);
    static std::string ConstructFlashXml(const std::string& function,
                                         const std::vector<std::string>& arguments);
    static std::string ConstructFlashXml2(long number, const std::string& text);
    // Steps into the service's "result" element, whether it is the document's top element or sits one
    // level below it (hosts send both forms); false when there is none.
    static bool IntoResultElement(CXML& xml);
};

// A host interface of the given type, or null when it is missing or of another type.
template <class T>
T* GetHostInterface(const GUID& id) {
    return dynamic_cast<T*>(CToolsHelp::GetInterfacePtr(&id));
}
