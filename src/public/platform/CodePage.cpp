#include "platform/CodePage.h"

#include <iconv.h>

#include <QString>
#include <cerrno>
#include <stdexcept>

namespace {

// One iconv descriptor per direction and thread: descriptors carry state and are not thread-safe.
class Converter {
public:
    Converter(const char* to, const char* from, std::string_view replacement)
        : m_cd(iconv_open(to, from)), m_replacement(replacement) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string Convert(std::string_view input) {
        std::string out;
        out.reserve(input.size() * 3 / 2 + 4);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            const int err = errno;
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (rc != static_cast<size_t>(-1)) {
                break;
            }
            if (err == E2BIG) {
                continue;
            }
            // EILSEQ: an invalid sequence; EINVAL: an incomplete one at the end. Either way one byte is
            // replaced and conversion resumes at the next byte, so nothing after the fault is lost.
            out += m_replacement;
            ++in;
            --inLeft;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t m_cd;
    std::string_view m_replacement;
};

// U+FFFD in each encoding.
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGb18030Replacement = "\x84\x31\xA4\x37";

}  // namespace

std::string Gb18030ToUtf8(std::string_view gb18030) {
    thread_local Converter converter("UTF-8", "GB18030", kUtf8Replacement);
    return converter.Convert(gb18030);
}

std::string Utf8ToGb18030(std::string_view utf8) {
    thread_local Converter converter("GB18030", "UTF-8", kGb18030Replacement);
    return converter.Convert(utf8);
}

QString ToQString(std::string_view gb18030) {
    const std::string utf8 = Gb18030ToUtf8(gb18030);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToGb18030(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}
