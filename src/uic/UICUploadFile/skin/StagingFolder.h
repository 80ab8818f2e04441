#pragma once
// A hidden folder inside the target folder that an archive is unpacked into first, so that the target
// folder changes only once everything arrived. Commit moves the unpacked top-level entries into the target
// folder, each replacing whatever stood there under its name (a link included, which is moved, never
// followed), all of them or none. What is left (the unpacked files after a failure, the replaced ones after
// a commit) is removed with the object.

#include <ctime>
#include <set>
#include <string>
#include <vector>

class CStagingFolder final {
public:
    CStagingFolder() = default;
    ~CStagingFolder();
    CStagingFolder(const CStagingFolder&) = delete;
    CStagingFolder& operator=(const CStagingFolder&) = delete;

    // Makes the target folder (and its parents) when missing, then the staging folder in it.
    bool Create(const std::string& targetFolder, std::string& error);
    // Makes the folders, given relative to the staging folder with every parent before its children.
    bool MakeFolders(const std::set<std::string>& folders, std::string& error) const;
    // A new file at the relative path for writing; -1 (errno set) when it cannot be made. The path is
    // resolved without following any link and without leaving the staging folder.
    int CreateFile(const std::string& relativePath) const;
    // Sets a folder's modification and access time; best effort.
    void SetTime(const std::string& relativePath, std::time_t modified) const;
    bool Commit(const std::set<std::string>& topLevelNames, std::string& error);

private:
    struct Move {
        std::string name;
        bool replaced;
        std::string aside;  // the replaced entry's name in the staging folder
    };
    void Undo(const std::vector<Move>& done) const;

    std::string m_path;
    int m_targetFd = -1;
    int m_contentFd = -1;   // the unpacked entries
    int m_replacedFd = -1;  // what the commit moved out of their way
};
