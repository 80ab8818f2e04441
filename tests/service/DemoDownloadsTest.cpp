// The crawler installer and the ring tones a demo service serves by address: real WAV files that sound,
// and a Debian package that dpkg takes and whose program lists the links of a page.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "ServiceFixture.h"
#include "service/DemoDownloads.h"

namespace nimbra::service::test {
namespace {

uint32_t LittleEndian(const std::string& bytes, size_t offset, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
    return value;
}

// What a shell command printed; nothing when it failed.
std::optional<std::string> Shell(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

class DemoDownloadsTest : public ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        m_options.demo = true;
        StartService();
    }
    // A static file as anybody fetches it, without signing on.
    std::string Fetch(const std::string& path) {
        const auto answer = NewClient()->Get(path);
        EXPECT_TRUE(answer && answer->status == 200) << path;
        return answer ? answer->body : std::string();
    }
};

TEST_F(DemoDownloadsTest, EveryListedRingToneIsAShortAudibleUnclippedPcmWave) {
    EXPECT_EQ(Fetch("/static/ringtones/index.txt"), "bell.wav\nchime.wav\nbeep.wav\n");
    for (const std::string& name : DemoDownloads::RingToneNames()) {
        const std::string wav = Fetch("/static/ringtones/" + name);
        ASSERT_GT(wav.size(), 44u) << name;
        EXPECT_EQ(wav.substr(0, 4), "RIFF");
        EXPECT_EQ(LittleEndian(wav, 4, 4), wav.size() - 8) << name;
        EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(LittleEndian(wav, 20, 2), 1u) << "PCM";
        EXPECT_EQ(LittleEndian(wav, 22, 2), 1u) << "mono";
        const uint32_t rate = LittleEndian(wav, 24, 4);
        EXPECT_EQ(LittleEndian(wav, 28, 4), rate * 2);
        EXPECT_EQ(LittleEndian(wav, 34, 2), 16u);
        EXPECT_EQ(wav.substr(36, 4), "data");
        const uint32_t data = LittleEndian(wav, 40, 4);
        ASSERT_EQ(data, wav.size() - 44) << name;
        const double seconds = data / 2.0 / rate;
        EXPECT_GT(seconds, 0.5) << name;
        EXPECT_LT(seconds, 3.0) << name;
        int peak = 0;
        for (size_t at = 44; at + 1 < wav.size(); at += 2)
            peak = std::max(peak, std::abs(static_cast<int16_t>(LittleEndian(wav, at, 2))));
        EXPECT_GT(peak, 8000) << name << " is too quiet";
        EXPECT_LT(peak, 32767) << name << " is clipped";
    }
}

TEST_F(DemoDownloadsTest, TheCrawlerInstallerIsAPackageDpkgTakesWithAWorkingCrawler) {
    if (!Shell("command -v dpkg-deb"))
        GTEST_SKIP() << "dpkg-deb is not installed";
    const std::string package = Fetch(std::string("/static/") + DemoDownloads::kCrawlerPackage);
    const auto file = m_dataDir / "crawler.deb";
    std::ofstream(file, std::ios::binary) << package;
    EXPECT_EQ(Shell("dpkg-deb --field " + file.string() + " Package Version Architecture Depends"),
              "Package: nimbra-crawler\nVersion: 1.0\nArchitecture: all\nDepends: curl\n");
    const auto contents = Shell("dpkg-deb --contents " + file.string());
    ASSERT_TRUE(contents);
    EXPECT_NE(contents->find("-rwxr-xr-x root/root"), std::string::npos) << *contents;
    EXPECT_NE(contents->find("./usr/bin/nimbra-crawler"), std::string::npos) << *contents;

    // The packaged program lists the links of a page, once each.
    const auto unpacked = m_dataDir / "unpacked";
    ASSERT_TRUE(Shell("dpkg-deb --extract " + file.string() + " " + unpacked.string()));
    const auto page = m_dataDir / "page.html";
    std::ofstream(page) << "<a href=\"https://example.org/a\">a</a> <A HREF=\"/b.html\">b</A>"
                           "<a href=\"https://example.org/a\">again</a>";
    EXPECT_EQ(Shell((unpacked / "usr/bin/nimbra-crawler").string() + " file://" + page.string()),
              "/b.html\nhttps://example.org/a\n");
}

}  // namespace
}  // namespace nimbra::service::test
