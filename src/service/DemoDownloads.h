#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace nimbra::service {

// The files the client downloads by address from the static folder of a demo service: the web-crawler
// installer (a Debian package) and a few ring tones (WAV, generated here) with their list, one name a
// line, at ringtones/index.txt. Files already there are left as they are.
class DemoDownloads final {
public:
    static constexpr const char* kCrawlerPackage = "crawler/nimbra-crawler_1.0_all.deb";
    static constexpr const char* kRingToneIndex = "ringtones/index.txt";

    static void Write(const std::filesystem::path& staticDir);  // throws std::runtime_error
    static std::vector<std::string> RingToneNames();
    // 16-bit mono PCM at 22050 Hz of the named tone; empty for an unknown name.
    static std::string RingTone(const std::string& name);
    static std::string CrawlerPackage();
};

}  // namespace nimbra::service
