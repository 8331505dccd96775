// OutputEncoding.hpp: a converted file written in another encoding than its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Direction.hpp"
#include "core/TextEncoding.hpp"
#include "core/Transcode.hpp"
#include "platform/TextFile.hpp"

// The encoding a converted file is written in: the one asked for, or else its own, but GBK for a Big5 file
// made Simplified (Big5 holds almost no Simplified character; GBK is the Simplified counterpart).
TextEncoding OutputEncodingOf(TextEncoding input, Direction direction,
                              const std::optional<TextEncoding>& asked);

// Where a line held a character the output's encoding cannot hold.
struct UnwritablePlace {
    std::size_t line = 0;  // from 1
    text::Unwritable what;
};

// Takes the converted lines in the input's encoding, as ConvertLines writes them, and writes them in another
// through the writer (whose line break must be the output's). At the first character the output cannot hold
// it stops and fails; the caller then keeps nothing of the file. In the first lines of a web page (the first
// 4 KB) a declaration that names the input's encoding (<meta charset=...>, content="...; charset=...",
// <?xml ... encoding="..."?>) is changed to name the output's, so that the page still shows right.
class CTranscodingWriter {
  public:
    // from: the encoding of the lines it is given; original: the file's own, which a declaration names and
    // whose bytes ToPivot escaped (Big5 given as UTF-8).
    CTranscodingWriter(platform::CTextWriter& writer, TextEncoding from, TextEncoding original,
                       TextEncoding to)
        : m_writer(writer), m_from(from), m_original(original), m_to(to) {}

    bool WriteLine(const char* line, std::size_t size);
    // endsLine false: the last line goes on in the next call (platform::CTextWriter::WriteLines).
    bool WriteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine = true);
    bool WriteLines(const char16_t* units, std::size_t count, std::int64_t& lineBytes, bool endsLine = true);
    bool Write(const char* data, std::size_t size);  // the stray half unit of a UTF-16 input

    // The encoding of the lines given from now on (Big5 comes as GBK where every character allows, else as
    // UTF-8).
    void SetFrom(TextEncoding from) { m_from = from; }

    const std::optional<UnwritablePlace>& Unwritable() const { return m_unwritable; }
    bool DeclarationChanged() const { return m_declarationChanged; }

  private:
    platform::CTextWriter& m_writer;
    TextEncoding m_from;
    TextEncoding m_original;
    TextEncoding m_to;
    std::size_t m_line = 0;
    std::int64_t m_read = 0;  // bytes of the input's lines so far
    std::string m_out;
    std::string m_cut;  // lines whose last one goes on in the next call
    std::optional<UnwritablePlace> m_unwritable;
    bool m_declarationChanged = false;
};

// "line 3, column 5: 爲 (U+7232) cannot be written in Big5", with, for Big5 and a conversion that writes the
// standard Traditional forms (standardForms), why such a character may be missing from it: for the messages
// of both front ends.
std::string UnwritableText(const UnwritablePlace& place, TextEncoding input, TextEncoding output,
                           bool standardForms);

// ConvertLines tells the writer of a Big5 file what its lines are in; other writers take lines in the input's
// own encoding only.
inline void SetLinesEncoding(CTranscodingWriter& writer, TextEncoding encoding) { writer.SetFrom(encoding); }
template <class Writer>
void SetLinesEncoding(Writer&, TextEncoding) {}

// The name a web page's declaration gives an encoding: "GBK", "Big5", "UTF-8", "UTF-16".
const char* DeclaredName(TextEncoding encoding);

// Changes, in a line of text, the first encoding declaration that names `from` (by any of its usual labels:
// gb2312, gbk, gb18030, cp936; big5, big5-hkscs, cp950; utf-8, utf8; utf-16) so that it names `to`. The line
// is UTF-32. True when it changed something.
bool ChangeDeclaration(std::u32string& line, TextEncoding from, TextEncoding to);
