#include "function/ToolsHelp.h"

#include <glob.h>

#include "host/Framework.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/ProgramDir.h"
#include "xml/XML.h"

IORVALang* g_IOrvaLange = nullptr;

namespace {

// Lead byte of a GB18030 multi-byte character.
bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// Byte length of the character starting at i (1, 2 or 4); never runs past the end.
size_t CharLength(const std::string& text, size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!IsLeadByte(c) || i + 1 >= text.size()) {
        return 1;
    }
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if (next >= 0x30 && next <= 0x39) {
        return i + 3 < text.size() ? 4 : text.size() - i;
    }
    return 2;
}

// Lower-cases ASCII letters only, leaving the bytes of multi-byte characters as they are.
std::string LowerSingleBytes(const std::string& text) {
    std::string lower = text;
    for (size_t i = 0; i < lower.size();) {
        const size_t length = CharLength(lower, i);
        if (length == 1 && lower[i] >= 'A' && lower[i] <= 'Z') {
            lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
        }
        i += length;
    }
    return lower;
}

}  // namespace

std::string CToolsHelp::GetString(const char* key, const char* section) {
    if (!g_IOrvaLange) {
        g_IOrvaLange = GetHostInterface<IORVALang>(IID_IORVALang);
        if (!g_IOrvaLange) {
            LOG_NULL("CToolsHelp::GetString", "g_IOrvaLange");
            return {};
        }
    }
    return g_IOrvaLange->GetLangString(key ? key : "", section ? section : "");
}

std::string CToolsHelp::GetProgramDir() {
    return ProgramDir();
}

std::string CToolsHelp::GetFileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {};
    }
    return path.substr(slash + 1);
}

bool CToolsHelp::FileExist(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    glob_t found{};
    const int rc = glob(Gb18030ToUtf8(path).c_str(), GLOB_NOSORT, nullptr, &found);
    const bool exists = rc == 0 && found.gl_pathc > 0;
    globfree(&found);
    return exists;
}

int CToolsHelp::Tokenize(const std::string& text, std::vector<std::string>& out,
                         const std::string& separator) {
    if (text.empty() || separator.empty() || text.size() <= separator.size()) {
        return -1;
    }
    out.clear();
    if (text.find(separator) == std::string::npos) {
        out.push_back(text);
        return static_cast<int>(out.size());
    }
    size_t current = 0;
    for (size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, current)) {
        if (found > current) {
            out.push_back(text.substr(current, found - current));
        }
        current = found + separator.size();
    }
    if (current != 0 && current != text.size()) {
        out.push_back(text.substr(current));
    }
    return static_cast<int>(out.size());
}

bool CToolsHelp::ContainsDBC(const std::string& text, std::vector<int32_t>& positions) {
    bool found = false;
    int32_t character = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = CharLength(text, i);
        ++character;
        if (length == 2 && static_cast<unsigned char>(text[i]) == 0xA3) {
            positions.push_back(character);
            found = true;
        }
        i += length;
    }
    return found;
}

bool CToolsHelp::CheckTextContainUnsafe(const std::string& text, const std::string& wordList) {
    const std::string lower = LowerSingleBytes(text);
    std::vector<std::string> words;
    if (Tokenize(wordList, words, ",") <= 0) {
        return false;
    }
    for (const std::string& word : words) {
        if (lower.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

IUSBase* CToolsHelp::GetInterfacePtr(const GUID* id) {
    static const char* const kName = "CToolsHelp::GetInterfacePtr";
    if (!id) {
        LOG_NULL(kName, "pID");
        return nullptr;
    }
    NIMBRA_LOG("%s, 查询ID ={%x-%x-%x-%x%x-%x%x%x%x%x%x}", kName, id->Data1, id->Data2, id->Data3,
               id->Data4[0], id->Data4[1], id->Data4[2], id->Data4[3], id->Data4[4], id->Data4[5],
               id->Data4[6], id->Data4[7]);
    USInterfaceList list;
    FW_QueryInterface(id, &list, 1);
    if (list.empty()) {
        LOG_ERROR(kName, "未找到接口!");
        return nullptr;
    }
    if (list.front()) {
        LOG_INFO(kName, "接口指针不为空");
    } else {
        LOG_ERROR(kName, "接口指针为空!");
    }
    return list.front();
}

std::string CToolsHelp::ConstructFlashXml(const std::string& function,
                                          const std::vector<std::string>& arguments) {
    CXML xml;
    xml.AddElem("invoke");
    xml.AddAttrib("name", function);
    xml.AddAttrib("returntype", "xml");
    xml.AddChildElem("arguments");
    xml.IntoElem();
    for (const std::string& argument : arguments) {
        xml.AddChildElem("string");
        xml.IntoElem();
        xml.SetElemContent(argument);
        xml.OutOfElem();
    }
    xml.OutOfElem();
    return xml.GetDoc();
}

std::string CToolsHelp::ConstructFlashXml2(long number, const std::string& text) {
    CXML xml;
    xml.AddElem("invoke");
    xml.AddAttrib("name", "callFlashExternalInterface");
    xml.AddAttrib("returntype", "xml");
    xml.AddChildElem("arguments");
    xml.IntoElem();
    xml.AddChildElem("number", std::to_string(number));
    xml.AddChildElem("string", text);
    xml.OutOfElem();
    return xml.GetDoc();
}

bool CToolsHelp::IntoResultElement(CXML& xml) {
    xml.ResetPos();
    if (xml.FindElem("result")) {
        return xml.IntoElem();
    }
    xml.ResetPos();
    return xml.FindElem() && xml.IntoElem() && xml.FindElem("result") && xml.IntoElem();
}
