// CliTest.cpp: zendrix-convert run as a program: the golden files, bad use, and failures in the middle.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.hpp"
#include "Options.hpp"
#include "tests/support/TempDir.hpp"

#ifdef _WIN32
#include <windows.h>

#include "platform/CodePage.hpp"
#endif

namespace {

using namespace clitest;  // NOLINT: the helpers are this file's vocabulary
namespace fs = std::filesystem;
using testsupport::TempDir;

// --- Golden files
// -------------------------------------------------------------------------------------------

struct GoldenCase {
    std::string input;
    std::string direction;
    std::string table;  // "-": the shipped table, found beside the executable
    std::string expected;
    std::string notice;  // "-", or "offset-N": stderr reports a 0x1A byte at offset N
};

std::vector<GoldenCase> GoldenCases() {
    std::ifstream manifest(kGolden / "cases.txt");
    std::vector<GoldenCase> cases;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        GoldenCase c;
        if (fields >> c.input >> c.direction >> c.table >> c.expected >> c.notice) cases.push_back(c);
    }
    return cases;
}

TEST(CliGoldenTest, EveryCaseGivesTheExpectedBytesAndLeavesTheInputAlone) {
    const std::vector<GoldenCase> cases = GoldenCases();
    ASSERT_GE(cases.size(), 22u) << "cases.txt not found or incomplete in " << kGolden.string();
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.input + " " + c.direction + " " + c.table);
        const std::string input = Read(kGolden / "input" / c.input);
        const std::string expected = Read(kGolden / "expected" / c.expected);
        ASSERT_TRUE(fs::exists(kGolden / "expected" / c.expected));
        TempDir
            dir;  // also the converter's current folder: the shipped table must be found beside the program
        Write(dir.path() / "in.txt", input);
        std::vector<std::string> args;
        for (std::size_t start = 0, comma; start <= c.direction.size(); start = comma + 1) {
            comma = std::min(c.direction.find(',', start), c.direction.size());
            args.push_back(c.direction.substr(start, comma - start));
        }
        args.insert(args.end(), {"in.txt", "out.txt"});
        if (c.table != "-") {
            fs::copy_file(kGolden / "tables" / c.table, dir.path() / "table.tbl");
            args.insert(args.begin(), {"--table", "table.tbl"});
        }
        const Result run = RunConverter(dir.path(), args);
        EXPECT_EQ(0, run.code) << run.err;
        if (c.notice == "-") {
            EXPECT_EQ("", run.err);
        } else {
            EXPECT_NE(std::string::npos, run.err.find("a 0x1A byte at offset " + c.notice.substr(7)))
                << run.err;
        }
        EXPECT_EQ(expected, Read(dir.path() / "out.txt"));
        EXPECT_EQ(input, Read(dir.path() / "in.txt"));
    }
}

TEST(CliGoldenTest, ChineseFileNamesAndAnAbsoluteTablePath) {
    TempDir dir;
    const std::string input = "简体.txt";
    const std::string output = "繁體😀.txt";  // also outside GBK
    Write(dir.path() / FsPath(input), Read(kGolden / "input" / "chain.txt"));
    const std::string table = (dir.path() / "chain.tbl").string();
    fs::copy_file(kGolden / "tables" / "chain.tbl", table);
    const Result run =
        RunConverter(dir.path(), {"--table=" + table, "--to-traditional", "--encoding=gbk", input, output});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(Read(kGolden / "expected" / "chain.to-traditional.txt"), Read(dir.path() / FsPath(output)));
}

// --- Bad use
// ------------------------------------------------------------------------------------------------

const std::string kInput = "\xbc\xd7\xd2\xd2\r\nabc\n";  // 甲乙

// A folder holding in.txt, the chain table and a folder named sub.
struct Workspace {
    Workspace() {
        Write(dir.path() / "in.txt", kInput);
        fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
        fs::create_directory(dir.path() / "sub");
    }
    // Runs the converter and checks the exit code, that stderr names the problem, and that in.txt is intact.
    void ExpectRefused(const std::vector<std::string>& args, int code, const std::string& says) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Result run = RunConverter(dir.path(), args);
        EXPECT_EQ(code, run.code);
        EXPECT_EQ(0u, run.err.rfind("zendrix-convert: ", 0)) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(says)) << run.err;
        EXPECT_EQ(kInput, Read(dir.path() / "in.txt"));
    }
    TempDir dir;
};

TEST(CliUsageTest, BadArgumentsAreRefusedWithExitCode2) {
    Workspace w;
    const std::string tt = "--to-traditional";
    w.ExpectRefused({}, 2, "no arguments; usage: zendrix-convert --to-traditional|");
    w.ExpectRefused({tt}, 2, "missing INPUT and OUTPUT");
    w.ExpectRefused({tt, "in.txt"}, 2, "missing OUTPUT");
    w.ExpectRefused({tt, "in.txt", "a.txt", "b.txt"}, 2, "unexpected 'b.txt'");
    w.ExpectRefused({"in.txt", "out.txt"}, 2, "choose a direction");
    w.ExpectRefused({tt, "--to-simplified", "in.txt", "out.txt"}, 2, "one direction only");
    w.ExpectRefused({"--to-tradition", "in.txt", "out.txt"}, 2, "unknown option '--to-tradition'");
    w.ExpectRefused({tt, "in.txt", "out.txt", "--table"}, 2, "--table needs a FILE");
    w.ExpectRefused({tt, "in.txt", ""}, 2, "empty file name");
    EXPECT_EQ((std::vector<std::string>{"chain.tbl", "in.txt", "sub"}), Listing(w.dir.path()));
}

TEST(CliUsageTest, MissingInputsAndBadTablesAreRefusedBeforeAnythingIsWritten) {
    Workspace w;
    const std::string tt = "--to-traditional";
    w.ExpectRefused({tt, "--table", "chain.tbl", "missing.txt", "out.txt"}, 2,
                    "cannot open the input 'missing.txt'");
    w.ExpectRefused({tt, "--table", "chain.tbl", "sub", "out.txt"}, 2, "cannot open the input 'sub'");
    w.ExpectRefused({tt, "--table", "nothere.tbl", "in.txt", "out.txt"}, 2, "cannot open the table file");
    w.ExpectRefused({tt, "--table", "sub", "in.txt", "out.txt"}, 2, "cannot open the table file 'sub'");
    // One trailing blank after the banner, or a file of one line only: not a table.
    std::string table = Read(w.dir.path() / "chain.tbl");
    table.insert(table.find("Traditional") + 11, " ");
    Write(w.dir.path() / "blank.tbl", table);
    w.ExpectRefused({tt, "--table", "blank.tbl", "in.txt", "out.txt"}, 2, "is not a Zendrix character table");
    w.ExpectRefused({tt, "--table", "in.txt", "in.txt", "out.txt"}, 2, "'in.txt' is not a Zendrix");
    EXPECT_FALSE(fs::exists(w.dir.path() / "out.txt"));
}

TEST(CliUsageTest, AnExistingOutputNeedsForceAndIsNeverTheInput) {
    Workspace w;
    const std::string tt = "--to-traditional";
    Write(w.dir.path() / "out.txt", "older");
    w.ExpectRefused({tt, "--table", "chain.tbl", "in.txt", "out.txt"}, 2, "'out.txt' exists already");
    EXPECT_EQ("older", Read(w.dir.path() / "out.txt"));
    w.ExpectRefused({"--force", tt, "--table", "chain.tbl", "in.txt", "sub"}, 2, "is a folder");

    // The input itself, under every spelling the system allows, even with --force.
    std::vector<std::string> spellings{"in.txt", "./in.txt", "sub/../in.txt",
                                       (w.dir.path() / "in.txt").string()};
#ifdef _WIN32
    spellings.insert(spellings.end(), {"IN.TXT", "sub\\..\\In.Txt", ".\\\\in.txt"});
    ASSERT_TRUE(::CreateHardLinkW((w.dir.path() / "hard.txt").wstring().c_str(),
                                  (w.dir.path() / "in.txt").wstring().c_str(), nullptr));
#else
    spellings.push_back(".//in.txt");
    fs::create_hard_link(w.dir.path() / "in.txt", w.dir.path() / "hard.txt");
    fs::create_symlink("in.txt", w.dir.path() / "link.txt");
    spellings.push_back("link.txt");
#endif
    spellings.push_back("hard.txt");
    for (const std::string& output : spellings) {
        w.ExpectRefused({"--force", tt, "--table", "chain.tbl", "in.txt", output}, 2,
                        "is the input file itself");
    }

    const Result forced =
        RunConverter(w.dir.path(), {"--force", tt, "--table", "chain.tbl", "in.txt", "out.txt"});
    EXPECT_EQ(0, forced.code) << forced.err;
    EXPECT_EQ("\xb1\xfb\xb1\xfb\r\nabc\r\n",
              Read(w.dir.path() / "out.txt"));  // 甲乙 -> 丙丙 through the chain
}

TEST(CliUsageTest, HelpDocumentsEveryOptionAndTheExitCodes) {
    TempDir dir;
    const Result run = RunConverter(dir.path(), {"--help"});
    EXPECT_EQ(0, run.code);
    for (const char* word : {"--to-traditional",
                             "--to-simplified",
                             "--table FILE",
                             "--force",
                             "Exit codes",
                             "  0  ",
                             "  1  ",
                             "  2  ",
                             "CR LF",
                             "0x1A",
                             "--batch",
                             "--filter TEXT",
                             "--verbose",
                             "*.txt;*.asp;*.php",
                             "converted N, skipped N, failed N",
                             "--encoding E",
                             "UTF-16LE (FF FE)",
                             "byte order mark",
                             "--version",
                             "standard input"}) {
        EXPECT_NE(std::string::npos, run.out.find(word)) << word;
    }
}

TEST(CliUsageTest, OptionsMayComeInAnyOrderAndDoubleDashEndsThem) {
    cli::ConvertOptions options;
    std::string error;
    ASSERT_TRUE(
        cli::ParseArguments({"a", "--force", "--to-simplified", "--table=t", "--", "-b"}, options, error));
    EXPECT_TRUE(options.direction == Direction::ToSimplified);
    EXPECT_TRUE(options.force);
    EXPECT_EQ("t", options.table);
    EXPECT_EQ("a", options.input);
    EXPECT_EQ("-b", options.output);
    ASSERT_TRUE(cli::ParseArguments({"--to-traditional", "-", "--to-traditional", "x"}, options, error));
    EXPECT_TRUE(options.direction == Direction::ToTraditional);
    EXPECT_EQ("-", options.input);  // a lone dash is a name
    EXPECT_FALSE(cli::ParseArguments({"--to-simplified", "--table=", "a", "b"}, options, error));
}

#ifdef _WIN32
TEST(CliUsageTest, NamesThatGbkCannotHoldWorkFromTheWideCommandLine) {
    Workspace w;
    // U+D55C and U+1F600 have no GBK form.
    for (const std::wstring& name : {std::wstring(L"\uD55C.txt"), std::wstring(L"\U0001F600.txt")}) {
        const Result run =
            RunConverterWide(w.dir.path(), {L"--to-traditional", L"--table", L"chain.tbl", L"in.txt", name});
        EXPECT_EQ(0, run.code) << run.err;
        EXPECT_EQ("\xb1\xfb\xb1\xfb\r\nabc\r\n", Read(w.dir.path() / name));
    }
}
#endif

// --- Failures in the middle
// ---------------------------------------------------------------------------------

TEST(CliUsageTest, AMissingOutputFolderIsBadUseAndNamesTheFolder) {
    Workspace w;
    w.ExpectRefused({"--to-traditional", "--table", "chain.tbl", "in.txt", "no/such/out.txt"}, 2,
                    "the folder 'no/such' of the output 'no/such/out.txt' does not exist");
    EXPECT_FALSE(fs::exists(w.dir.path() / "no"));
}
#ifndef _WIN32
TEST(CliFailureTest, AWriteFailureLeavesNoOutputAndKeepsAnOldOne) {
    TempDir dir;
    std::string input;
    for (int i = 0; i < 2000; ++i) input += "\xbc\xd7\xd2\xd2 line " + std::to_string(i) + "\n";
    Write(dir.path() / "in.txt", input);
    fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
    const std::vector<std::string> args{"--to-traditional", "--encoding=gbk", "--table",
                                        "chain.tbl",        "in.txt",         "out.txt"};

    Result run = RunConverter(dir.path(), args, 4096);  // the disk is "full" after 4 KB
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.err.find("writing 'out.txt' failed")) << run.err;
    EXPECT_EQ((std::vector<std::string>{"chain.tbl", "in.txt"}), Listing(dir.path()));

    Write(dir.path() / "out.txt", "older");
    run = RunConverter(
        dir.path(),
        {"--force", "--to-traditional", "--encoding=gbk", "--table", "chain.tbl", "in.txt", "out.txt"}, 4096);
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("older", Read(dir.path() / "out.txt"));
    EXPECT_EQ((std::vector<std::string>{"chain.tbl", "in.txt", "out.txt"}), Listing(dir.path()));
    EXPECT_EQ(input, Read(dir.path() / "in.txt"));
}

TEST(CliFailureTest, AReadFailureLeavesNoOutput) {
    TempDir dir;
    fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
    // The converter's own memory from address 0: it opens, then every read fails.
    const Result run = RunConverter(dir.path(), {"--to-traditional", "--encoding=gbk", "--table", "chain.tbl",
                                                 "/proc/self/mem", "out.txt"});
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.err.find("reading '/proc/self/mem' failed")) << run.err;
    EXPECT_EQ((std::vector<std::string>{"chain.tbl"}), Listing(dir.path()));
}

#endif

}  // namespace
