#include "uic/UICUploadFile/upload/UploadRules.h"

#include <cstdlib>
#include <string_view>

#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "xml/XML.h"

namespace {

constexpr size_t kMaxNameBytes = 160;
constexpr size_t kMaxTagBytes = 27;
constexpr int kMaxTagSeparators = 5;
constexpr const char* kFullWidthComma = "\xA3\xAC";

std::string Text(const char* key) {
    return CToolsHelp::GetString(key, "UPLOAD");
}

// Verdicts that would mean nothing to the user: the size line already says the server refused.
bool IsSilentResult(uint16_t code) {
    switch (code) {
        case 9100:
        case 9200:
        case 9201:
        case 9202:
        case 9203:
        case 9999:
            return true;
        default:
            return false;
    }
}

// Bytes a character takes in GB18030: 1, 2, or 4 when the second byte is a digit.
size_t CharLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x81 || lead == 0xFF || at + 1 >= text.size()) {
        return 1;
    }
    const auto second = static_cast<unsigned char>(text[at + 1]);
    return second >= '0' && second <= '9' && at + 3 < text.size() ? 4 : 2;
}

std::string Trimmed(const std::string& text) {
    static const char* const kBlanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsTagByte(unsigned char byte) {
    return byte == ',' || (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= 'a' && byte <= 'z');
}

}  // namespace

int CUploadRules::SetLimits(const std::string& doc) {
    CXML xml;
    // The result is the root, or the one child of a root (the form the service sends).
    if (!xml.SetDoc(doc) || !CToolsHelp::IntoResultElement(xml) || !xml.OutOfElem()) {
        LOG_INFO("CUICUploadDlg::SetParamsOfUploadFiles", "目录结构错误");
        return -1;
    }
    m_nResultCode = static_cast<uint16_t>(std::strtoul(xml.GetAttrib("resultCode").c_str(), nullptr, 10));
    xml.IntoElem();
    if (xml.FindElem("MaxUploadFilesNumber")) {
        m_nMaxFileCount = std::atoi(xml.GetData().c_str());
    }
    if (xml.FindElem("MaxUploadFilesSize")) {
        m_ullMaxTotalSize = std::strtoull(xml.GetData().c_str(), nullptr, 10);
    }
    if (xml.FindElem("SpareSize")) {
        m_ullSpareSize = std::strtoull(xml.GetData().c_str(), nullptr, 10);
    }
    return 0;
}

RuleVerdict CUploadRules::IsRight(const std::vector<tagUploadRow>& rows) {
    using Kind = RuleVerdict::Kind;
    if (m_nResultCode == 9164) {
        return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_SOSDISABLE"));
    }
    if (IsSilentResult(m_nResultCode)) {
        return RuleVerdict::Refuse(Kind::Silent);
    }
    if (rows.empty()) {
        return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_FILENUMZERO"));
    }
    if (static_cast<int64_t>(rows.size()) > m_nMaxFileCount) {
        return CountRefusal();
    }
    uint64_t sum = 0;
    for (const tagUploadRow& row : rows) {
        const std::string name = row.Name();
        if (name.find('.') == 0) {
            return RuleVerdict::Refuse(Kind::Tip, name + Text("IDS_UPLOAD_INFO_FILENAMEISEMPTY"));
        }
        if (name.size() > kMaxNameBytes) {
            return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_FILENAMETOOLONG"));
        }
        sum += row.ullSize;
    }
    if (sum > m_ullMaxTotalSize || m_ullListedTotal > m_ullMaxTotalSize) {
        return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_FILESIZEEXCEED"));
    }
    if (sum > m_ullSpareSize) {
        return RuleVerdict::Refuse(Kind::SpaceInsufficient);
    }
    for (const tagUploadRow& row : rows) {
        for (const tagBlockedPath& blocked : m_vecBlocked) {
            if (row.strPath == blocked.strPath) {
                return RuleVerdict::Refuse(Kind::Tip, blocked.strMessage);
            }
        }
    }
    m_vecBlocked.clear();
    return RuleVerdict::Pass();
}

RuleVerdict CUploadRules::IsDropRight(const std::vector<tagUploadRow>& rows) const {
    using Kind = RuleVerdict::Kind;
    if (static_cast<int64_t>(rows.size()) > m_nMaxFileCount) {
        return CountRefusal();
    }
    uint64_t sum = 0;
    for (const tagUploadRow& row : rows) {
        if (row.Name().size() > kMaxNameBytes) {
            return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_FILENAMETOOLONG"));
        }
        sum += row.ullSize;
    }
    if (sum > m_ullMaxTotalSize) {
        return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_FILESIZEEXCEED"));
    }
    return sum > m_ullSpareSize ? RuleVerdict::Refuse(Kind::SpaceInsufficient) : RuleVerdict::Pass();
}

RuleVerdict CUploadRules::CountRefusal() const {
    return RuleVerdict::Refuse(RuleVerdict::Kind::Tip, Text("IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED") +
                                                           std::to_string(m_nMaxFileCount) +
                                                           Text("IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES"));
}

RuleVerdict CUploadRules::IsTagLegal(const std::string& tag, const std::string& unsafeWords) {
    using Kind = RuleVerdict::Kind;
    std::vector<int32_t> positions;
    if (CToolsHelp::ContainsDBC(tag, positions)) {
        RuleVerdict verdict = RuleVerdict::Refuse(Kind::FullWidth);
        verdict.positions = std::move(positions);
        return verdict;
    }
    if (CToolsHelp::CheckTextContainUnsafe(tag, unsafeWords)) {
        return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_TAG_CONTENTERROR"));
    }
    if (!IsTagRight(tag)) {
        return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_TAG_ERROR"));
    }
    for (size_t i = 0; i < tag.size(); ++i) {
        const auto byte = static_cast<unsigned char>(tag[i]);
        if (byte >= 0xB0 && byte <= 0xF7) {
            ++i;  // a Chinese character: its second byte is taken with it
        } else if (!IsTagByte(byte)) {
            return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_TAG_LAWLESS"));
        }
    }
    std::string rest = FormatTag(tag);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string part = rest.substr(0, comma);
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        if (part.size() > kMaxTagBytes) {
            return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_TAG_ERROR_LENGTH"));
        }
        if (Trimmed(part).empty()) {
            return RuleVerdict::Refuse(Kind::Tip, Text("IDS_UPLOAD_INFO_TAG_LAWLESS"));
        }
    }
    return RuleVerdict::Pass();
}

bool CUploadRules::IsTagRight(const std::string& tag) {
    int separators = 0;
    for (size_t i = 0; i < tag.size(); ++i) {
        const auto byte = static_cast<unsigned char>(tag[i]);
        if (byte & 0x80) {
            if (tag.compare(i, 2, kFullWidthComma) == 0) {
                ++separators;
            }
            ++i;
        } else if (byte == ',') {
            ++separators;
        }
        if (separators > kMaxTagSeparators) {
            return false;
        }
    }
    return true;
}

std::string CUploadRules::FormatTag(const std::string& tag) {
    std::string out;
    out.reserve(tag.size());
    for (size_t i = 0; i < tag.size();) {
        const size_t length = CharLength(tag, i);
        if (tag.compare(i, length, kFullWidthComma) == 0) {
            out += ',';
        } else {
            out.append(tag, i, length);
        }
        i += length;
    }
    return out;
}

RuleVerdict CUploadRules::IsDescriptionLegal(const std::string& description, const std::string& unsafeWords) {
    const RuleVerdict refused =
        RuleVerdict::Refuse(RuleVerdict::Kind::Tip, Text("IDS_UPLOAD_INFO_DESCRIPTION_ERROR"));
    if (CToolsHelp::CheckTextContainUnsafe(description, unsafeWords)) {
        return refused;
    }
    // Character by character: the second byte of a Chinese character may be '\' or '|'.
    static constexpr std::string_view kForbidden = "*/\\<>:?\"|";
    for (size_t i = 0; i < description.size(); i += CharLength(description, i)) {
        if (kForbidden.find(description[i]) != std::string_view::npos) {
            return refused;
        }
    }
    return RuleVerdict::Pass();
}
