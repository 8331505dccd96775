// EncodingDetection.cpp: byte order marks and strict UTF-8.
#include "EncodingDetection.hpp"

#include "platform/Utf8.hpp"

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return "UTF-8";
        case TextEncoding::Utf16Le:
            return "UTF-16LE";
        case TextEncoding::Utf16Be:
            return "UTF-16BE";
        case TextEncoding::Gbk:
            break;
    }
    return "GBK";
}

void CEncodingDetector::Feed(const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size && m_seen < 3; ++i) m_start[m_seen++] = p[i];
    if (m_invalid) return;
    for (std::size_t i = 0; i < size;) {
        if (m_pendingSize > 0 || (p[i] >= 0x80 && size - i < 4)) {
            m_pending[m_pendingSize++] = p[i++];
            char32_t cp = 0;
            const int length = utf8::DecodeOne(m_pending, m_pendingSize, cp);
            if (length == utf8::kInvalid) {
                m_invalid = true;
                return;
            }
            if (length > 0) {
                m_nonAscii = true;
                m_pendingSize = 0;
            }
            continue;
        }
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int length = utf8::DecodeOne(p + i, size - i, cp);
        if (length <= 0) {
            m_invalid = true;
            return;
        }
        m_nonAscii = true;
        i += static_cast<std::size_t>(length);
    }
}

bool CEncodingDetector::Settled() const {
    if (m_seen >= 2 && ((m_start[0] == 0xFF && m_start[1] == 0xFE) || (m_start[0] == 0xFE && m_start[1] == 0xFF)))
        return true;
    if (m_seen >= 3 && m_start[0] == 0xEF && m_start[1] == 0xBB && m_start[2] == 0xBF) return true;
    return m_invalid;
}

EncodingGuess CEncodingDetector::Finish() {
    if (m_seen >= 3 && m_start[0] == 0xEF && m_start[1] == 0xBB && m_start[2] == 0xBF) return {TextEncoding::Utf8, 3};
    if (m_seen >= 2 && m_start[0] == 0xFF && m_start[1] == 0xFE) return {TextEncoding::Utf16Le, 2};
    if (m_seen >= 2 && m_start[0] == 0xFE && m_start[1] == 0xFF) return {TextEncoding::Utf16Be, 2};
    if (!m_invalid && m_pendingSize == 0 && m_nonAscii) return {TextEncoding::Utf8, 0};
    return {};
}

EncodingGuess DetectEncoding(const char* data, std::size_t size) {
    CEncodingDetector detector;
    detector.Feed(data, size);
    return detector.Finish();
}
