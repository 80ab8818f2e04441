#pragma once
// The catalog document as the target catalog dialog reads it, and the tree of folders it shows. Its rules
// differ from the upload dialog's: only a "portrait" or "我的消息" node directly under the top is dropped
// while reading, deeper ones stay; names and parents are kept as read; and a "我的消息" folder shows only
// three or more levels below the top folder. Reading and building are linear in the document: each
// folder finds its parent through one map from catalog id to node, built as the nodes are made.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/UIUploadDefine.h"

// One folder of the tree, in the order the tree items are made.
struct tagTargetNode {
    stCatalog* pRecord = nullptr;  // owned by the record array; its spare field holds the depth
    int32_t nParent = -1;          // node of the parent item; -1 for a top folder
    bool bShared = false;          // the shared text is exactly "1"
};

class CTargetCatalogs {
public:
    // Replaces the records with the document's catalog nodes. noWrapper: the document has no result
    // element around getWholeCatalog. False (logged) when the result element is expected and missing.
    bool Parse(const std::string& doc, bool noWrapper);

    // Decides which records show and under which parent, in record order. rememberedPath is the folder
    // chosen last ("我的网盘\A\B"): its last name picks the last folder of that name, as long as the
    // whole path is still a folder of the tree; otherwise nothing is remembered.
    void BuildTree(const std::string& rememberedPath);

    const std::vector<std::unique_ptr<stCatalog>>& Records() const { return m_records; }
    const std::vector<tagTargetNode>& Nodes() const { return m_nodes; }
    // The node of the catalog id (the last one made for it), or -1.
    int32_t NodeOf(const std::string& catalogId) const;
    // The folder marked current in the document (the last one), or -1.
    int32_t CurrentNode() const { return m_nCurrent; }
    int32_t RememberedNode() const { return m_nRemembered; }

private:
    bool HasGrandparent(int32_t node) const;

    std::vector<std::unique_ptr<stCatalog>> m_records;
    std::vector<tagTargetNode> m_nodes;
    std::unordered_map<std::string, int32_t> m_nodeOf;
    int32_t m_nCurrent = -1;
    int32_t m_nRemembered = -1;
};
