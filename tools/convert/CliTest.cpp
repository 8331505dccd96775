// CliTest.cpp: zendrix-convert run as a program: the golden files, bad use, and failures in the middle.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ConvertCommand.hpp"
#include "tests/support/TempDir.hpp"

#ifdef _WIN32
#include <windows.h>

#include "platform/CodePage.hpp"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// A GBK file name as the test opens it: the same bytes on Linux, the same characters on Windows.
fs::path FsPath(const std::string& gbk) {
#ifdef _WIN32
    return fs::path(platform::WideFromGbk(gbk));
#else
    return fs::path(gbk);
#endif
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    std::transform(fs::directory_iterator(folder), fs::directory_iterator(), std::back_inserter(names),
                   [](const fs::directory_entry& entry) { return entry.path().filename().string(); });
    std::sort(names.begin(), names.end());
    return names;
}

const fs::path kGolden = ZENDRIX_GOLDEN_DIR;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

#ifdef _WIN32
fs::path ProgramFolder() {
    std::wstring exe(32768, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    return fs::path(exe).parent_path();
}
const fs::path kConverter = ProgramFolder() / "zendrix-convert.exe";

// Quoting that CommandLineToArgvW undoes: backslashes are literal unless they precede a quote.
std::wstring Quote(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        quoted.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        quoted += c;
    }
    quoted.append(slashes * 2, L'\\');
    return quoted + L"\"";
}

// Runs the converter in folder with a wide command line, as Explorer or cmd.exe would.
Result RunConverterWide(const fs::path& folder, const std::vector<std::wstring>& args) {
    TempDir capture;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto create = [&](const char* name) {
        return ::CreateFileW((capture.path() / name).wstring().c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE out = create("stdout");
    HANDLE err = create("stderr");
    std::wstring command = Quote(kConverter.wstring());
    for (const std::wstring& arg : args) command += L" " + Quote(arg);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    Result result;
    if (::CreateProcessW(kConverter.wstring().c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         folder.wstring().c_str(), &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        result.code = static_cast<int>(code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    result.out = Read(capture.path() / "stdout");
    result.err = Read(capture.path() / "stderr");
    return result;
}

// Runs the converter in folder; file size limits exist only natively.
Result RunConverter(const fs::path& folder, const std::vector<std::string>& args, long = 0) {
    std::vector<std::wstring> wide(args.size());
    std::transform(args.begin(), args.end(), wide.begin(),
                   [](const std::string& a) { return platform::WideFromGbk(a); });
    return RunConverterWide(folder, wide);
}
#else
const fs::path kConverter = fs::read_symlink("/proc/self/exe").parent_path() / "zendrix-convert";

// Runs the converter in folder; a positive fileSizeLimit makes writes beyond it fail with EFBIG.
Result RunConverter(const fs::path& folder, const std::vector<std::string>& args, long fileSizeLimit = 0) {
    TempDir capture;
    const std::string outPath = capture.File("stdout");
    const std::string errPath = capture.File("stderr");
    std::vector<std::string> strings{kConverter.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv(strings.size());
    std::transform(strings.begin(), strings.end(), argv.begin(), [](std::string& s) { return s.data(); });
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        if (fileSizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Result result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
        result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    result.out = Read(outPath);
    result.err = Read(errPath);
    return result;
}
#endif

// --- Golden files
// -------------------------------------------------------------------------------------------

struct GoldenCase {
    std::string input;
    std::string direction;
    std::string table;  // "-": the shipped table, found beside the executable
    std::string expected;
};

std::vector<GoldenCase> GoldenCases() {
    std::ifstream manifest(kGolden / "cases.txt");
    std::vector<GoldenCase> cases;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        GoldenCase c;
        if (fields >> c.input >> c.direction >> c.table >> c.expected) cases.push_back(c);
    }
    return cases;
}

TEST(CliGoldenTest, EveryCaseGivesTheExpectedBytesAndLeavesTheInputAlone) {
    const std::vector<GoldenCase> cases = GoldenCases();
    ASSERT_GE(cases.size(), 14u) << "cases.txt not found or incomplete in " << kGolden.string();
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.input + " " + c.direction + " " + c.table);
        const std::string input = Read(kGolden / "input" / c.input);
        const std::string expected = Read(kGolden / "expected" / c.expected);
        ASSERT_TRUE(fs::exists(kGolden / "expected" / c.expected));
        TempDir
            dir;  // also the converter's current folder: the shipped table must be found beside the program
        Write(dir.path() / "in.txt", input);
        std::vector<std::string> args{c.direction, "in.txt", "out.txt"};
        if (c.table != "-") {
            fs::copy_file(kGolden / "tables" / c.table, dir.path() / "table.tbl");
            args.insert(args.begin(), {"--table", "table.tbl"});
        }
        const Result run = RunConverter(dir.path(), args);
        EXPECT_EQ(0, run.code) << run.err;
        EXPECT_EQ("", run.err);
        EXPECT_EQ(expected, Read(dir.path() / "out.txt"));
        EXPECT_EQ(input, Read(dir.path() / "in.txt"));
    }
}

TEST(CliGoldenTest, ChineseFileNamesAndAnAbsoluteTablePath) {
    TempDir dir;
    const std::string input = "\xbc\xf2\xcc\xe5.txt";   // 简体.txt
    const std::string output = "\xb7\xb1\xf3\x77.txt";  // 繁體.txt
    Write(dir.path() / FsPath(input), Read(kGolden / "input" / "chain.txt"));
    const std::string table = (dir.path() / "chain.tbl").string();
    fs::copy_file(kGolden / "tables" / "chain.tbl", table);
    const Result run = RunConverter(dir.path(), {"--table=" + table, "--to-traditional", input, output});
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
    for (const char* word : {"--to-traditional", "--to-simplified", "--table FILE", "--force", "Exit codes",
                             "  0  ", "  1  ", "  2  ", "CR LF", "0x1A"}) {
        EXPECT_NE(std::string::npos, run.out.find(word)) << word;
    }
}

TEST(CliUsageTest, OptionsMayComeInAnyOrderAndDoubleDashEndsThem) {
    cli::ConvertOptions options;
    std::string error;
    ASSERT_TRUE(
        cli::ParseArguments({"a", "--force", "--to-simplified", "--table=t", "--", "-b"}, options, error));
    EXPECT_EQ(0, options.toTraditional);
    EXPECT_TRUE(options.force);
    EXPECT_EQ("t", options.table);
    EXPECT_EQ("a", options.input);
    EXPECT_EQ("-b", options.output);
    ASSERT_TRUE(cli::ParseArguments({"--to-traditional", "-", "--to-traditional", "x"}, options, error));
    EXPECT_EQ(1, options.toTraditional);
    EXPECT_EQ("-", options.input);  // a lone dash is a name
    EXPECT_FALSE(cli::ParseArguments({"--to-simplified", "--table=", "a", "b"}, options, error));
}

#ifdef _WIN32
TEST(CliUsageTest, ANameThatGbkCannotHoldIsRefusedNotMangled) {
    Workspace w;
    // U+D55C and U+1F600 have no GBK form: converted they would become '?' and name another file.
    for (const std::wstring& name : {std::wstring(L"\uD55C.txt"), std::wstring(L"\U0001F600.txt")}) {
        const Result run =
            RunConverterWide(w.dir.path(), {L"--to-traditional", L"--table", L"chain.tbl", L"in.txt", name});
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find("argument 5 holds a character that GBK cannot represent"))
            << run.err;
    }
    EXPECT_EQ((std::vector<std::string>{"chain.tbl", "in.txt", "sub"}), Listing(w.dir.path()));
}
#endif

// --- Failures in the middle
// ---------------------------------------------------------------------------------

TEST(CliFailureTest, AMissingOutputFolderIsAFailureNotAFile) {
    TempDir dir;
    fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
    Write(dir.path() / "in.txt", kInput);
    const Result run =
        RunConverter(dir.path(), {"--to-traditional", "--table", "chain.tbl", "in.txt", "no/such/out.txt"});
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.err.find("cannot create a file in the folder of 'no/such/out.txt'"));
}
#ifndef _WIN32
TEST(CliFailureTest, AWriteFailureLeavesNoOutputAndKeepsAnOldOne) {
    TempDir dir;
    std::string input;
    for (int i = 0; i < 2000; ++i) input += "\xbc\xd7\xd2\xd2 line " + std::to_string(i) + "\n";
    Write(dir.path() / "in.txt", input);
    fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
    const std::vector<std::string> args{"--to-traditional", "--table", "chain.tbl", "in.txt", "out.txt"};

    Result run = RunConverter(dir.path(), args, 4096);  // the disk is "full" after 4 KB
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.err.find("writing 'out.txt' failed")) << run.err;
    EXPECT_EQ((std::vector<std::string>{"chain.tbl", "in.txt"}), Listing(dir.path()));

    Write(dir.path() / "out.txt", "older");
    run = RunConverter(dir.path(),
                       {"--force", "--to-traditional", "--table", "chain.tbl", "in.txt", "out.txt"}, 4096);
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("older", Read(dir.path() / "out.txt"));
    EXPECT_EQ((std::vector<std::string>{"chain.tbl", "in.txt", "out.txt"}), Listing(dir.path()));
    EXPECT_EQ(input, Read(dir.path() / "in.txt"));
}

TEST(CliFailureTest, AReadFailureLeavesNoOutput) {
    TempDir dir;
    fs::copy_file(kGolden / "tables" / "chain.tbl", dir.path() / "chain.tbl");
    // The converter's own memory from address 0: it opens, then every read fails.
    const Result run =
        RunConverter(dir.path(), {"--to-traditional", "--table", "chain.tbl", "/proc/self/mem", "out.txt"});
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.err.find("reading '/proc/self/mem' failed")) << run.err;
    EXPECT_EQ((std::vector<std::string>{"chain.tbl"}), Listing(dir.path()));
}

#endif

}  // namespace
