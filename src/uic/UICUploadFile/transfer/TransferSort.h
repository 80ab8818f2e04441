#pragma once
// Sort order of the transfer list: which record field a column sorts by, how two records compare, and
// the order of a whole list. Keys are taken from each record once per sort, not once per comparison.

#include <cstdint>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"

enum class TransferSortKey {
    None,
    State,
    FileName,
    Size,
    Progress,
    Speed,
    TimeLeft,
    UsedTime,
    Directory,
    NetPath,
};

// The key of a column; progressView is true for the full column set (uploading and downloading views),
// netPathLast is true in the uploaded view, whose last reduced column is the net path.
TransferSortKey SortKeyOfColumn(int column, bool progressView, bool netPathLast);

// Natural order of file names without their extensions: the text before the first run of digits, then
// that run as a number, then the rest. Names without digits compare whole, and sort before names with
// the same text followed by a number. Returns -1, 0 or 1.
int CompareFileNames(const std::string& first, const std::string& second);

// Speed text ("1.50 MB/S", "2.00 KB/S", "512 B/S", "/S") as bytes.
double SpeedTextValue(const std::string& speed);

// The comparison of record first against record second by key: -1, 0 or 1.
int CompareTransferRecords(const tagFileInfo& first, const tagFileInfo& second, TransferSortKey key);

// Positions of the records in sorted order. Direction 0 puts the highest key first, direction 1 the
// lowest; equal keys keep their order.
std::vector<size_t> SortTransferRecords(const std::vector<const tagFileInfo*>& records, TransferSortKey key,
                                        int direction);
