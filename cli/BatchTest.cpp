// BatchTest.cpp: zendrix-convert --batch run as a program on real folder trees.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "CliRun.hpp"
#include "core/CharTables.hpp"
#include "tests/support/TempDir.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

using namespace clitest;  // NOLINT: the helpers are this file's vocabulary
namespace fs = std::filesystem;
using testsupport::TempDir;

#ifdef _WIN32
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif

// A relative path as the converter prints it.
std::string P(std::initializer_list<std::string> parts) {
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : kSep) + part;
    return path;
}

const std::string kInput = "\xbc\xd7\xd2\xd2\r\nabc\n";            // 甲乙
const std::string kConverted = "\xb1\xfb\xb1\xfb\r\nabc\r\n";      // 丙丙, through the chain table
const std::string kOther = "\xd2\xd2\n";                           // 乙
const std::string kOtherConverted = "\xb1\xfb\r\n";                // 丙
const std::string kChain = Read(kGolden / "input" / "chain.txt");  // and its golden result
const std::string kChainConverted = Read(kGolden / "expected" / "chain.to-traditional.txt");

// Every file below folder (links not followed) with its bytes, by relative path; folders map to "<folder>".
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const fs::file_status status = it->symlink_status();
        const std::string name = Utf8Name(it->path().lexically_relative(folder));
        if (fs::is_directory(status)) {
            files[name] = "<folder>";
        } else if (fs::is_regular_file(status)) {
            files[name] = Read(it->path());
        }
    }
    return files;
}

// The last line of text, without its line break.
std::string LastLine(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    const std::size_t newline = text.rfind('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

// src/ holding eligible files at several depths, a collision, files the default filter refuses, and the chain
// table beside it.
struct Tree {
    Tree() : src(dir.path() / "src") {
        for (const char* sub : {"sub/deep", "x", "y", "my.site"}) fs::create_directories(src / sub);
        Write(src / "a.txt", kInput);
        Write(src / "Makefile", kChain);
        Write(src / "page.HTM", kInput);  // .htm lies inside *.html
        Write(src / "pic.gif", kInput);
        Write(src / "m.min.js", kInput);
        Write(src / "sub" / "b.txt", kChain);
        Write(src / "sub" / "deep" / "c.h", "");
        Write(src / "x" / "n.txt", kInput);
        Write(src / "y" / "n.txt", kOther);
        Write(src / "my.site" / "d.txt", kChain);  // judged by .txt, not by the folder's dot
        fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
    }
    Result Batch(const std::string& dest, std::vector<std::string> extra = {}, long fileSizeLimit = 0) {
        std::vector<std::string> args{
            "--to-traditional", "--encoding=gbk", "--table", "chain.tbl", "--batch", "src", dest};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunConverter(dir.path(), args, fileSizeLimit);
    }
    // What DEST holds after converting the tree once: seven files, y/n.txt skipped as the second n.txt.
    static std::map<std::string, std::string> Expected() {
        return {{"Makefile", kChainConverted}, {"a.txt", kConverted}, {"b.txt", kChainConverted}, {"c.h", ""},
                {"d.txt", kChainConverted},    {"n.txt", kConverted}, {"page.HTM", kConverted}};
    }
    TempDir dir;
    fs::path src;
};

// --- Conversions
// --------------------------------------------------------------------------------------------

TEST(BatchTest, EveryEligibleFileAtAnyDepthLandsInDestUnderItsOwnName) {
    Tree t;
    const auto before = Snapshot(t.src);
    const Result run = t.Batch(P({"new", "out"}), {"--verbose"});  // missing parent levels are created
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("", run.err);  // no progress line when stderr is no terminal
    EXPECT_EQ(Tree::Expected(), Snapshot(t.dir.path() / "new" / "out"));
    EXPECT_EQ(before, Snapshot(t.src));

    const std::string out = P({"new", "out"});
    for (const std::string& line :
         {"converted " + P({"src", "sub", "deep", "c.h"}) + " -> " + P({out, "c.h"}) + " (GBK)\n",
          "converted " + P({"src", "x", "n.txt"}) + " -> " + P({out, "n.txt"}) + " (GBK)\n",
          "skipped " + P({"src", "y", "n.txt"}) + ": same name as " + P({"src", "x", "n.txt"}) +
              ", converted into " + P({out, "n.txt"}) + " in this run\n",
          "passed over " + P({"src", "pic.gif"}) + " (not admitted by the filter)\n",
          "passed over " + P({"src", "m.min.js"}) + " (not admitted by the filter)\n"}) {
        EXPECT_NE(std::string::npos, run.out.find(line)) << line << "in\n" << run.out;
    }
    EXPECT_EQ("converted 7, skipped 1, failed 0", LastLine(run.out));
}

TEST(BatchTest, ExistingOutputsAreSkippedUntilForcedAndAFileIsNeverConvertedOntoItself) {
    Tree t;
    ASSERT_EQ(0, t.Batch("out").code);
    Write(t.dir.path() / "out" / "a.txt", "older");
    // A hard link of a source file in DEST: replacing it would convert the file onto itself.
    Write(t.src / "h.txt", kInput);
#ifdef _WIN32
    ASSERT_TRUE(::CreateHardLinkW((t.dir.path() / "out" / "h.txt").wstring().c_str(),
                                  (t.src / "h.txt").wstring().c_str(), nullptr));
#else
    fs::create_hard_link(t.src / "h.txt", t.dir.path() / "out" / "h.txt");
#endif
    const auto before = Snapshot(t.src);

    Result run = t.Batch("out", {"--verbose"});
    EXPECT_EQ(0, run.code) << run.err;  // skipping is no failure
    EXPECT_EQ("converted 0, skipped 9, failed 0", LastLine(run.out));
    EXPECT_NE(std::string::npos, run.out.find("skipped " + P({"src", "a.txt"}) + ": the output '" +
                                              P({"out", "a.txt"}) + "' exists already (--force replaces it)"))
        << run.out;
    EXPECT_EQ("older", Read(t.dir.path() / "out" / "a.txt"));

    // --force replaces what was there before the run, never what the run itself wrote: the second n.txt stays
    // skipped, and the first one's output stays on disk.
    run = t.Batch("out", {"--force", "--verbose"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("converted 7, skipped 2, failed 0", LastLine(run.out));
    EXPECT_NE(std::string::npos, run.out.find("skipped " + P({"src", "h.txt"}) + ": the output '" +
                                              P({"out", "h.txt"}) + "' is the input file itself"))
        << run.out;
    EXPECT_NE(std::string::npos, run.out.find("skipped " + P({"src", "y", "n.txt"}) + ": same name as"));
    auto expected = Tree::Expected();
    expected["h.txt"] = kInput;  // the source itself, untouched
    EXPECT_EQ(expected, Snapshot(t.dir.path() / "out"));
    EXPECT_EQ(before, Snapshot(t.src));
}

TEST(BatchTest, DestInsideSourceIsNeverEnteredNotEvenOnASecondRun) {
    Tree t;
    const std::string dest = P({"src", "new", "out"});
    Result run = t.Batch(dest);
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("converted 7, skipped 1, failed 0\n", run.out);  // without --verbose: the summary only
    // ... and on stderr the one file of SOURCE that has no output of its own.
    EXPECT_EQ("zendrix-convert: skipped " + P({"src", "y", "n.txt"}) + ": same name as " +
                  P({"src", "x", "n.txt"}) + ", converted into " + P({dest, "n.txt"}) + " in this run\n",
              run.err);
    // Had the walk entered DEST, its seven outputs would now be inputs: skipped as themselves, or converted
    // again.
    run = t.Batch(dest, {"--force", "--verbose"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("converted 7, skipped 1, failed 0", LastLine(run.out));
    EXPECT_NE(std::string::npos, run.out.find("not entered: " + dest + " (the destination folder)\n"));
    EXPECT_EQ(Tree::Expected(), Snapshot(t.src / "new" / "out"));
    EXPECT_EQ(std::vector<std::string>{"out"}, Listing(t.src / "new"));
}

TEST(BatchTest, TheFilterDecidesAsInTheWindow) {
    Tree t;
    // .min.js is admitted by name; .gif stays refused as a binary type whatever the filter says.
    Result run = t.Batch("out", {"--filter", "*.min.js;*.gif"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ((std::vector<std::string>{"Makefile", "m.min.js"}), Listing(t.dir.path() / "out"));
    EXPECT_EQ(kConverted, Read(t.dir.path() / "out" / "m.min.js"));
    // An empty filter admits only names without an extension; ".txt" admits no .txt (its offset is 0).
    for (const char* filter : {"--filter=", "--filter=.txt"}) {
        TempDir other;
        run = t.Batch((other.path() / "out").string(), {filter});
        EXPECT_EQ(0, run.code) << run.err;
        EXPECT_EQ("converted 1, skipped 0, failed 0\n", run.out) << filter;
        EXPECT_EQ(std::vector<std::string>{"Makefile"}, Listing(other.path() / "out"));
    }
}

// --- Bad use
// ------------------------------------------------------------------------------------------------

TEST(BatchUsageTest, BadUseIsRefusedWithExitCode2AndWritesNothing) {
    Tree t;
    Write(t.dir.path() / "file.txt", "x");
    const auto before = Snapshot(t.dir.path());
    const std::vector<std::string> tt{"--to-traditional", "--encoding=gbk", "--table", "chain.tbl"};
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases{
        {{"--batch", "missing", "out"}, "the source 'missing' is not a folder"},
        {{"--batch", "file.txt", "out"}, "the source 'file.txt' is not a folder"},
        {{"--batch", "src", "file.txt"}, "the destination 'file.txt' exists and is not a folder"},
        {{"--batch", "src", "src"}, "the destination 'src' is the source folder itself"},
        {{"--batch", "src", P({"src", "sub", ".."})},
         "the destination '" + P({"src", "sub", ".."}) + "' is the source"},
        {{"--batch", "src"}, "missing DEST"},
        {{"--batch", "src", "out", "more"}, "one SOURCE and one DEST only; unexpected 'more'"},
        {{"--filter", "*.txt", "file.txt", "out.txt"}, "--filter works with --batch only"},
        {{"--batch", "-", "out"}, "--batch works with folders, not with '-'"},
        {{"--batch", "src", "out", "--encoding", "latin1"}, "--encoding takes auto, gbk, big5, utf-8"},
        {{"--batch", "src", "out", "--filter"}, "--filter needs a TEXT"},
        {{"--batch", "src", "out", "--table", "file.txt"}, "'file.txt' is not a Zendrix character table"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = tt;
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(::testing::PrintToString(args));
        const Result run = RunConverter(t.dir.path(), args);
        EXPECT_EQ(2, run.code);
        EXPECT_EQ("", run.out);
        EXPECT_NE(std::string::npos, run.err.find("zendrix-convert: " + c.says)) << run.err;
    }
    EXPECT_EQ(before, Snapshot(t.dir.path()));

    // A DEST that cannot be created is found before anything is written: bad use too.
    const Result run = t.Batch(P({"file.txt", "out"}));
    EXPECT_EQ(2, run.code);
    EXPECT_NE(std::string::npos, run.err.find("cannot create the destination folder")) << run.err;
    EXPECT_EQ(before, Snapshot(t.dir.path()));
}

// --- Failures, links and the terminal
// -----------------------------------------------------------------------

#ifndef _WIN32
TEST(BatchFailureTest, FailingFilesLinksAndPipesDoNotStopTheRun) {
    Tree t;
    fs::remove_all(t.src);
    fs::create_directories(t.src / "sub");
    fs::create_directories(t.dir.path() / "elsewhere");
    Write(t.dir.path() / "elsewhere" / "e.txt", kInput);
    std::string big;
    for (int i = 0; i < 1000; ++i) big += "\xbc\xd7 line " + std::to_string(i) + "\n";
    Write(t.src / "a.txt", kInput);
    fs::create_symlink("/proc/self/mem", t.src / "b.txt");  // opens, then every read fails
    Write(t.src / "c.txt", big);                            // beyond the file size limit: the write fails
    Write(t.src / "d.txt", kInput);
    Write(t.src / "sub" / "f.txt", kOther);
    fs::create_symlink(".", t.src / "loop");
    fs::create_symlink("../elsewhere", t.src / "outside");
    fs::create_symlink("nothing-here.txt", t.src / "dangling.txt");
    fs::create_symlink("a.txt", t.src / "alias.txt");  // a link to a file is converted like the file
    ASSERT_EQ(0, ::mkfifo((t.src / "fifo.txt").c_str(), 0644));
    const auto before = Snapshot(t.src);

    const Result run = t.Batch("out", {"--verbose"}, 4096);
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("converted 4, skipped 2, failed 2", LastLine(run.out)) << run.out;
    EXPECT_NE(std::string::npos, run.err.find("zendrix-convert: reading 'src/b.txt' failed")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("zendrix-convert: writing 'out/c.txt' failed")) << run.err;
    for (const char* line :
         {"not followed: src/loop (a link to a folder)\n", "not followed: src/outside (",
          "skipped src/fifo.txt: not a regular file", "skipped src/dangling.txt: not a regular file"}) {
        EXPECT_NE(std::string::npos, run.out.find(line)) << line;
    }
    // The failures left nothing behind, not even a temporary file, and the files after them were converted.
    EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", kConverted},
                                                  {"alias.txt", kConverted},
                                                  {"d.txt", kConverted},
                                                  {"f.txt", kOtherConverted}}),
              Snapshot(t.dir.path() / "out"));
    EXPECT_EQ(before, Snapshot(t.src));
}

// Runs the converter with stderr on a new pseudo-terminal and stdout in a file; returns what each received.
Result RunOnTerminal(const fs::path& folder, const std::vector<std::string>& args) {
    Result result;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return result;
    const std::string terminal = ::ptsname(master);
    TempDir capture;
    const std::string outPath = capture.File("stdout");
    std::vector<std::string> strings{kConverter.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        const int err = ::open(terminal.c_str(), O_RDWR);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || out < 0 || ::dup2(err, 2) < 0 || ::dup2(out, 1) < 0 || ::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    char buffer[4096];
    for (;;) {  // until the child's side is closed (EIO)
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0) {
            result.err.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.code = WEXITSTATUS(status);
    ::close(master);
    result.out = Read(outPath);
    return result;
}

TEST(BatchTerminalTest, AProgressLineIsShownOnATerminalAndClearedBeforeTheSummary) {
    Tree t;
    const Result run = RunOnTerminal(t.dir.path(), {"--to-traditional", "--encoding=gbk", "--table",
                                                    "chain.tbl", "--batch", "src", "out", "--verbose"});
    EXPECT_EQ(0, run.code);
    for (const char* progress :
         {"\rconverted 1, skipped 0, failed 0", "\rconverted 7, skipped 1, failed 0"}) {
        EXPECT_NE(std::string::npos, run.err.find(progress)) << ::testing::PrintToString(run.err);
    }
    // The line is blanked at the end, so the terminal keeps no stale counts.
    const std::string blank = "\r" + std::string(32, ' ') + "\r";
    EXPECT_EQ(run.err.size() - blank.size(), run.err.rfind(blank)) << ::testing::PrintToString(run.err);
    EXPECT_EQ("converted 7, skipped 1, failed 0", LastLine(run.out));
}
#else
TEST(BatchFailureTest, AFileInUseFailsWithoutStoppingTheRunAndNamesOutsideGbkWork) {
    Tree t;
    fs::remove_all(t.src);
    fs::create_directories(t.src);
    Write(t.src / "a.txt", kInput);
    Write(t.src / "b.txt", kInput);
    Write(t.src / L"\uD55C\U0001F600.txt", kInput);  // no GBK form for either character
    Write(t.src / "c.txt", kOther);
    HANDLE held = ::CreateFileW((t.src / "b.txt").wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const Result run = t.Batch("out");
    ::CloseHandle(held);
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("converted 3, skipped 0, failed 1\n", run.out);
    EXPECT_NE(std::string::npos, run.err.find("cannot open the input 'src\\b.txt'")) << run.err;
    const std::map<std::string, std::string> expected{
        {"a.txt", kConverted}, {"c.txt", kOtherConverted}, {"한😀.txt", kConverted}};
    EXPECT_EQ(expected, Snapshot(t.dir.path() / "out"));
    EXPECT_EQ(kInput, Read(t.src / "b.txt"));
}
#endif

}  // namespace

namespace {

// --convert-names: outputs named by the conversion of their inputs' names; two that convert alike meet as any
// two outputs of one name; a converted name Windows would refuse is not taken.
TEST(BatchNamesTest, NamesConvertWithTheTextAndKeepWhatWindowsWouldRefuse) {
    TempDir dir;
    const fs::path src = dir.path() / "src";
    fs::create_directories(src / "sub");
    Write(src / FsPath("简体说明.txt"), "简体\n");
    Write(src / FsPath("发.txt"), "发\n");
    Write(src / "sub" / FsPath("發.txt"), "發\n");
    Result run = RunConverter(dir.path(), {"--to-traditional", "--batch", "--convert-names", "src", "out"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ((std::vector<std::string>{"發.txt", "簡體說明.txt"}), Listing(dir.path() / "out"));
    EXPECT_EQ("簡體\r\n", Read(dir.path() / "out" / FsPath("簡體說明.txt")));
    EXPECT_NE(std::string::npos, run.out.find("converted 2, skipped 1, failed 0")) << run.out;
    // A table that turns 汉 into ":x": the name 汉.txt would become :x.txt, so it keeps its own.
    Write(dir.path() / "colon.tbl", "\xba\xba\r\n" + std::string(kTableBanner) + "\r\n:x\r\n");
    fs::remove_all(src);
    fs::create_directories(src);
    Write(src / FsPath("汉.txt"), "abc\n");
    run = RunConverter(dir.path(), {"--to-traditional", "--table", "colon.tbl", "--batch", "--convert-names",
                                    "src", "out2"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(std::vector<std::string>{"汉.txt"}, Listing(dir.path() / "out2"));
    EXPECT_NE(std::string::npos, run.err.find("kept its name")) << run.err;
    EXPECT_EQ(2, RunConverter(dir.path(), {"--to-traditional", "--convert-names", "a", "b"}).code);
#ifndef _WIN32
    // 250 bytes of 内存, which Taiwan writes 記憶體: 369 bytes converted, more than a name may have here.
    std::string memory;
    for (int k = 0; k < 41; ++k) memory += "\xe5\x86\x85\xe5\xad\x98";
    fs::remove_all(src);
    fs::create_directories(src);
    Write(src / (memory + ".txt"), "\xe5\x86\x85\xe5\xad\x98\n");
    run = RunConverter(dir.path(), {"--config", "s2twp", "--batch", "--convert-names", "src", "out3"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(std::vector<std::string>{memory + ".txt"}, Listing(dir.path() / "out3"));
    EXPECT_EQ("\xe8\xa8\x98\xe6\x86\xb6\xe9\xab\x94\r\n", Read(dir.path() / "out3" / (memory + ".txt")));
    EXPECT_NE(std::string::npos, run.err.find("too long for a file name")) << run.err;
    // A name with an escape sequence in it is said as any name is, escaped, not played on the terminal.
    fs::remove_all(src);
    fs::create_directories(src);
    Write(src / "\xe6\xb1\x89\x1b[2J.txt", "abc\n");
    run = RunConverter(dir.path(), {"--to-traditional", "--table", "colon.tbl", "--batch", "--convert-names",
                                    "src", "out4"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("\\x1B[2J.txt: kept its name: converted it would be :x\\x1B"))
        << run.err;
    EXPECT_EQ(std::string::npos, run.err.find('\x1b')) << run.err;
    // Names in GBK bytes, as an old archive leaves them here: which characters they are is not known, so they
    // keep their names, and that is said; the text converts.
    fs::remove_all(src);
    fs::create_directories(src);
    Write(src / "\xb7\xa2.txt", "\xe5\x8f\x91\n");
    Write(src / "\xe5\x8f\x91\xb7\xa2.txt", "\xe5\x8f\x91\n");
    run = RunConverter(dir.path(), {"--to-traditional", "--batch", "--convert-names", "src", "out5"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ((std::vector<std::string>{"\xb7\xa2.txt", "\xe5\x8f\x91\xb7\xa2.txt"}),
              Listing(dir.path() / "out5"));
    EXPECT_EQ("\xe7\x99\xbc\r\n", Read(dir.path() / "out5" / "\xb7\xa2.txt"));
    for (const std::string name : {"\\xB7\\xA2.txt", "\xe5\x8f\x91\\xB7\\xA2.txt"})
        EXPECT_NE(std::string::npos, run.err.find(name + ": kept its name: it is not UTF-8")) << run.err;
#endif
}

}  // namespace
