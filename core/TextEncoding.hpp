// TextEncoding.hpp: the encodings a text file may be in, and what each means for its bytes.
#pragma once

#include <string>

enum class TextEncoding { Gbk, Utf8, Utf16Le, Utf16Be, Big5 };

// "GBK", "UTF-8", "UTF-16LE", "UTF-16BE", "Big5": for messages.
const char* EncodingName(TextEncoding encoding);

// The byte order mark of an encoding, or "" for one that has none (GBK, Big5).
std::string ByteOrderMark(TextEncoding encoding);

// Bytes per code unit: 1, or 2 for UTF-16.
int UnitSize(TextEncoding encoding);
