// TextEncoding.cpp: names, byte order marks and unit sizes of the encodings.
#include "TextEncoding.hpp"

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Gbk:
            return "GBK";
        case TextEncoding::Utf8:
            return "UTF-8";
        case TextEncoding::Utf16Le:
            return "UTF-16LE";
        case TextEncoding::Utf16Be:
            return "UTF-16BE";
    }
    return "";
}

std::string ByteOrderMark(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Gbk:
            return "";
        case TextEncoding::Utf8:
            return "\xEF\xBB\xBF";
        case TextEncoding::Utf16Le:
            return "\xFF\xFE";
        case TextEncoding::Utf16Be:
            return "\xFE\xFF";
    }
    return "";
}

int UnitSize(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Gbk:
        case TextEncoding::Utf8:
            return 1;
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            return 2;
    }
    return 1;
}
