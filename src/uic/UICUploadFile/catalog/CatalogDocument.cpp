#include "uic/UICUploadFile/catalog/CatalogDocument.h"

#include <cstdlib>

#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "xml/XML.h"

namespace {

constexpr const char* kTopName = "我的网盘";
constexpr const char* kRootMark = "root";
// How many leading records name the default target when no catalog is current.
constexpr size_t kDefaultTargetDepth = 3;

std::string TopIdFor(const std::string& id) {
    return id == kRootMark ? std::string(ROOT_CATALOG_ID) : id;
}

}  // namespace

bool CCatalogDocument::ParseUrl(const std::string& url, tagUploadInfo& server) {
    std::string host;
    long port = 0;
    std::string path;
    if (!CUICUploadComp::ParseUrl(url, host, port, path)) {
        return false;
    }
    server.strHost = host;
    server.nPort = static_cast<int32_t>(port);
    server.strRequestPath = path;
    return true;
}

CCatalogDocument::ParseResult CCatalogDocument::ParseXML(const std::string& doc,
                                                         const std::string& myFolderName,
                                                         bool currentFolderMode) {
    static const char* const kName = "CUICUploadDlg::ParseXML";
    LOG_FUNCTION(kName);
    CXML xml;
    bool bRet = xml.SetDoc(doc) && CToolsHelp::IntoResultElement(xml) && xml.FindElem("uploadUrl") &&
                ParseUrl(xml.GetData(), m_server) && xml.FindElem("getWholeCatalog") && xml.IntoElem();
    if (!bRet) {
        LOG_FAILED(kName, "bRet");
        return ParseResult::Failed;
    }
    while (xml.FindElem("catalogNode")) {
        std::unique_ptr<stCatalog> record = ReadNode(xml, myFolderName);
        if (record) {
            m_records.push_back(std::move(record));
        }
    }

    m_mapRecords.clear();
    std::string currentId;
    std::string dirPath;
    for (size_t i = 0; i < m_records.size(); ++i) {
        stCatalog* record = m_records[i].get();
        m_mapRecords[record->strCatalogID] = record;
        if (record->nCurDir == 1) {
            currentId = record->strCatalogID;
            m_strTargetID = currentFolderMode ? currentId : m_strGoalID;
        }
        if (i < kDefaultTargetDepth) {
            dirPath += record->strName + "\\";
            if (i + 1 == kDefaultTargetDepth && m_strTargetID.empty()) {
                m_strTargetID = record->strCatalogID;
            }
        }
    }
    if (!currentId.empty() && !BuildCurrentDirPath(currentId, dirPath)) {
        LOG_FAILED(kName, "bRet");
        return ParseResult::Failed;
    }
    while (!dirPath.empty() && dirPath.back() == '\\') {
        dirPath.pop_back();
    }
    m_strCurDirPath = dirPath;
    return currentFolderMode ? ParseResult::CurrentFolderOnly : ParseResult::BuildTree;
}

std::unique_ptr<stCatalog> CCatalogDocument::ReadNode(const CXML& xml, const std::string& myFolderName) {
    auto record = std::make_unique<stCatalog>();
    record->strName = xml.GetAttrib("catalogName");
    // The host's own avatar folder is no place to upload into.
    if (record->strName == "portrait") {
        return nullptr;
    }
    record->nCurDir = std::atoi(xml.GetAttrib("CurDir").c_str());
    record->strCatalogID = xml.GetAttrib("catalogID");
    record->strParentID = xml.GetAttrib("parentcatalogID");
    record->strShared = xml.GetAttrib("isShared");
    record->strPath = std::string(kTopName) + "\\" + record->strName;
    if (record->strName == myFolderName && record->strParentID == kRootMark) {
        m_strGoalID = record->strCatalogID;
    }
    for (const auto& earlier : m_records) {
        if (earlier->strCatalogID == record->strParentID) {
            record->strPath = earlier->strPath + "\\" + record->strName;
            if (record->nCurDir != 0) {
                m_strCurPath = record->strPath;
            }
        }
    }
    // The top catalog is the tree's root itself, not a child of it named after itself.
    if (record->strCatalogID == kRootMark) {
        record->strName = kTopName;
        record->strPath = kTopName;
    }
    record->strCatalogID = TopIdFor(record->strCatalogID);
    record->strParentID = TopIdFor(record->strParentID);
    return record;
}

bool CCatalogDocument::BuildCurrentDirPath(const std::string& currentId, std::string& path) const {
    path.clear();
    const stCatalog* record = Find(currentId);
    // Each step climbs one level; more steps than records means the parents form a loop.
    for (size_t steps = 0; record; ++steps) {
        if (steps > m_records.size()) {
            return false;
        }
        path = record->strName + "\\" + path;
        if (record->strParentID.empty()) {
            return true;
        }
        record = Find(record->strParentID);
    }
    return false;
}

void CCatalogDocument::ClearRecords() {
    m_mapRecords.clear();
    m_records.clear();
}

void CCatalogDocument::ChooseGoal(const stCatalog* record) {
    if (record && record->strCatalogID != ROOT_CATALOG_ID) {
        m_strGoalID = record->strCatalogID;
    }
    m_strTargetID = m_strGoalID;
}

const stCatalog* CCatalogDocument::Find(const std::string& catalogId) const {
    const auto found = m_mapRecords.find(catalogId);
    return found == m_mapRecords.end() ? nullptr : found->second;
}

bool CCatalogDocument::AnyPathEquals(const std::string& path) const {
    for (const auto& record : m_records) {
        if (record->strPath == path) {
            return true;
        }
    }
    return false;
}
