// FaultBatchTest.cpp: a Stop in the middle of a large batch.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "convert/ConvertTestSupport.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using namespace convertsupport;
using testsupport::TempDir;
using Texts = std::vector<std::string>;

// Wine searches the whole folder for every new name, so a batch costs the square of its size: 20,000 files
// took 13 minutes there (4 of them to make the files), 5,000 take half a minute.
constexpr int kFiles = 5000;
constexpr int kStopAfter = 2000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(FaultBatchTest, StopInTheMiddleOfFiveThousandFiles) {
    TempDir dir;
    const std::string src = dir.File("src"), out = dir.File("out");
    ASSERT_TRUE(platform::MakeDirectory(src));
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFiles; ++i) {
        ASSERT_TRUE(
            WriteFileBytes(src + "\\f" + std::to_string(i) + ".txt", kSimplified + std::to_string(i)));
    }
    std::printf("%d files made in %.1f s\n", kFiles, SecondsSince(start));

    CharTables tables = SmallTables();
    CRecordingHost host;
    CTablesRun conversion{tables, host};
    host.onDispatch = [&](int count) {
        if (count == kStopAfter) conversion.OnStop();
    };
    start = std::chrono::steady_clock::now();
    conversion.OnStart(RunMode::Batch, src, out);
    std::printf("stopped run: %.1f s\n", SecondsSince(start));
    EXPECT_EQ(kStopAfter, host.dispatches);  // nothing examined after the stop
    const Texts converted = NamesIn(out);
    ASSERT_EQ(static_cast<std::size_t>(kStopAfter), converted.size());
    int right = 0;
    for (const std::string& name : converted) {
        const std::string number = name.substr(1, name.size() - 5);  // f<number>.txt
        right += ReadFileBytes(out + "\\" + name) == kTraditional + number + "\r\n";
    }
    EXPECT_EQ(kStopAfter, right);
    EXPECT_EQ((Texts{"Start off", "Stop on", "Start on", "Stop off", "Start on", "Stop off"}), host.buttons);

    // The next run starts afresh: every file again, the ones converted before after a question each.
    host.onDispatch = nullptr;
    host.dispatches = 0;
    start = std::chrono::steady_clock::now();
    conversion.OnStart(RunMode::Batch, src, out);
    std::printf("full run: %.1f s\n", SecondsSince(start));
    EXPECT_EQ(kFiles, host.dispatches);
    EXPECT_EQ(static_cast<std::size_t>(kFiles), NamesIn(out).size());
    EXPECT_EQ(static_cast<std::size_t>(kStopAfter), host.questions.size());
    EXPECT_EQ(Texts{}, host.messages);
    EXPECT_EQ(kTraditional + "4999\r\n", ReadFileBytes(out + "\\f4999.txt"));
}

}  // namespace
