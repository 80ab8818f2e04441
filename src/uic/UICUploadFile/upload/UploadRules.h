#pragma once
// The checks an upload passes before anything reaches the engine: the listed files against the limits
// the server sent, the tag text and the description. Each check gives a verdict; showing it (balloon
// tip, message box, focus) is the dialog's.

#include <cstdint>
#include <string>
#include <vector>

#include "uic/UICUploadFile/upload/UploadRow.h"

struct RuleVerdict {
    enum class Kind {
        Passed,
        Tip,                // show tip at the Upload button
        Silent,             // refused; something else already tells the user
        SpaceInsufficient,  // the network-disk page tells the user
        FullWidth,          // the full-width message box, positions to colour
    };
    Kind kind = Kind::Passed;
    std::string tip;
    std::vector<int32_t> positions;

    bool Passed() const { return kind == Kind::Passed; }
    static RuleVerdict Pass() { return {}; }
    static RuleVerdict Refuse(Kind kind, std::string tip = {}) { return {kind, std::move(tip), {}}; }
};

// A row whose full path equals path is refused with message (filled by the folder upload).
struct tagBlockedPath {
    std::string strPath;
    std::string strMessage;
};

class CUploadRules {
public:
    // The limits of the catalog document; -1 (limits unchanged) when it has no result root.
    int SetLimits(const std::string& doc);
    // The listed files against the limits, in the order the checks run; a pass empties the blocked paths.
    RuleVerdict IsRight(const std::vector<tagUploadRow>& rows);
    // Files dropped onto the network disk: their count, name lengths and sum against the limits only.
    RuleVerdict IsDropRight(const std::vector<tagUploadRow>& rows) const;

    static RuleVerdict IsTagLegal(const std::string& tag, const std::string& unsafeWords);
    // At most five separators ("," or the full-width comma) pass.
    static bool IsTagRight(const std::string& tag);
    // Full-width commas become ",".
    static std::string FormatTag(const std::string& tag);
    static RuleVerdict IsDescriptionLegal(const std::string& description, const std::string& unsafeWords);

    uint16_t ResultCode() const { return m_nResultCode; }
    int32_t MaxFileCount() const { return m_nMaxFileCount; }
    uint64_t MaxTotalSize() const { return m_ullMaxTotalSize; }
    uint64_t SpareSize() const { return m_ullSpareSize; }

    uint64_t ListedTotal() const { return m_ullListedTotal; }
    void AddListed(uint64_t bytes) { m_ullListedTotal += bytes; }
    // Never below zero: a size counted twice by a caller must not wrap the total.
    void RemoveListed(uint64_t bytes) {
        m_ullListedTotal -= bytes < m_ullListedTotal ? bytes : m_ullListedTotal;
    }
    void ClearListed() { m_ullListedTotal = 0; }

    std::vector<tagBlockedPath>& BlockedPaths() { return m_vecBlocked; }

private:
    RuleVerdict CountRefusal() const;

    uint16_t m_nResultCode = 0;
    int32_t m_nMaxFileCount = 0;
    uint64_t m_ullMaxTotalSize = 0;
    uint64_t m_ullSpareSize = 0;
    uint64_t m_ullListedTotal = 0;
    std::vector<tagBlockedPath> m_vecBlocked;
};
