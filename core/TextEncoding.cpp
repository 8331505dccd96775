// TextEncoding.cpp: names, byte order marks and unit sizes of the encodings.
#include "TextEncoding.hpp"

namespace {

struct EncodingTraits {
    const char* name;
    const char* byteOrderMark;
    int unitSize;
};

const EncodingTraits& TraitsOf(TextEncoding encoding) {
    static const EncodingTraits gbk{"GBK", "", 1};
    static const EncodingTraits utf8{"UTF-8", "\xEF\xBB\xBF", 1};
    static const EncodingTraits utf16le{"UTF-16LE", "\xFF\xFE", 2};
    static const EncodingTraits utf16be{"UTF-16BE", "\xFE\xFF", 2};
    static const EncodingTraits big5{"Big5", "", 1};
    switch (encoding) {
        case TextEncoding::Gbk:
            return gbk;
        case TextEncoding::Utf8:
            return utf8;
        case TextEncoding::Utf16Le:
            return utf16le;
        case TextEncoding::Big5:
            return big5;
        case TextEncoding::Utf16Be:
            break;
    }
    return utf16be;
}

}  // namespace

const char* EncodingName(TextEncoding encoding) { return TraitsOf(encoding).name; }

std::string ByteOrderMark(TextEncoding encoding) { return TraitsOf(encoding).byteOrderMark; }

int UnitSize(TextEncoding encoding) { return TraitsOf(encoding).unitSize; }
