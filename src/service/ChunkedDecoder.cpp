#include "service/ChunkedDecoder.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "service/NameRules.h"

namespace nimbra::service {

namespace {

constexpr size_t kMaxLine = 1024;
constexpr size_t kMaxTrailerBytes = 8192;
constexpr uint64_t kMaxChunk = uint64_t(1) << 62;

}  // namespace

ChunkedDecoder::State ChunkedDecoder::Feed(const char* data, size_t size, size_t& used, const Sink& sink) {
    const char* const begin = data;
    const char* const end = data + size;
    while (m_state == State::Going && data < end) {
        switch (m_part) {
            case Part::Data: {
                const size_t take = static_cast<size_t>(std::min<uint64_t>(m_left, end - data));
                if (!sink(data, take)) {
                    m_state = State::Stopped;
                    break;
                }
                data += take;
                m_left -= take;
                if (m_left == 0)
                    m_part = Part::DataEnd;
                break;
            }
            case Part::SizeLine:
            case Part::DataEnd:
            case Part::TrailerLine: {
                bool complete = false;
                if (!TakeLine(data, end, complete)) {
                    m_state = State::Malformed;
                    break;
                }
                if (!complete)
                    break;
                if (m_part == Part::SizeLine) {
                    if (!ParseSize())
                        m_state = State::Malformed;
                } else if (m_part == Part::DataEnd) {
                    if (!m_line.empty())
                        m_state = State::Malformed;
                    m_part = Part::SizeLine;
                } else if (m_line.empty()) {
                    m_state = State::Done;
                } else if (!ParseTrailer()) {
                    m_state = State::Malformed;
                }
                m_line.clear();
                break;
            }
        }
    }
    used = static_cast<size_t>(data - begin);
    return m_state;
}

std::string ChunkedDecoder::Trailer(const std::string& lowerName) const {
    const auto it = m_trailers.find(lowerName);
    return it == m_trailers.end() ? std::string() : it->second;
}

bool ChunkedDecoder::TakeLine(const char*& data, const char* end, bool& complete) {
    const char* newline = static_cast<const char*>(std::memchr(data, '\n', end - data));
    const char* stop = newline ? newline : end;
    m_line.append(data, stop);
    data = newline ? newline + 1 : end;
    if (m_line.size() > kMaxLine)
        return false;
    complete = newline != nullptr;
    if (complete && !m_line.empty() && m_line.back() == '\r')
        m_line.pop_back();
    return true;
}

bool ChunkedDecoder::ParseSize() {
    uint64_t size = 0;
    size_t digits = 0;
    for (; digits < m_line.size() && std::isxdigit(static_cast<unsigned char>(m_line[digits])); ++digits) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(m_line[digits])));
        size = size * 16 + static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
        if (size > kMaxChunk)
            return false;
    }
    // Chunk extensions (";name=value") are allowed and ignored.
    const std::string rest = TrimBlanks(m_line.substr(digits));
    if (digits == 0 || (!rest.empty() && rest.front() != ';'))
        return false;
    m_left = size;
    m_part = size == 0 ? Part::TrailerLine : Part::Data;
    return true;
}

bool ChunkedDecoder::ParseTrailer() {
    m_trailerBytes += m_line.size();
    const auto colon = m_line.find(':');
    if (m_trailerBytes > kMaxTrailerBytes || colon == std::string::npos || colon == 0)
        return false;
    std::string name = m_line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    m_trailers[name] = TrimBlanks(m_line.substr(colon + 1));
    return true;
}

}  // namespace nimbra::service
