#include "uic/UICUploadFile/transfer/TransferSort.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace {

template <class T>
int Sign(const T& first, const T& second) {
    return first < second ? -1 : (second < first ? 1 : 0);
}

int SignOf(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string DirectoryOf(const tagFileInfo& record) {
    const size_t cut =
        record.strFilePath.size() - std::min(record.strFilePath.size(), record.strFileName.size());
    return record.strFilePath.substr(0, cut > 0 ? cut - 1 : 0);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct NaturalName {
    std::string prefix;
    bool hasNumber = false;
    uint64_t number = 0;
    std::string tail;
};

NaturalName SplitName(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    const std::string base = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    NaturalName name;
    const auto first = std::find_if(base.begin(), base.end(), IsDigit);
    name.prefix.assign(base.begin(), first);
    if (first == base.end()) {
        return name;
    }
    name.hasNumber = true;
    auto last = first;
    for (; last != base.end() && IsDigit(*last); ++last) {
        const uint64_t digit = static_cast<uint64_t>(*last - '0');
        // Runs too long for the number saturate, so they still sort after every shorter run.
        name.number = name.number > (std::numeric_limits<uint64_t>::max() - digit) / 10
                          ? std::numeric_limits<uint64_t>::max()
                          : name.number * 10 + digit;
    }
    name.tail.assign(last - 1, base.end());
    return name;
}

int CompareNatural(const NaturalName& first, const NaturalName& second) {
    if (const int prefix = SignOf(first.prefix.compare(second.prefix)); prefix != 0) {
        return prefix;
    }
    if (first.hasNumber != second.hasNumber) {
        return first.hasNumber ? 1 : -1;
    }
    if (const int number = Sign(first.number, second.number); number != 0) {
        return number;
    }
    return SignOf(first.tail.compare(second.tail));
}

// The key of one record, taken once per sort.
struct SortValue {
    double number = 0;
    std::string text;
    NaturalName name;
};

SortValue ValueOf(const tagFileInfo& record, TransferSortKey key) {
    SortValue value;
    switch (key) {
        case TransferSortKey::State:
            value.number = record.nState;
            break;
        case TransferSortKey::FileName:
            value.name = SplitName(record.strFileName);
            break;
        case TransferSortKey::Size:
            value.number = static_cast<double>(record.ullFileSize);
            break;
        case TransferSortKey::Progress:
            // The shown text without its "%".
            value.number = std::atof(record.strProgress.c_str());
            break;
        case TransferSortKey::Speed:
            value.number = SpeedTextValue(record.strSpeed);
            break;
        case TransferSortKey::TimeLeft:
            value.text = LowerAscii(record.strTimeLeft);
            break;
        case TransferSortKey::UsedTime:
            value.number = record.nUsedTime;
            break;
        case TransferSortKey::Directory:
            value.text = DirectoryOf(record);
            break;
        case TransferSortKey::NetPath:
            value.text = LowerAscii(record.strNetPath);
            break;
        case TransferSortKey::None:
            break;
    }
    return value;
}

int CompareValues(const SortValue& first, const SortValue& second, TransferSortKey key) {
    switch (key) {
        case TransferSortKey::FileName:
            return CompareNatural(first.name, second.name);
        case TransferSortKey::TimeLeft:
        case TransferSortKey::Directory:
        case TransferSortKey::NetPath:
            return SignOf(first.text.compare(second.text));
        case TransferSortKey::None:
            return 0;
        default:
            return Sign(first.number, second.number);
    }
}

}  // namespace

TransferSortKey SortKeyOfColumn(int column, bool progressView, bool netPathLast) {
    static constexpr TransferSortKey kFull[] = {TransferSortKey::None,      TransferSortKey::State,
                                                TransferSortKey::FileName,  TransferSortKey::Size,
                                                TransferSortKey::Progress,  TransferSortKey::Speed,
                                                TransferSortKey::TimeLeft,  TransferSortKey::UsedTime,
                                                TransferSortKey::Directory, TransferSortKey::NetPath};
    static constexpr TransferSortKey kReduced[] = {
        TransferSortKey::None,  TransferSortKey::State,    TransferSortKey::FileName, TransferSortKey::Size,
        TransferSortKey::Speed, TransferSortKey::TimeLeft, TransferSortKey::UsedTime};
    if (column < 1) {
        return TransferSortKey::None;
    }
    if (progressView) {
        return column < 10 ? kFull[column] : TransferSortKey::None;
    }
    if (column == 7) {
        return netPathLast ? TransferSortKey::NetPath : TransferSortKey::Directory;
    }
    return column < 7 ? kReduced[column] : TransferSortKey::None;
}

int CompareFileNames(const std::string& first, const std::string& second) {
    return CompareNatural(SplitName(first), SplitName(second));
}

double SpeedTextValue(const std::string& speed) {
    const double number = std::atof(speed.substr(0, speed.find(' ')).c_str());
    if (speed.find('M') != std::string::npos) {
        return number * 1048576;
    }
    if (speed.find('K') != std::string::npos) {
        return number * 1024;
    }
    return number;
}

int CompareTransferRecords(const tagFileInfo& first, const tagFileInfo& second, TransferSortKey key) {
    return CompareValues(ValueOf(first, key), ValueOf(second, key), key);
}

std::vector<size_t> SortTransferRecords(const std::vector<const tagFileInfo*>& records, TransferSortKey key,
                                        int direction) {
    std::vector<SortValue> values;
    values.reserve(records.size());
    for (const tagFileInfo* record : records) {
        values.push_back(record ? ValueOf(*record, key) : SortValue{});
    }
    std::vector<size_t> order(records.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const int factor = direction == 0 ? -1 : 1;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return factor * CompareValues(values[a], values[b], key) < 0;
    });
    return order;
}
