// ReviewCommand.cpp: zendrix-convert --review FILE, the places a person should check after a conversion.
#include "Commands.hpp"
#include "Console.hpp"
#include "core/Gbk.hpp"
#include "core/GbkCodec.hpp"
#include "core/ReviewList.hpp"
#include "platform/Utf8.hpp"

namespace cli {

namespace {

// A line as characters: the GBK form of those GBK holds, and for each byte of that form the character's
// column. Characters GBK cannot hold, and bytes or units that do not decode, take a column and end a stretch:
// review, like conversion, looks at each stretch of characters GBK holds on its own.
struct Stretch {
    std::string gbk;
    std::vector<std::size_t> columns;  // per byte of gbk
};

class CLineReader {
  public:
    explicit CLineReader(TextEncoding encoding) : m_encoding(encoding) {}

    std::vector<Stretch> Stretches(const char* data, std::size_t size) const {
        std::vector<Stretch> stretches(1);
        std::size_t column = 1;
        const auto add = [&](std::uint16_t code) {
            Stretch& stretch = stretches.back();
            const std::size_t width = code >= 0x100 ? 2 : 1;
            if (width == 2) stretch.gbk += static_cast<char>(code >> 8);
            stretch.gbk += static_cast<char>(code);
            stretch.columns.insert(stretch.columns.end(), width, column++);
        };
        const auto end = [&] {
            ++column;
            if (!stretches.back().gbk.empty()) stretches.emplace_back();
        };
        const gbk::CCodec& codec = gbk::Codec();
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        if (m_encoding == TextEncoding::Gbk) {
            for (std::size_t i = 0; i < size; i += gbk::IsLeadByte(p[i]) && i + 1 < size ? 2 : 1) {
                add(static_cast<std::uint16_t>(gbk::IsLeadByte(p[i]) && i + 1 < size ? p[i] << 8 | p[i + 1]
                                                                                     : p[i]));
            }
        } else if (m_encoding == TextEncoding::Utf8) {
            for (std::size_t i = 0; i < size;) {
                char32_t cp = 0;
                const int length = utf8::DecodeOne(p + i, size - i, cp);
                const std::uint16_t code = length > 0 ? codec.Encode(cp) : gbk::kNoCode;
                code != gbk::kNoCode ? add(code) : end();
                i += length > 0 ? static_cast<std::size_t>(length) : 1;
            }
        } else {
            const bool big = m_encoding == TextEncoding::Utf16Be;
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                const char16_t unit =
                    static_cast<char16_t>(big ? p[i] << 8 | p[i + 1] : p[i + 1] << 8 | p[i]);
                const bool high = unit >= 0xD800 && unit <= 0xDBFF;
                const std::uint16_t code =
                    unit >= 0xD800 && unit <= 0xDFFF ? gbk::kNoCode : codec.Encode(unit);
                code != gbk::kNoCode ? add(code) : end();
                if (high && i + 3 < size) {
                    const char16_t next =
                        static_cast<char16_t>(big ? p[i + 2] << 8 | p[i + 3] : p[i + 3] << 8 | p[i + 2]);
                    if (next >= 0xDC00 && next <= 0xDFFF) i += 2;  // the pair is one character
                }
            }
        }
        return stretches;
    }

  private:
    TextEncoding m_encoding;
};

// The UTF-8 form of GBK text that holds characters only.
std::string Utf8Of(const std::string& gbkText) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(gbkText.data());
    for (std::size_t i = 0; i < gbkText.size();) {
        const bool pair = gbk::IsLeadByte(p[i]) && i + 1 < gbkText.size();
        const char32_t cp =
            gbk::Codec().Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
        utf8::Append(out, cp == gbk::kNoCharacter ? U'\uFFFD' : cp);
        i += pair ? 2 : 1;
    }
    return out;
}

}  // namespace

int RunReview(const ConvertOptions& options, std::string& message) {
    CharTables tables;
    PhraseTables phrases;
    // The forms to choose among come from the phrase file, with or without --phrases.
    ConvertOptions withForms = options;
    withForms.phrases = true;
    if (const int refused = LoadTablesFor(withForms, tables, phrases, message)) return refused;
    const bool standardInput = options.input == "-";
    platform::CTextReader reader;
    if (standardInput) {
        reader.OpenStandardInput();
    } else if (!reader.Open(options.input)) {
        message = OutcomeMessage(FileOutcome::SourceUnreadable, options.input, {});
        return kExitUsage;
    }
    const EncodingGuess encoding = ReadEncoding(reader, options.encoding);
    const CLineReader lines(encoding.encoding);
    const bool utf16 =
        encoding.encoding == TextEncoding::Utf16Le || encoding.encoding == TextEncoding::Utf16Be;
    const std::string lf = !utf16                                       ? "\n"
                           : encoding.encoding == TextEncoding::Utf16Le ? std::string("\n\0", 2)
                                                                        : std::string("\0\n", 2);
    const std::string cr = !utf16                                       ? "\r"
                           : encoding.encoding == TextEncoding::Utf16Le ? std::string("\r\0", 2)
                                                                        : std::string("\0\r", 2);
    const std::string name = standardInput ? "-" : options.input;
    std::size_t lineNumber = 0;
    std::string out;
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        const std::size_t unit = utf16 ? 2 : 1;
        for (std::size_t at = 0; at < run.size;) {
            std::size_t end = at;
            while (end + unit <= run.size && std::string(run.data + end, unit) != lf) end += unit;
            std::size_t size = end - at;
            if (end + unit <= run.size && size >= unit && std::string(run.data + end - unit, unit) == cr)
                size -= unit;
            ++lineNumber;
            for (const Stretch& stretch : lines.Stretches(run.data + at, size)) {
                for (const ReviewPlace& place :
                     ReviewList(stretch.gbk, options.toTraditional, tables, phrases, options.phrases)) {
                    std::string others;
                    for (const std::string& other : place.others)
                        others += (others.empty() ? "" : " ") + Utf8Of(other);
                    out += name + ":" + std::to_string(lineNumber) + ":" +
                           std::to_string(stretch.columns[place.offset]) + ": " + Utf8Of(place.character) +
                           " -> " + Utf8Of(place.chosen) + " (also " + others + ")\n";
                }
            }
            at = end + unit <= run.size ? end + unit : run.size;
            if (out.size() > 64 * 1024) {
                WriteOutput(out);
                out.clear();
            }
        }
    }
    WriteOutput(out);
    if (reader.Failed()) {
        message = OutcomeMessage(FileOutcome::ReadFailed, options.input, {});
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
