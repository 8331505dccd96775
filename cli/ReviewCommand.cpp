// ReviewCommand.cpp: zendrix-convert --review FILE, the places a person should check after a conversion.
#include "Commands.hpp"
#include "Console.hpp"
#include "core/Gbk.hpp"
#include "core/GbkCodec.hpp"
#include "core/ReviewList.hpp"
#include "core/TextStretches.hpp"

namespace cli {

namespace {

// The review's output, "FILE:LINE:COLUMN: 发 -> 發 (also 髮)" a place, written out in pieces of bounded size.
class CReviewOutput {
  public:
    explicit CReviewOutput(std::string name) : m_name(std::move(name)) {}

    // Lists the places of one line; columns count characters from 1, those GBK cannot hold included.
    void ReviewLine(TextEncoding encoding, const char* data, std::size_t size,
                    const CTextConversion& conversion, const PhraseTables& forms) {
        ++m_line;
        std::size_t column = 1;  // of the first character of the stretch under review
        text::ForEachStretch(
            encoding, data, size, m_stretch,
            [&](std::size_t, std::size_t, const std::string& gbkText) {
                std::size_t counted = 0;  // the stretch's characters before `counted` have their columns
                std::size_t at = column;
                ForEachReviewPlace(gbkText, conversion, forms, [&](const ReviewPlace& place) {
                    for (; counted < place.offset; ++at) counted += gbk::CharWidth(gbkText, counted);
                    Add(at, place);
                });
                for (; counted < gbkText.size(); ++at) counted += gbk::CharWidth(gbkText, counted);
                column = at;
            },
            [&](std::size_t, std::size_t) { ++column; });
    }

    void Flush() {
        WriteOutput(m_out);
        m_out.clear();
    }

  private:
    void Add(std::size_t column, const ReviewPlace& place) {
        m_out += m_name + ":" + std::to_string(m_line) + ":" + std::to_string(column) + ": " +
                 gbk::Utf8Of(place.character) + " -> " + gbk::Utf8Of(place.chosen) + " (also";
        for (const std::string& other : place.others) m_out += " " + gbk::Utf8Of(other);
        m_out += ")\n";
        if (m_out.size() > 64 * 1024) Flush();
    }

    std::string m_name;
    std::size_t m_line = 0;
    std::string m_stretch;
    std::string m_out;
};

}  // namespace

int RunReview(const ConvertOptions& options, std::string& message) {
    // The forms to choose among come from the phrase file, with or without --phrases.
    CLoadedConversion loaded;
    if (const int refused = loaded.Load(options, message, true)) return refused;
    const CTextConversion& conversion = loaded.Conversion();
    const PhraseTables& phrases = loaded.Phrases();
    const bool standardInput = options.input == "-";
    platform::CTextReader reader;
    if (standardInput) {
        reader.OpenStandardInput();
    } else if (!reader.Open(options.input)) {
        message = OutcomeMessage(FileOutcome::SourceUnreadable, options.input, {});
        return kExitUsage;
    }
    const TextEncoding encoding = ReadEncoding(reader, options.encoding).encoding;
    CReviewOutput output(standardInput ? "-" : options.input);
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        text::ForEachLineOf(encoding, run.data, run.size, [&](std::size_t at, std::size_t size) {
            output.ReviewLine(encoding, run.data + at, size, conversion, phrases);
            return true;
        });
    }
    output.Flush();
    if (reader.Failed()) {
        message = OutcomeMessage(FileOutcome::ReadFailed, options.input, {});
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
