// RobustnessTest.cpp: zendrix-convert against what an unlucky or hostile user meets: memory that runs out,
// outputs that are not files, streams that close, names at the length limit, runs that are killed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.hpp"
#include "tests/support/TempDir.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#endif

namespace {

using namespace clitest;  // NOLINT: the helpers are this file's vocabulary
namespace fs = std::filesystem;

// Memory limits bound the address space, which the sanitizers reserve by terabytes.
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryLimits = false;
#else
constexpr bool kMemoryLimits = true;
#endif

// Names of the temporary outputs left in a folder.
std::vector<std::string> Leftovers(const fs::path& folder) {
    std::vector<std::string> left;
    for (const std::string& name : Listing(folder)) {
        if (name.find("zendrix") != std::string::npos || name.find(".tmp") != std::string::npos)
            left.push_back(name);
    }
    return left;
}

// A UTF-16 file of one 40 MB line in 80 MB of address space: that file fails with a message naming it, leaves
// nothing behind, and the batch goes on with the next.
TEST(RobustnessTest, RunningOutOfMemoryFailsOneFileAndTheBatchGoesOn) {
    if (!kMemoryLimits) GTEST_SKIP() << "no memory limits here";
    TempDir dir;
    fs::create_directory(dir.path() / "src");
    std::string big = "\xff\xfe";
    big.reserve(40 << 20);
    while (big.size() < (40 << 20)) big += std::string("\x80\x7b\x53\x4f", 4);
    Write(dir.path() / "src" / "big.txt", big);
    big.clear();
    big.shrink_to_fit();
    Write(dir.path() / "src" / "small.txt", "\xbc\xf2\xcc\xe5\n");
    Result run = RunConverter(dir.path(), {"--to-traditional", "--batch", "src", "out"}, 0, "", 80L << 20);
    EXPECT_EQ(1, run.code) << run.err;
    EXPECT_EQ("converted 1, skipped 0, failed 1\n", run.out);
    EXPECT_NE(std::string::npos, run.err.find("not enough memory to convert 'src/big.txt'")) << run.err;
    EXPECT_EQ(std::vector<std::string>{"small.txt"}, Listing(dir.path() / "out"));

    run = RunConverter(dir.path(), {"--to-traditional", "src/big.txt", "one.txt"}, 0, "", 80L << 20);
    EXPECT_EQ(1, run.code) << run.err;
    EXPECT_TRUE(Leftovers(dir.path()).empty());
    EXPECT_FALSE(fs::exists(dir.path() / "one.txt"));
}

// --review of one line of 4 MB (a minified page), every character of it a place to list, in 100 MB of address
// space: the list streams out, and the line is held about once (it took 38 bytes a byte before).
TEST(RobustnessTest, TheReviewOfAVeryLongLineStreams) {
    if (!kMemoryLimits) GTEST_SKIP() << "no memory limits here";
    TempDir dir;
    std::string line;
    while (line.size() < (4 << 20)) line += "\xb7\xa2\xba\xf3";  // 发后: each with another form
    Write(dir.path() / "one.txt", line);
    line.clear();
    line.shrink_to_fit();
    const Result run =
        RunConverter(dir.path(), {"--to-traditional", "--review", "one.txt"}, 0, "", 100L << 20);
    EXPECT_EQ(0, run.code) << run.err;
    const std::size_t places = static_cast<std::size_t>(std::count(run.out.begin(), run.out.end(), '\n'));
    EXPECT_EQ((4u << 20) / 2, places);
    EXPECT_EQ(0u, run.out.rfind("one.txt:1:", 0));
}

}  // namespace

namespace {

#ifndef _WIN32
// --force replaces files, never a FIFO or a device by a file, in either mode.
TEST(RobustnessTest, AnOutputThatIsNotARegularFileIsNeverReplaced) {
    TempDir dir;
    Write(dir.path() / "in.txt", "\xbc\xf2\xcc\xe5\n");
    ASSERT_EQ(0, ::mkfifo((dir.path() / "out.fifo").c_str(), 0600));
    Result run = RunConverter(dir.path(), {"--to-traditional", "--force", "in.txt", "out.fifo"});
    EXPECT_EQ(2, run.code);
    EXPECT_NE(std::string::npos, run.err.find("the output 'out.fifo' is not a regular file")) << run.err;
    EXPECT_TRUE(fs::is_fifo(dir.path() / "out.fifo"));

    fs::create_directory(dir.path() / "src");
    fs::create_directory(dir.path() / "dest");
    Write(dir.path() / "src" / "a.txt", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "src" / "b.txt", "\xbc\xf2\xcc\xe5\n");
    ASSERT_EQ(0, ::mkfifo((dir.path() / "dest" / "a.txt").c_str(), 0600));
    run = RunConverter(dir.path(), {"--to-traditional", "--force", "--batch", "src", "dest"});
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("converted 1, skipped 0, failed 1\n", run.out);
    EXPECT_TRUE(fs::is_fifo(dir.path() / "dest" / "a.txt"));
    EXPECT_TRUE(Leftovers(dir.path() / "dest").empty());
}
#endif

}  // namespace

namespace {

#ifndef _WIN32
int Shell(const fs::path& folder, const std::string& command) {
    const std::string line = "cd '" + folder.string() + "' && " + command + " 2>err.txt";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Output appended to its own input would grow until the disk is full: refused, as cat does, the input left as
// it was; through standard input too.
TEST(RobustnessTest, AnOutputThatIsTheInputThroughStandardOutputIsRefused) {
    TempDir dir;
    const std::string text = "\xbc\xf2\xcc\xe5\n";
    Write(dir.path() / "f.txt", text);
    const std::string exe = "'" + kConverter.string() + "' --to-traditional ";
    EXPECT_EQ(2, Shell(dir.path(), exe + "f.txt - >> f.txt"));
    EXPECT_EQ(text, Read(dir.path() / "f.txt"));
    EXPECT_NE(std::string::npos,
              Read(dir.path() / "err.txt").find("standard output is the input file 'f.txt'"));
    EXPECT_EQ(2, Shell(dir.path(), exe + "- - < f.txt >> f.txt"));
    EXPECT_EQ(text, Read(dir.path() / "f.txt"));
    // Another file on standard output is no concern.
    EXPECT_EQ(0, Shell(dir.path(), exe + "f.txt - >> g.txt"));
    EXPECT_EQ("\xba\x86\xf3\x77\r\n", Read(dir.path() / "g.txt"));
    // Nor may it be the user's pairs the run converts with.
    Write(dir.path() / "pairs.txt", "x\ty\n");
    EXPECT_EQ(2, Shell(dir.path(), exe + "--dict pairs.txt f.txt - >> pairs.txt"));
    EXPECT_EQ("x\ty\n", Read(dir.path() / "pairs.txt"));
}

// A tree 1,500 folders deep (nearly as deep as a Linux path can go with names of one letter; Windows goes ten
// times deeper) is walked, and a destination as deep is made, in a small stack: both went one call deeper for
// each folder, and 128 KB of stack ran out.
TEST(RobustnessTest, FolderTreesThousandsDeepAreWalkedAndMadeInASmallStack) {
    TempDir dir;
    fs::path deep = dir.path() / "src";
    fs::create_directory(deep);
    for (int level = 0; level < 1500; ++level) fs::create_directory(deep /= "a");
    Write(deep / "x.txt", "\xbc\xf2\xcc\xe5\n");
    std::string dest = "out";
    for (int level = 0; level < 1500; ++level) dest += "/a";
    const std::string exe = "'" + kConverter.string() + "' --to-traditional ";
    EXPECT_EQ(0, Shell(dir.path(), "ulimit -s 128 && " + exe + "--batch src " + dest + " > out.txt"));
    EXPECT_EQ("converted 1, skipped 0, failed 0\n", Read(dir.path() / "out.txt"));
    EXPECT_EQ("\xba\x86\xf3\x77\r\n", Read(dir.path() / dest / "x.txt"));
}
#endif

}  // namespace

namespace {

// A typo that names the table, the phrase file or the user's pairs as OUTPUT must not destroy them, not even
// with --force: the next run would have nothing to convert with. In a batch, the one file whose output would
// take such a file's place is skipped, and that is said.
TEST(RobustnessTest, TheFilesAConversionIsReadFromAreNeverItsOutput) {
    TempDir dir;
    fs::copy_file(kConverter.parent_path() / "Runemap.dll", dir.path() / "Runemap.dll");
    fs::copy_file(kConverter.parent_path() / "Runewords.txt", dir.path() / "Runewords.txt");
    const std::string pairs = "\xe7\xae\x80\xe4\xbd\x93\tX\n";  // 简体 -> X
    Write(dir.path() / "pairs.txt", pairs);
    Write(dir.path() / "in.txt", "\xbc\xf2\xcc\xe5\n");
    const std::vector<std::string> data{"--table",       "Runemap.dll", "--phrase-file",
                                        "Runewords.txt", "--dict",      "pairs.txt"};
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), data.begin(), data.end());
        args.insert(args.begin(), "--to-traditional");
        return RunConverter(dir.path(), args);
    };
    const std::string table = Read(dir.path() / "Runemap.dll");
    const std::string phrases = Read(dir.path() / "Runewords.txt");
    for (const char* output : {"Runemap.dll", "./Runewords.txt", "pairs.txt"}) {
        const Result refused = run({"--force", "in.txt", output});
        EXPECT_EQ(2, refused.code) << output;
        EXPECT_NE(std::string::npos, refused.err.find("is a file this run converts with")) << refused.err;
    }
    EXPECT_TRUE(table == Read(dir.path() / "Runemap.dll"));
    EXPECT_TRUE(phrases == Read(dir.path() / "Runewords.txt"));
    EXPECT_EQ(pairs, Read(dir.path() / "pairs.txt"));

    fs::create_directory(dir.path() / "src");
    Write(dir.path() / "src" / "pairs.txt", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "src" / "other.txt", "\xbc\xf2\xcc\xe5\n");
    const Result batch = run({"--force", "--batch", "src", "."});
    EXPECT_EQ(0, batch.code) << batch.err;
    EXPECT_EQ("converted 1, skipped 1, failed 0\n", batch.out);
    EXPECT_NE(std::string::npos, batch.err.find("pairs.txt' is a file this run converts with")) << batch.err;
    EXPECT_EQ(pairs, Read(dir.path() / "pairs.txt"));
    EXPECT_EQ("X\r\n", Read(dir.path() / "other.txt"));
}

// A destination's name of 250 bytes (83 Chinese characters and ".txt" is 253) leaves no room for a suffix
// within the 255 bytes a name may have: the temporary output has a short name of its own.
TEST(RobustnessTest, AnOutputNameAtTheLengthLimitIsWritten) {
    TempDir dir;
    std::string name;
    while (name.size() + 3 + 4 <= 255) name += "简";
    name += ".txt";
    ASSERT_LE(name.size(), 255u);
    ASSERT_GT(name.size(), 250u);
    Write(dir.path() / "in.txt", "\xbc\xf2\xcc\xe5\n");
    const Result run = RunConverter(dir.path(), {"--to-traditional", "in.txt", name});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("\xba\x86\xf3\x77\r\n", Read(dir.path() / FsPath(name)));
    EXPECT_TRUE(Leftovers(dir.path()).empty());
}

#ifndef _WIN32
// Ended by a signal while it writes (here waiting on a pipe that stays open), the converter removes its
// temporary output and ends by that signal.
TEST(RobustnessTest, ASignalDuringAConversionRemovesTheTemporaryOutput) {
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        const std::string fifo = (dir.path() / "in.fifo").string();
        ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
        const std::string exe = kConverter.string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int in = ::open(fifo.c_str(), O_RDONLY);
            if (in < 0 || ::dup2(in, 0) < 0 || ::chdir(dir.path().c_str()) != 0) ::_exit(126);
            ::execl(exe.c_str(), exe.c_str(), "--to-traditional", "-", "out.txt",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        const int out = ::open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(out, 0);
        // UTF-8 by its byte order mark: decided at once, so the output is made before the input ends.
        const std::string text = "\xef\xbb\xbf\xe7\xae\x80\xe4\xbd\x93\n";
        ASSERT_EQ(static_cast<ssize_t>(text.size()), ::write(out, text.data(), text.size()));
        bool made = false;
        for (int i = 0; i < 500 && !made; ++i) {
            made = !Leftovers(dir.path()).empty();
            if (!made) ::usleep(10000);
        }
        EXPECT_TRUE(made) << "no temporary output appeared";
        ::kill(pid, sig);
        int status = 0;
        ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
        ::close(out);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
        EXPECT_TRUE(Leftovers(dir.path()).empty());
        EXPECT_FALSE(fs::exists(dir.path() / "out.txt"));
    }
}
#endif

}  // namespace

namespace {

#ifndef _WIN32
struct Spawned {
    int status = 0;
    std::string err;
};

// Runs the converter in folder with stdout on the given descriptor (stdin empty), SIGPIPE ignored or not.
Spawned RunWithOutput(const fs::path& folder, const std::vector<std::string>& args, int out,
                      bool ignorePipeSignal) {
    TempDir capture;
    const std::string errPath = capture.File("stderr");
    std::vector<std::string> strings{kConverter.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::signal(SIGPIPE, ignorePipeSignal ? SIG_IGN : SIG_DFL);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Spawned result;
    ::waitpid(pid, &result.status, 0);
    result.err = Read(errPath);
    return result;
}

// What goes to stdout beside the converted text (the summary, --verbose lines, --review, --help) is checked
// as well: a full disk is a failure with a message; a pipe whose reader has gone ends the program quietly,
// by SIGPIPE or, where that is ignored, with exit code 1.
TEST(RobustnessTest, WriteErrorsOnStandardOutputAreFailures) {
    TempDir dir;
    fs::create_directory(dir.path() / "src");
    Write(dir.path() / "src" / "a.txt", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "fa.txt", "\xb7\xa2\n");  // 发: 發 or 髮, a place to review
    const std::vector<std::vector<std::string>> commands{
        {"--to-traditional", "--batch", "src", "out"},
        {"--to-traditional", "--verbose", "src/a.txt", "single.txt"},
        {"--to-traditional", "--review", "fa.txt"},
        {"--help"}};
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    for (const std::vector<std::string>& args : commands) {
        SCOPED_TRACE(args.back());
        fs::remove_all(dir.path() / "out");
        fs::remove(dir.path() / "single.txt");
        Spawned run = RunWithOutput(dir.path(), args, full, false);
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
        EXPECT_NE(std::string::npos, run.err.find("writing standard output failed")) << run.err;

        for (const bool ignored : {false, true}) {
            int ends[2];
            ASSERT_EQ(0, ::pipe(ends));
            ::close(ends[0]);  // nobody reads
            fs::remove_all(dir.path() / "out");
            fs::remove(dir.path() / "single.txt");
            run = RunWithOutput(dir.path(), args, ends[1], ignored);
            ::close(ends[1]);
            if (ignored) {
                EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
            } else {
                EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGPIPE) << run.status;
            }
            EXPECT_EQ("", run.err);
        }
    }
    ::close(full);
}
#endif

}  // namespace

namespace {

// A failure after part of the output went to standard output says so, with the bytes that went; a failure
// before says that nothing was written.
TEST(RobustnessTest, AFailureAfterOutputWentToStandardOutputSaysWhatWasWritten) {
    if (!kMemoryLimits) GTEST_SKIP() << "no memory limits here";
    TempDir dir;
    std::string input;
    while (input.size() < (1 << 20)) input += "\xbc\xf2\xcc\xe5 GBK text\n";
    const std::size_t shortLines = input.size();
    input += std::string(70 << 20, 'x') + "\n";
    Result run = RunConverter(dir.path(), {"--to-traditional", "-", "-"}, 0, input, 80L << 20);
    EXPECT_EQ(1, run.code);
    EXPECT_GT(run.out.size(), shortLines / 2);
    EXPECT_NE(std::string::npos, run.err.find("not enough memory to convert standard input")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("; the first " + std::to_string(run.out.size()) +
                                              " bytes of the output had gone to standard output already"))
        << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("nothing was written")) << run.err;

    run = RunConverter(dir.path(), {"--to-traditional", "-", "-"}, 0, std::string(70 << 20, 'x'), 80L << 20);
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("nothing was written")) << run.err;
}

}  // namespace

namespace {

#ifdef _WIN32
// On Windows A.txt and a.txt are one name: the second input is skipped and said, never converted over the
// first one's output, with --force too.
TEST(RobustnessTest, OutputsWhoseNamesDifferOnlyInCaseAreNeverReplacedInOneRun) {
    TempDir dir;
    fs::create_directories(dir.path() / "src" / "a");
    fs::create_directories(dir.path() / "src" / "b");
    Write(dir.path() / "src" / "a" / "A.txt", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "src" / "b" / "a.txt", "b\n");
    const Result run = RunConverter(dir.path(), {"--to-traditional", "--force", "--batch", "src", "out"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("converted 1, skipped 1, failed 0\n", run.out);
    EXPECT_NE(std::string::npos, run.err.find("same name as")) << run.err;
    EXPECT_EQ(std::vector<std::string>{"A.txt"}, Listing(dir.path() / "out"));
    EXPECT_EQ("\xba\x86\xf3\x77\r\n", Read(dir.path() / "out" / "A.txt"));
}
#endif

}  // namespace

namespace {

#ifndef _WIN32
// On Linux a backslash is part of a name: photo.jpg\ has the extension .jpg\ and is judged by it, not taken
// for a name without one. Bytes of names that a terminal would act on are shown escaped, in messages and in
// the --verbose list alike.
TEST(RobustnessTest, NamesAreJudgedWholeAndPrintedSafely) {
    TempDir dir;
    fs::create_directory(dir.path() / "src");
    Write(dir.path() / "src" / "photo.jpg\\", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "src" / "dir\\name.txt", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "src" / "new\nline\x1b[31m.txt", "\xbc\xf2\xcc\xe5\n");
    Result run = RunConverter(dir.path(), {"--to-traditional", "--verbose", "--batch", "src", "out"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(std::vector<std::string>({"dir\\name.txt", "new\nline\x1b[31m.txt"}),
              Listing(dir.path() / "out"));
    EXPECT_NE(std::string::npos, run.out.find("passed over src/photo.jpg\\\\ (not admitted")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("converted src/new\\x0Aline\\x1B[31m.txt -> out/new\\x0Aline"))
        << run.out;
    EXPECT_EQ(std::string::npos, run.out.find('\x1b'));
    EXPECT_EQ(std::string::npos, run.out.find("new\nline"));

    run = RunConverter(dir.path(), {"--to-traditional", "missing\x1b]0;title\x07.txt", "o.txt"});
    EXPECT_EQ(2, run.code);
    EXPECT_NE(std::string::npos, run.err.find("'missing\\x1B]0;title\\x07.txt'")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find('\x1b'));
}
#endif

}  // namespace

namespace {

#ifndef _WIN32
// A private source gives a private output, in both modes; a readable one a readable output.
TEST(RobustnessTest, AnOutputKeepsThePermissionBitsOfItsSource) {
    TempDir dir;
    fs::create_directory(dir.path() / "src");
    Write(dir.path() / "src" / "private.txt", "\xbc\xf2\xcc\xe5\n");
    Write(dir.path() / "src" / "shared.txt", "\xbc\xf2\xcc\xe5\n");
    const auto perms = [](const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; };
    fs::permissions(dir.path() / "src" / "private.txt", fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(dir.path() / "src" / "shared.txt", fs::perms::owner_read | fs::perms::owner_write |
                                                           fs::perms::group_read | fs::perms::others_read);
    Result run = RunConverter(dir.path(), {"--to-traditional", "src/private.txt", "one.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, perms(dir.path() / "one.txt"));
    run = RunConverter(dir.path(), {"--to-traditional", "--batch", "src", "out"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, perms(dir.path() / "out" / "private.txt"));
    EXPECT_EQ(perms(dir.path() / "src" / "shared.txt") & ~fs::perms::others_write,
              perms(dir.path() / "out" / "shared.txt"));
}
#endif

}  // namespace

namespace {

// A phrase file may hold a phrase of any length: one of a million characters in a dictionary of s2twp's
// second step, each of its characters with two forms before that step, is read in bounded memory and stack
// (its forms were counted, not their bytes: 24 GB; and walked once a character deep).
TEST(RobustnessTest, APhraseOfAMillionCharactersIsNoBurden) {
    if (!kMemoryLimits) GTEST_SKIP() << "no memory limits here";
    TempDir dir;
    std::string file = Read(kConverter.parent_path() / "Runewords.txt");
    const std::string header = "\r\ndictionary TWPhrases ";
    const std::size_t countAt = file.find(header) + header.size();
    ASSERT_GT(countAt, header.size());
    const std::size_t countEnd = file.find("\r\n", countAt);
    const std::size_t count = std::stoul(file.substr(countAt, countEnd - countAt));
    std::string phrase;
    for (int k = 0; k < 1000000; ++k) phrase += "\xdc\x9b";  // 軟
    std::size_t line = countEnd + 2;  // its place among the entries, in the byte order of their keys
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t tab = file.find('\t', line);
        if (file.compare(line, tab - line, phrase) > 0) break;
        line = file.find("\r\n", tab) + 2;
    }
    file.insert(line, phrase + "\t" + phrase + "\r\n");
    file.replace(countAt, countEnd - countAt, std::to_string(count + 1));
    Write(dir.path() / "words.txt", file);
    Write(dir.path() / "in.txt", "\xe8\xbd\xaf\xe4\xbd\x93\n");  // 软体
    const Result run =
        RunConverter(dir.path(), {"--config", "s2twp", "--phrase-file", "words.txt", "in.txt", "out.txt"}, 0,
                     "", 600L << 20);
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("\xe8\xbb\x9f\xe9\xab\x94\r\n", Read(dir.path() / "out.txt"));  // 軟體
}

// Out of memory outside the conversion of a file (here --review of one long line in 80 MB of address space,
// if it needs that much) is a message and exit code 1, never an abort.
TEST(RobustnessTest, RunningOutOfMemoryAnywhereIsNoAbort) {
    if (!kMemoryLimits) GTEST_SKIP() << "no memory limits here";
    TempDir dir;
    std::string line;
    line.reserve(30 << 20);
    while (line.size() < (30 << 20)) line += "\xb7\xa2";  // 发, a place to review, again and again
    Write(dir.path() / "long.txt", line + "\n");
    line.clear();
    line.shrink_to_fit();
    const Result run =
        RunConverter(dir.path(), {"--to-traditional", "--review", "long.txt"}, 0, "", 80L << 20);
    EXPECT_TRUE(run.code == 0 || run.code == 1) << run.code;
    if (run.code == 1) {
        EXPECT_NE(std::string::npos, run.err.find("not enough memory")) << run.err;
    }
}

}  // namespace
