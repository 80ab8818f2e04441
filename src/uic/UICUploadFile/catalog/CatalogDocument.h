#pragma once
// The catalog document the host hands the upload dialog: the upload server address and the user's
// catalog tree, turned into catalog records and the dialog's target state (target, goal and current
// catalog, the current folder's display path). Building the combo tree from the records is the dialog's.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"

class CCatalogDocument {
public:
    enum class ParseResult {
        Failed,             // document or address unusable, or a parent missing on the way up
        CurrentFolderOnly,  // the dialog works on the host's current folder: no tree is built
        BuildTree,          // records ready for the combo tree
    };

    // myFolderName is the language text of the my-folder catalog; currentFolderMode the dialog's
    // current-directory flag.
    ParseResult ParseXML(const std::string& doc, const std::string& myFolderName, bool currentFolderMode);
    // "http://host:port/path" into the server record; false (record untouched) for any other form.
    static bool ParseUrl(const std::string& url, tagUploadInfo& server);

    // Drops the records; the server record and the ids stay.
    void ClearRecords();
    // A chosen goal: its record's id becomes the goal unless it is the top catalog, and the target follows.
    void ChooseGoal(const stCatalog* record);

    const tagUploadInfo& Server() const { return m_server; }
    const std::vector<std::unique_ptr<stCatalog>>& Records() const { return m_records; }
    const stCatalog* Find(const std::string& catalogId) const;
    bool AnyPathEquals(const std::string& path) const;

    const std::string& TargetID() const { return m_strTargetID; }
    const std::string& GoalID() const { return m_strGoalID; }
    const std::string& CurrentPath() const { return m_strCurPath; }
    const std::string& CurrentDirPath() const { return m_strCurDirPath; }
    void SetTargetID(std::string id) { m_strTargetID = std::move(id); }
    void SetCurrentPath(std::string path) { m_strCurPath = std::move(path); }

private:
    std::unique_ptr<stCatalog> ReadNode(const class CXML& xml, const std::string& myFolderName);
    bool BuildCurrentDirPath(const std::string& currentId, std::string& path) const;

    tagUploadInfo m_server;
    std::vector<std::unique_ptr<stCatalog>> m_records;
    std::map<std::string, stCatalog*> m_mapRecords;
    std::string m_strTargetID;
    std::string m_strGoalID;
    std::string m_strCurPath;
    std::string m_strCurDirPath;
};
