#include "uic/UICUploadFile/target/TargetCatalogs.h"

#include <cstdlib>

#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "xml/XML.h"

namespace {

constexpr const char* kRootMark = "root";
constexpr const char* kTopName = "我的网盘";
constexpr const char* kMyMessages = "我的消息";

std::string TopIdFor(const std::string& id) {
    return id == kRootMark ? std::string(ROOT_CATALOG_ID) : id;
}

// The names of a backslash-separated path. Split in UTF-8, where a backslash byte is always a backslash
// (in GB18030 it may be the second byte of a character).
std::vector<std::string> PathNames(const std::string& path) {
    std::vector<std::string> names;
    const std::string utf8 = Gb18030ToUtf8(path);
    size_t start = 0;
    while (start <= utf8.size()) {
        const size_t slash = utf8.find('\\', start);
        const size_t end = slash == std::string::npos ? utf8.size() : slash;
        names.push_back(Utf8ToGb18030(utf8.substr(start, end - start)));
        start = end + 1;
    }
    return names;
}

}  // namespace

bool CTargetCatalogs::Parse(const std::string& doc, bool noWrapper) {
    static const char* const kName = "CUICTargetDlg::ParseXMLEx";
    m_records.clear();
    m_nodes.clear();
    m_nodeOf.clear();
    CXML xml;
    xml.SetDoc(doc);
    if (!noWrapper && !CToolsHelp::IntoResultElement(xml)) {
        LOG_INFO(kName, "XML目录结构不正确");
        return false;
    }
    if (!xml.FindElem("getWholeCatalog") || !xml.IntoElem()) {
        return true;
    }
    while (xml.FindElem("catalogNode")) {
        const std::string parentId = xml.GetAttrib("parentcatalogID");
        const std::string name = xml.GetAttrib("catalogName");
        // The host's own folders at the top are no place to upload into.
        if (parentId == kRootMark && (name == "portrait" || xml.GetChildAttrib("name") == kMyMessages)) {
            continue;
        }
        auto record = std::make_unique<stCatalog>();
        record->strParentID = TopIdFor(parentId);
        record->strCatalogID = TopIdFor(xml.GetAttrib("catalogID"));
        record->strName = name;
        record->strShared = xml.GetAttrib("isShared");
        record->nCurDir = std::atoi(xml.GetAttrib("CurDir").c_str());
        m_records.push_back(std::move(record));
    }
    return true;
}

void CTargetCatalogs::BuildTree(const std::string& rememberedPath) {
    m_nodes.clear();
    m_nodeOf.clear();
    m_nCurrent = -1;
    m_nRemembered = -1;
    const std::vector<std::string> remembered =
        rememberedPath.empty() ? std::vector<std::string>() : PathNames(rememberedPath);
    const int32_t rememberedDepth = static_cast<int32_t>(remembered.size()) - 1;
    // Whether each node lies on the remembered path: its parent does and its name is the next one.
    std::vector<bool> onRemembered;
    int32_t nameMatch = -1;
    bool rememberedExists = false;
    m_nodes.reserve(m_records.size());
    onRemembered.reserve(m_records.size());
    for (const auto& owned : m_records) {
        stCatalog* record = owned.get();
        const auto index = static_cast<int32_t>(m_nodes.size());
        tagTargetNode node{record, -1, record->strShared == "1"};
        int32_t depth = 0;
        bool onPath = false;
        if (record->strCatalogID == ROOT_CATALOG_ID) {
            onPath = rememberedDepth >= 0 && remembered.front() == kTopName;
        } else {
            const auto parent = m_nodeOf.find(record->strParentID);
            if (parent == m_nodeOf.end()) {
                continue;
            }
            if (record->strName == kMyMessages && !HasGrandparent(parent->second)) {
                continue;
            }
            node.nParent = parent->second;
            depth = m_nodes[parent->second].pRecord->nSpare + 1;
            onPath = onRemembered[parent->second] && depth <= rememberedDepth &&
                     remembered[depth] == record->strName;
            if (record->nCurDir == 1) {
                m_nCurrent = index;
            }
            if (rememberedDepth >= 0 && record->strName == remembered.back()) {
                nameMatch = index;
            }
        }
        record->nSpare = depth;
        rememberedExists = rememberedExists || (onPath && depth == rememberedDepth);
        m_nodeOf[record->strCatalogID] = index;
        m_nodes.push_back(node);
        onRemembered.push_back(onPath);
    }
    m_nRemembered = rememberedExists ? nameMatch : -1;
}

int32_t CTargetCatalogs::NodeOf(const std::string& catalogId) const {
    const auto found = m_nodeOf.find(catalogId);
    return found == m_nodeOf.end() ? -1 : found->second;
}

bool CTargetCatalogs::HasGrandparent(int32_t node) const {
    const int32_t parent = m_nodes[node].nParent;
    return parent >= 0 && m_nodes[parent].nParent >= 0;
}
