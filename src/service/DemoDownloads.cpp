#include "service/DemoDownloads.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <numbers>
#include <stdexcept>

namespace nimbra::service {

namespace {

constexpr int kSampleRate = 22050;
// Files of the package carry this time (2024-01-01), so the package is the same on every machine.
constexpr long kPackageTime = 1704067200;

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A RIFF/WAVE file around the samples.
std::string Wav(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string wav = "RIFF";
    PutLittleEndian(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    PutLittleEndian(wav, 16, 4);               // format chunk size
    PutLittleEndian(wav, 1, 2);                // PCM
    PutLittleEndian(wav, 1, 2);                // mono
    PutLittleEndian(wav, kSampleRate, 4);      // samples per second
    PutLittleEndian(wav, kSampleRate * 2, 4);  // bytes per second
    PutLittleEndian(wav, 2, 2);                // bytes per frame
    PutLittleEndian(wav, 16, 2);               // bits per sample
    wav += "data";
    PutLittleEndian(wav, dataBytes, 4);
    for (int16_t sample : samples)
        PutLittleEndian(wav, static_cast<uint16_t>(sample), 2);
    return wav;
}

// Notes one after another: frequency (0: silence), length in seconds; each fades out as a struck tone.
std::vector<int16_t> Notes(const std::vector<std::pair<double, double>>& notes, double decay,
                           double overtone) {
    std::vector<int16_t> samples;
    for (const auto& [frequency, seconds] : notes) {
        const int count = static_cast<int>(seconds * kSampleRate);
        for (int i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const double phase = 2 * std::numbers::pi * frequency * t;
            const double wave = std::sin(phase) + overtone * std::sin(2 * phase);
            const double level = frequency > 0 ? 0.6 * std::exp(-decay * t) / (1 + overtone) : 0;
            samples.push_back(static_cast<int16_t>(std::lround(32767 * level * wave)));
        }
    }
    return samples;
}

struct Tone {
    const char* name;
    std::function<std::vector<int16_t>()> samples;
};

const std::vector<Tone>& Tones() {
    static const std::vector<Tone> tones = {
        {"bell.wav",
         [] {
             return Notes({{880, 1.5}}, 3.0, 0.4);
         }},
        {"chime.wav",
         [] {
             return Notes({{1318.5, 0.45}, {1046.5, 0.9}}, 4.0, 0.2);
         }},
        {"beep.wav",
         [] {
             return Notes({{1000, 0.15}, {0, 0.1}, {1000, 0.15}, {0, 0.1}, {1000, 0.15}}, 0.5, 0);
         }},
    };
    return tones;
}

// One member of an ar archive (the container of a Debian package).
void ArMember(std::string& archive, const std::string& name, const std::string& content) {
    char header[61];
    std::snprintf(header, sizeof header, "%-16s%-12ld%-6d%-6d%-8s%-10zu`\n", name.c_str(), kPackageTime, 0, 0,
                  "100644", content.size());
    archive.append(header, 60);
    archive += content;
    if (content.size() % 2 != 0)
        archive += '\n';
}

// One entry of a ustar archive: a file (with its mode) or, for a name ending in '/', a folder.
void TarEntry(std::string& archive, const std::string& name, const std::string& content, unsigned mode) {
    const bool folder = name.back() == '/';
    std::string header(512, '\0');
    const auto field = [&header](size_t offset, size_t width, const std::string& text) {
        header.replace(offset, std::min(text.size(), width), text.substr(0, width));
    };
    const auto octal = [&field](size_t offset, size_t width, unsigned long value) {
        char text[24];
        std::snprintf(text, sizeof text, "%0*lo", static_cast<int>(width - 1), value);
        field(offset, width, text);
    };
    field(0, 100, name);
    octal(100, 8, mode);
    octal(108, 8, 0);
    octal(116, 8, 0);
    octal(124, 12, folder ? 0 : content.size());
    octal(136, 12, kPackageTime);
    field(148, 8, "        ");
    field(156, 1, folder ? "5" : "0");
    field(257, 8,
          std::string("ustar\0"
                      "00",
                      8));
    field(265, 32, "root");
    field(297, 32, "root");
    unsigned long sum = 0;
    for (unsigned char byte : header)
        sum += byte;
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "%06lo", sum);
    header.replace(148, 7, checksum, 7);
    archive += header;
    if (!folder) {
        archive += content;
        archive.append((512 - content.size() % 512) % 512, '\0');
    }
}

std::string EndTar(std::string archive) {
    archive.append(1024, '\0');
    return archive;
}

const char* const kCrawlerScript =
    "#!/bin/sh\n"
    "# nimbra-crawler URL: lists the links of the web page at URL, one a line, to choose what to keep on\n"
    "# the Nimbra network disk.\n"
    "set -eu\n"
    "if [ $# -ne 1 ]; then\n"
    "    echo \"usage: nimbra-crawler URL\" >&2\n"
    "    exit 2\n"
    "fi\n"
    "curl -fsSL \"$1\" | grep -oiE 'href=\"[^\"]+\"' | sed -E 's/^[hH][rR][eE][fF]=\"(.*)\"$/\\1/' | sort "
    "-u\n";

const char* const kCrawlerControl =
    "Package: nimbra-crawler\n"
    "Version: 1.0\n"
    "Architecture: all\n"
    "Maintainer: Nimbra <nimbra@localhost>\n"
    "Installed-Size: 4\n"
    "Depends: curl\n"
    "Section: web\n"
    "Priority: optional\n"
    "Description: web crawler for the Nimbra network disk\n"
    " Lists the links of a web page, to choose what to keep on the network disk.\n";

void WriteIfMissing(const std::filesystem::path& path, const std::string& content) {
    if (std::filesystem::exists(path))
        return;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::vector<std::string> DemoDownloads::RingToneNames() {
    std::vector<std::string> names;
    for (const Tone& tone : Tones())
        names.push_back(tone.name);
    return names;
}

std::string DemoDownloads::RingTone(const std::string& name) {
    for (const Tone& tone : Tones()) {
        if (name == tone.name)
            return Wav(tone.samples());
    }
    return {};
}

std::string DemoDownloads::CrawlerPackage() {
    std::string control;
    TarEntry(control, "./", "", 0755);
    TarEntry(control, "./control", kCrawlerControl, 0644);
    std::string data;
    TarEntry(data, "./", "", 0755);
    TarEntry(data, "./usr/", "", 0755);
    TarEntry(data, "./usr/bin/", "", 0755);
    TarEntry(data, "./usr/bin/nimbra-crawler", kCrawlerScript, 0755);
    std::string package = "!<arch>\n";
    ArMember(package, "debian-binary", "2.0\n");
    ArMember(package, "control.tar", EndTar(control));
    ArMember(package, "data.tar", EndTar(data));
    return package;
}

void DemoDownloads::Write(const std::filesystem::path& staticDir) {
    WriteIfMissing(staticDir / kCrawlerPackage, CrawlerPackage());
    std::string index;
    for (const std::string& name : RingToneNames()) {
        WriteIfMissing(staticDir / "ringtones" / name, RingTone(name));
        index += name + "\n";
    }
    WriteIfMissing(staticDir / kRingToneIndex, index);
}

}  // namespace nimbra::service
