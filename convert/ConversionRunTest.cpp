// ConversionRunTest.cpp: the Start and Stop handlers: checks, resolved paths, button states.
#include <gtest/gtest.h>

#include "convert/ConversionRunFixture.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using namespace convertsupport;
using testsupport::TempDir;
using Texts = std::vector<std::string>;

class ConversionRunTest : public CConversionRunFixture {
  protected:
    ConversionRunTest() { WriteFileBytes(dir.File("a.txt"), kSimplified); }
};

TEST_F(ConversionRunTest, PathsThatStopTheRunBeforeItStarts) {
    const std::string root = dir.path().string().substr(0, 3);
    ASSERT_TRUE(platform::ChangeDirectory(dir.path().string()));
    Start(0, "", dir.File("out.txt"));
    Start(1, dir.File("a.txt"), "");
    Start(0, dir.File("none.txt"), dir.File("out.txt"));
    Start(1, src + "\\", dir.File("out"));
    Start(1, root, dir.File("out"));
    Start(0, dir.File("a.txt"), dir.File("a.txt\\out.txt"));  // its directory would be a file
    Start(1, src, dir.File("out\\"));                         // made, but a final "\" finds nothing
    Start(0, dir.File("a.txt"), dir.File("A.TXT"));
    Start(0, "a.txt", dir.File("A.txt"));  // the source is looked up and made absolute
    WriteFileBytes(dir.File("pic.gif"), "GIF");
    Start(0, dir.File("pic.gif"), dir.File("pic.txt"));
    EXPECT_EQ((Texts{"File path cann't Null!", "File path cann't Null!", "This Path is not exist!",
                     "This Path is not exist!", "This Path is not exist!", "Err:Cann't Create directory!",
                     "Err:Cann't Create directory!", "File path is same!", "File path is same!",
                     "Donn't switch binary file!"}),
              host.messages);
    EXPECT_EQ(Texts{}, host.buttons);
    EXPECT_EQ((Texts{"a.txt", "out", "pic.gif", "src"}), NamesIn(dir.path().string()));
}

TEST_F(ConversionRunTest, SingleFileWithRelativeLoweredDestinationAndEitherDirection) {
    ASSERT_TRUE(platform::ChangeDirectory(dir.path().string()));
    Start(0, "A.txt", "New\\Out.TXT");
    EXPECT_EQ((Texts{"New", "a.txt", "src"}), NamesIn(dir.path().string()));
    EXPECT_EQ(Texts{"out.txt"}, NamesIn(dir.File("New")));  // the file is created under its lowered name
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(dir.File("new\\out.txt")));
    WriteFileBytes(dir.File("t.txt"), kTraditional);
    Start(0, "t.txt", "new\\s.txt", 1);
    EXPECT_EQ(kSimplified + "\r\n", ReadFileBytes(dir.File("new\\s.txt")));
    EXPECT_EQ(Texts{}, host.messages);
    EXPECT_EQ((Texts{"Start off", "Start on", "Stop off", "Start off", "Start on", "Stop off"}),
              host.buttons);
}

TEST_F(ConversionRunTest, BareDestinationNameGoesBesideTheExecutable) {
    const std::string exe = platform::ExecutablePath();
    const std::string exeDir = exe.substr(0, exe.rfind('\\'));
    const std::string name = "Zendrix-Run-" + std::to_string(::GetCurrentProcessId()) + ".TXT";
    std::string lowered = name;
    for (char& c : lowered) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    ASSERT_TRUE(platform::ChangeDirectory(dir.path().string()));
    Start(0, "a.txt", name);
    Texts besideExe = NamesIn(exeDir);
    EXPECT_NE(besideExe.end(), std::find(besideExe.begin(), besideExe.end(), lowered));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(exeDir + "\\" + lowered));
    platform::RemoveFile(exeDir + "\\" + lowered);
    EXPECT_EQ((Texts{"a.txt", "src"}), NamesIn(dir.path().string()));
}

TEST_F(ConversionRunTest, DestinationInADriveRootNeedsADriveCurrentDirectoryBelowTheRoot) {
    const std::string drive = dir.path().string().substr(0, 2);
    ASSERT_TRUE(platform::ChangeDirectory(drive + "\\"));
    Start(0, dir.File("a.txt"), drive + "\\zendrix-root.txt");
    EXPECT_EQ(Texts{"Err:Cann't Create directory!"}, host.messages);
}

TEST_F(ConversionRunTest, SingleFileFromADirectoryFailsToOpen) {
    Start(0, src, dir.File("x\\x.txt"));
    EXPECT_EQ(Texts{"Open File occur Err!"}, host.messages);
    EXPECT_EQ(kSingleRun, host.buttons);
}

TEST_F(ConversionRunTest, SourceUnderAnotherSpellingSurvivesYes) {
    ASSERT_TRUE(platform::ChangeDirectory(src));
    Start(0, dir.File("a.txt"), "..\\A.txt");  // relative: not recognised as the same text
    EXPECT_EQ(1u, host.questions.size());
    EXPECT_EQ(Texts{"Create File occur Err!"}, host.messages);
    EXPECT_EQ(kSimplified, ReadFileBytes(dir.File("a.txt")));
}

TEST_F(ConversionRunTest, BatchIntoNewDirectoryAndFromAFile) {
    WriteFileBytes(src + "\\B.TXT", kSimplified);
    Start(1, src, dir.File("New\\Dir"));
    EXPECT_EQ(Texts{"B.TXT"}, NamesIn(dir.File("new\\dir")));  // names found on disk keep their case
    EXPECT_EQ(kBatchRun, host.buttons);

    host.buttons.clear();
    Start(1, dir.File("a.txt"), dir.File("out2"));
    EXPECT_EQ(Texts{}, NamesIn(dir.File("out2")));
    EXPECT_EQ(kBatchRun, host.buttons);
    EXPECT_EQ(Texts{}, host.messages);
}

// "转换文件名": a name that converted would be no valid file name keeps its own, and the batch says which at
// its end.
TEST_F(ConversionRunTest, ABatchConvertingNamesKeepsAndNamesTheOnesWindowsWouldRefuse) {
    const CharTables colon("\xba\xba\xbc\xf2", ":x\xba\x86");  // 汉 becomes ":x", 简 becomes 簡
    CTablesRun run{colon, host};
    const std::string han = "\xe6\xb1\x89.txt";  // 汉.txt
    WriteFileBytes(src + "\\" + han, "abc\r\n");
    WriteFileBytes(src + "\\\xe7\xae\x80.txt", "abc\r\n");  // 简.txt
    run.OnStart(RunMode::Batch, src, dir.File("out"), Direction::ToTraditional, true);
    EXPECT_EQ((Texts{han, "\xe7\xb0\xa1.txt"}), NamesIn(dir.File("out")));  // 汉.txt and 簡.txt
    std::string lowered = src;  // as the window lowers the paths it is given
    for (char& c : lowered) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    EXPECT_EQ(Texts{"These files kept their own names, which converted would not be valid file names:\n" +
                    lowered + "\\" + han},
              host.messages);
}

TEST_F(ConversionRunTest, StoppedBatchShowsIdleAtOnceAndTheNextRunConvertsEverything) {
    for (int i = 0; i < 10; ++i) WriteFileBytes(src + "\\f" + std::to_string(i) + ".txt", kSimplified);
    Texts buttonsAtStop;
    host.onDispatch = [&](int count) {
        if (count != 3) return;
        conversion.OnStop();
        buttonsAtStop = host.buttons;
    };
    Start(1, src, dir.File("out"));
    EXPECT_EQ((Texts{"Start off", "Stop on", "Start on", "Stop off"}), buttonsAtStop);
    EXPECT_EQ(3u, NamesIn(dir.File("out")).size());

    host.onDispatch = nullptr;
    Start(1, src, dir.File("out"));
    EXPECT_EQ(10u, NamesIn(dir.File("out")).size());
    EXPECT_EQ(3u, host.questions.size());  // the three converted before the stop
    EXPECT_EQ(Texts{}, host.messages);
}

}  // namespace
