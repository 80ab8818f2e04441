#include "uic/UICUploadFile/frame/SizeFormat.h"

#include <cstdio>

namespace {

constexpr uint64_t kKilo = 1024;
constexpr uint64_t kMega = 1048576;

std::string Printf(const char* format, auto... values) {
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string TwoDigits(int32_t value) {
    return value < 10 ? Printf("0%d", value) : Printf("%d", value);
}

}  // namespace

std::string MakeTransferSize(uint64_t bytes) {
    if (bytes >= kMega) {
        return Printf("%.2f MB", static_cast<double>(bytes) * (1.0 / kMega));
    }
    if (bytes >= kKilo) {
        return Printf("%.2f KB", static_cast<double>(bytes) * (1.0 / kKilo));
    }
    if (bytes == 0) {
        return {};
    }
    return Printf("%llu B", static_cast<unsigned long long>(bytes));
}

std::string FormatTime(int64_t seconds) {
    int64_t rest = seconds > 0 ? seconds : 0;
    int64_t hours = 0;
    int64_t minutes = 0;
    if (rest >= 3600) {
        hours = rest / 3600;
        rest %= 3600;
    }
    if (hours > 23) {
        hours = 23;
    }
    if (rest >= 60) {
        minutes = rest / 60;
        rest %= 60;
    }
    return TwoDigits(static_cast<int32_t>(hours)) + ":" + TwoDigits(static_cast<int32_t>(minutes)) + ":" +
           TwoDigits(static_cast<int32_t>(rest));
}

std::string MakeSize(uint64_t bytes) {
    if (bytes < kKilo) {
        return Printf("%llu B", static_cast<unsigned long long>(bytes));
    }
    const uint64_t unit = bytes < kMega ? kKilo : kMega;
    const uint64_t count = bytes / unit + (bytes % unit != 0 ? 1 : 0);
    return Printf(unit == kKilo ? "%llu KB" : "%llu MB", static_cast<unsigned long long>(count));
}

std::string MakePropertySize(uint64_t bytes) {
    if (bytes >= kMega) {
        return Printf("%.2f MB", static_cast<double>(bytes) * (1.0 / kMega));
    }
    if (bytes >= kKilo) {
        return Printf("%.2f KB", static_cast<double>(bytes) / kKilo);
    }
    return Printf("%llu B", static_cast<unsigned long long>(bytes));
}
