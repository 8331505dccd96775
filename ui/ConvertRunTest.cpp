// ConvertRunTest.cpp: file conversion through the real main window: paths typed into its boxes, its radio
// buttons, Start and Stop, its progress bar and its message boxes, on real files with the shipped table.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "ConvertDlg.hpp"
#include "platform/CodePage.hpp"
#include "res/resource.h"
#include "tests/support/DialogDriver.hpp"
#include "tests/support/DialogResponder.hpp"
#include "tests/support/GbkText.hpp"
#include "tests/support/TempDir.hpp"

namespace {

namespace fs = std::filesystem;
using platform::Utf8FromWide;
using testsupport::CCurrentDirectory;
using testsupport::CDialogResponder;
using testsupport::Click;
using testsupport::GbkOf;
using testsupport::SeenDialog;
using testsupport::SetText;
using Names = std::set<std::wstring>;

const std::wstring kExists = L": This File is existed already! Do over it?";

// What a message box of the program is captioned with: this executable's name without its extension.
std::wstring ExecutableName() {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return fs::path(path).stem().wstring();
}

// Through the path itself: its name may hold characters the system's code page cannot.
std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Names of the entries of a folder; directories end in "\".
Names Listing(const fs::path& dir) {
    Names names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().wstring() + (it->is_directory() ? L"\\" : L""));
    return names;
}

std::size_t CountIn(const fs::path& dir) { return Listing(dir).size(); }

std::wstring Lowered(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

// Positions the progress bar is sent, with the buttons' states at each of them.
class CProgressWatch {
  public:
    CProgressWatch(HWND bar, HWND start, HWND stop) : m_bar(bar), m_start(start), m_stop(stop) {
        t_current = this;
        m_hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CProgressWatch::Proc, nullptr, ::GetCurrentThreadId());
    }
    ~CProgressWatch() {
        if (m_hook) ::UnhookWindowsHookEx(m_hook);
        t_current = nullptr;
    }
    CProgressWatch(const CProgressWatch&) = delete;
    CProgressWatch& operator=(const CProgressWatch&) = delete;

    std::vector<int> positions;
    int withStartEnabled = 0;
    int withStopEnabled = 0;

  private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        CProgressWatch* self = t_current;
        if (code == HC_ACTION && self && sent->hwnd == self->m_bar && sent->message == PBM_SETPOS) {
            self->positions.push_back(static_cast<int>(sent->wParam));
            self->withStartEnabled += ::IsWindowEnabled(self->m_start) ? 1 : 0;
            self->withStopEnabled += ::IsWindowEnabled(self->m_stop) ? 1 : 0;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline thread_local CProgressWatch* t_current = nullptr;
    HWND m_bar, m_start, m_stop;
    HHOOK m_hook = nullptr;
};

// Calls `tick` from a thread timer until it returns true. The timer's message is delivered only while someone
// dispatches the thread's queue: during a batch, by the walk between two entries, as a user's click would be.
class CTicker {
  public:
    explicit CTicker(std::function<bool()> tick) : m_tick(std::move(tick)) {
        t_current = this;
        m_timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &CTicker::Proc);
    }
    ~CTicker() {
        Kill();
        t_current = nullptr;
    }
    CTicker(const CTicker&) = delete;
    CTicker& operator=(const CTicker&) = delete;

    bool Done() const { return m_timer == 0; }

  private:
    void Kill() {
        if (m_timer) ::KillTimer(nullptr, m_timer);
        m_timer = 0;
    }
    static void CALLBACK Proc(HWND, UINT, UINT_PTR timer, DWORD) {
        CTicker* self = t_current;
        if (self && timer == self->m_timer && self->m_tick()) self->Kill();
    }

    static inline thread_local CTicker* t_current = nullptr;
    std::function<bool()> m_tick;
    UINT_PTR m_timer = 0;
};

class ConvertRunTest : public ::testing::Test {
  protected:
    ConvertRunTest() : m_inBin(testsupport::ExecutableDirectory()) {}

    void SetUp() override {
        ASSERT_TRUE(testsupport::OpenModeless(dlg));
        window = dlg.Handle();
    }

    // A source file, remembered so that every test can check no run changed it.
    fs::path Source(const fs::path& file, const std::wstring& text) {
        fs::create_directories(file.parent_path());
        Write(file, GbkOf(text));
        m_sources[file] = GbkOf(text);
        return file;
    }
    void ExpectSourcesUnchanged() const {
        for (const auto& [file, bytes] : m_sources) EXPECT_EQ(bytes, Bytes(file)) << file;
    }

    // Types both paths as a user would.
    void TypePaths(const fs::path& source, const fs::path& dest) {
        SetText(window, IDC_SOURCE_PATH, source.wstring());
        SetText(window, IDC_DEST_PATH, dest.wstring());
    }
    // Presses Start; returns when the run has ended.
    void Run(const fs::path& source, const fs::path& dest) {
        TypePaths(source, dest);
        Click(window, IDC_START);
    }

    bool Enabled(int id) const { return ::IsWindowEnabled(dlg.Item(id)) != FALSE; }
    int Progress() const {
        return static_cast<int>(::SendMessageW(dlg.Item(IDC_PROGRESS), PBM_GETPOS, 0, 0));
    }
    void ExpectIdle() const {
        EXPECT_TRUE(Enabled(IDC_START));
        EXPECT_FALSE(Enabled(IDC_STOP));
        EXPECT_EQ(0, Progress());
    }

    CCurrentDirectory m_inBin;  // the window loads Runemap.dll from the current directory
    testsupport::TempDir temp;
    fs::path dir = temp.path();
    CConvertDlg dlg;
    HWND window = nullptr;

  private:
    std::map<fs::path, std::string> m_sources;
};

TEST_F(ConvertRunTest, SingleFileTakesPathsAndDirectionFromTheWindow) {
    const fs::path simplified = Source(dir / L"In.txt", L"后来的发展\n简体中文\r\n发展");
    CDialogResponder responder(IDOK);

    // A destination in a folder that does not exist yet; the file is made under its lowered name.
    Click(window, IDC_DIRECTION_TO_SIMPLIFIED);
    Click(window, IDC_DIRECTION_TO_TRADITIONAL);
    {
        CProgressWatch watch(dlg.Item(IDC_PROGRESS), dlg.Item(IDC_START), dlg.Item(IDC_STOP));
        Run(simplified, dir / L"New" / L"Out.TXT");
        ASSERT_GE(watch.positions.size(), 2u);
        EXPECT_EQ(0, watch.positions.back());
        for (std::size_t i = 1; i + 1 < watch.positions.size(); ++i)
            EXPECT_LT(watch.positions[i - 1], watch.positions[i]);
        EXPECT_GT(watch.positions.front(), 0);
        EXPECT_LE(watch.positions[watch.positions.size() - 2], 1000);
        // Neither button can be pressed while one file is converted.
        EXPECT_EQ(0, watch.withStartEnabled);
        EXPECT_EQ(0, watch.withStopEnabled);
    }
    EXPECT_EQ(GbkOf(L"後來的發展\r\n簡體中文\r\n發展\r\n"), Bytes(dir / L"new" / L"out.txt"));
    EXPECT_EQ((Names{L"In.txt", L"New\\"}), Listing(dir));
    EXPECT_EQ((Names{L"out.txt"}), Listing(dir / L"New"));
    ExpectIdle();

    // "繁转简" chosen after the paths, Start straight away: a click on a radio button changes no value by
    // itself, Start takes it.
    const fs::path traditional = Source(dir / L"t.txt", L"簡體中文\r\n轉換繁體\r\n");
    TypePaths(traditional, dir / L"s.txt");
    Click(window, IDC_DIRECTION_TO_SIMPLIFIED);
    Click(window, IDC_START);
    EXPECT_EQ(GbkOf(L"简体中文\r\n转换繁体\r\n"), Bytes(dir / L"s.txt"));
    ExpectIdle();

    EXPECT_TRUE(responder.Seen().empty());
    ExpectSourcesUnchanged();
}

TEST_F(ConvertRunTest, OverwriteQuestionComesFromTheWindow) {
    const fs::path source = Source(dir / L"in.txt", L"后来的发展");
    const fs::path dest = dir / L"Out.TXT";
    const std::string old = "old\r\n";
    Write(dest, old);
    const std::wstring question = Lowered(dest.wstring()) + kExists;

    for (const int answer : {IDNO, IDYES}) {
        bool startEnabledDuringQuestion = true;
        CDialogResponder responder([&](const SeenDialog&) {
            startEnabledDuringQuestion = Enabled(IDC_START);
            return answer;
        });
        Run(source, dest);
        ASSERT_EQ(1u, responder.Seen().size()) << answer;  // No ends the run without another word
        const SeenDialog& box = responder.Seen()[0];
        EXPECT_EQ(ExecutableName(), box.caption);
        EXPECT_EQ(question, box.text);
        EXPECT_EQ(::LoadIconW(nullptr, IDI_HAND), box.icon);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
        EXPECT_EQ(window, box.owner);
        EXPECT_FALSE(box.ownerEnabled);
        EXPECT_FALSE(startEnabledDuringQuestion);
        EXPECT_EQ(answer == IDYES ? GbkOf(L"後來的發展\r\n") : old, Bytes(dest)) << answer;
        ExpectIdle();
    }
    EXPECT_EQ((Names{L"in.txt", L"Out.TXT"}), Listing(dir));
    ExpectSourcesUnchanged();
}

TEST_F(ConvertRunTest, RefusedRunsAreExplainedByTheWindowAndWriteNothing) {
    const fs::path text = Source(dir / L"a.txt", L"后来的发展");
    const fs::path picture = dir / L"pic.gif";
    Write(picture, "GIF89a\r\n");
    std::vector<std::wstring> texts;
    CDialogResponder responder([&](const SeenDialog& box) {
        texts.push_back(box.text);
        EXPECT_EQ(window, box.owner);
        EXPECT_EQ(ExecutableName(), box.caption);
        return IDOK;
    });

    Run(L"", L"");
    Run(text, L"");
    Run(L"", dir / L"out.txt");
    Run(dir / L"none.txt", dir / L"out.txt");
    Run(text, dir / L"A.TXT");  // the same file under other letters
    Run(picture, dir / L"pic.txt");
    EXPECT_EQ((std::vector<std::wstring>{L"File path cann't Null!", L"File path cann't Null!",
                                         L"File path cann't Null!", L"This Path is not exist!",
                                         L"File path is same!", L"Donn't switch binary file!"}),
              texts);
    ExpectIdle();  // Start was never disabled, the binary file's run included
    EXPECT_EQ((Names{L"a.txt", L"pic.gif"}), Listing(dir));
    EXPECT_EQ("GIF89a\r\n", Bytes(picture));
    ExpectSourcesUnchanged();
}

TEST_F(ConvertRunTest, BatchFlattensTheTreeInEitherDirection) {
    const fs::path src = dir / L"src";
    Source(src / L"a.txt", L"后来的发展\n");
    Source(src / L"sub" / L"b.asp", L"简体中文");
    Source(src / L"sub" / L"deeper" / L"c.h", L"发展\r\n后来");
    Source(src / L"pic.gif", L"GIF89a");
    Source(src / L"sub" / L"data.bin", L"后来");  // not in the filter
    CDialogResponder responder(IDOK);

    Click(window, IDC_MODE_BATCH);
    Run(src, dir / L"Out");
    EXPECT_EQ((Names{L"a.txt", L"b.asp", L"c.h"}), Listing(dir / L"out"));
    EXPECT_EQ(GbkOf(L"後來的發展\r\n"), Bytes(dir / L"out" / L"a.txt"));
    EXPECT_EQ(GbkOf(L"簡體中文\r\n"), Bytes(dir / L"out" / L"b.asp"));
    EXPECT_EQ(GbkOf(L"發展\r\n後來\r\n"), Bytes(dir / L"out" / L"c.h"));
    ExpectIdle();

    const fs::path back = dir / L"back";
    Source(back / L"x" / L"t.txt", L"簡體中文\r\n轉換繁體");
    TypePaths(back, dir / L"simple");
    Click(window, IDC_DIRECTION_TO_SIMPLIFIED);
    Click(window, IDC_START);
    EXPECT_EQ((Names{L"t.txt"}), Listing(dir / L"simple"));
    EXPECT_EQ(GbkOf(L"简体中文\r\n转换繁体\r\n"), Bytes(dir / L"simple" / L"t.txt"));
    ExpectIdle();

    EXPECT_TRUE(responder.Seen().empty());
    ExpectSourcesUnchanged();
}

TEST_F(ConvertRunTest, EveryEncodingAndNamesOutsideGbkThroughTheWindow) {
    // A folder named outside GBK, typed into the box; files in GBK, UTF-8 with and without a byte order mark
    // and UTF-16LE, one of them named outside GBK as well.
    const fs::path src = dir / L"资料😀";
    fs::create_directories(src);
    Write(src / L"gbk.txt", GbkOf(L"头发\n"));
    Write(src / L"u8.txt", Utf8FromWide(L"头发한\n"));
    Write(src / L"한글.txt", "\xef\xbb\xbf" + Utf8FromWide(L"头发\r\n"));
    const std::wstring utf16 = L"\xFEFF头发😀\n";
    Write(src / L"u16.txt", std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
    CDialogResponder responder(IDOK);

    Click(window, IDC_MODE_BATCH);
    Run(src, dir / L"出力😀");
    EXPECT_TRUE(responder.Seen().empty());
    const fs::path out = dir / L"出力😀";
    EXPECT_EQ(GbkOf(L"頭發\r\n"), Bytes(out / L"gbk.txt"));
    EXPECT_EQ(Utf8FromWide(L"頭發한\r\n"), Bytes(out / L"u8.txt"));
    EXPECT_EQ("\xef\xbb\xbf" + Utf8FromWide(L"頭發\r\n"), Bytes(out / L"한글.txt"));
    const std::wstring converted16 = L"\xFEFF頭發😀\r\n";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(converted16.data()), converted16.size() * 2),
              Bytes(out / L"u16.txt"));

    // One file, named outside GBK, in single-file mode, and its overwrite question with that name in it.
    Click(window, IDC_MODE_SINGLE);
    Run(src / L"한글.txt", out / L"한글.txt");
    ASSERT_EQ(1u, responder.Seen().size());
    const std::wstring& question = responder.Seen()[0].text;  // the destination under its lowered name
    EXPECT_EQ(Lowered((out / L"한글.txt").wstring()) + kExists,
              Lowered(question.substr(0, question.find(L':', 2))) + question.substr(question.find(L':', 2)));
    ExpectIdle();
}

TEST_F(ConvertRunTest, ByWordsTheWindowConvertsFilesByWordsInEveryMode) {
    const fs::path src = dir / L"src";
    Source(src / L"a.txt", L"头发很复杂\n");
    Write(src / L"b.txt", Utf8FromWide(L"杂志的制作😀\n"));
    CDialogResponder responder(IDOK);

    Run(src / L"a.txt", dir / L"one.txt");
    EXPECT_EQ(GbkOf(L"頭發很復雜\r\n"), Bytes(dir / L"one.txt"));  // the box unchecked: characters alone
    Click(window, IDC_BY_WORDS);
    Run(src / L"a.txt", dir / L"two.txt");
    EXPECT_EQ(GbkOf(L"頭髮很複雜\r\n"), Bytes(dir / L"two.txt"));
    Click(window, IDC_MODE_BATCH);
    Run(src, dir / L"out");
    EXPECT_EQ(GbkOf(L"頭髮很複雜\r\n"), Bytes(dir / L"out" / L"a.txt"));
    EXPECT_EQ(Utf8FromWide(L"雜誌的製作😀\r\n"), Bytes(dir / L"out" / L"b.txt"));
    EXPECT_TRUE(responder.Seen().empty());
    ExpectIdle();
}

// "地区" and "输出编码" reach the files too: Taiwan's words, written in Big5, which holds Taiwan's forms;
// then a batch in UTF-8.
TEST_F(ConvertRunTest, RegionAndOutputEncodingTheWindowShowsConvertItsFiles) {
    const fs::path src = dir / L"src";
    Source(src / L"a.txt", L"鼠标和软件为了\n");
    CDialogResponder responder(IDOK);
    testsupport::Choose(window, IDC_REGION, 2);           // 台湾用词
    testsupport::Choose(window, IDC_OUTPUT_ENCODING, 2);  // Big5
    Run(src / L"a.txt", dir / L"big5.txt");
    EXPECT_EQ("\xb7\xc6\xb9\xab\xa9\x4d\xb3\x6e\xc5\xe9\xac\xb0\xa4\x46\r\n", Bytes(dir / L"big5.txt"));
    testsupport::Choose(window, IDC_OUTPUT_ENCODING, 3);  // UTF-8
    Click(window, IDC_MODE_BATCH);
    Run(src, dir / L"out");
    EXPECT_EQ(Utf8FromWide(L"滑鼠和軟體為了\r\n"), Bytes(dir / L"out" / L"a.txt"));
    EXPECT_TRUE(responder.Seen().empty());
    ExpectIdle();
    ExpectSourcesUnchanged();
}

// Many small files, so that a timer falls due in the middle of the walk.
constexpr int kManyFiles = 300;

std::wstring Numbered(const wchar_t* prefix, int n, const wchar_t* extension) {
    wchar_t name[64];
    std::swprintf(name, 64, L"%ls%03d%ls", prefix, n, extension);
    return name;
}

TEST_F(ConvertRunTest, StopClickedDuringABatchEndsItAndTheNextRunRedoesEverything) {
    const fs::path src = dir / L"src", out = dir / L"out";
    std::map<std::wstring, std::string> expected;
    for (int i = 0; i < kManyFiles; ++i) {
        const std::wstring name = Numbered(L"f", i, L".txt");
        Source(src / name, L"后来的发展 " + std::to_wstring(i));
        expected[name] = GbkOf(L"後來的發展 " + std::to_wstring(i) + L"\r\n");
    }
    auto expectConverted = [&] {
        for (const std::wstring& name : Listing(out)) EXPECT_EQ(expected[name], Bytes(out / name)) << name;
    };
    Click(window, IDC_MODE_BATCH);

    std::size_t convertedAtClick = 0;
    bool startEnabled = true, stopEnabled = false;
    {
        CTicker ticker([&] {
            convertedAtClick = CountIn(out);
            if (convertedAtClick < 20) return false;
            startEnabled = Enabled(IDC_START);
            stopEnabled = Enabled(IDC_STOP);
            ::PostMessageW(dlg.Item(IDC_STOP), BM_CLICK, 0, 0);
            return true;
        });
        Run(src, out);
        ASSERT_TRUE(ticker.Done()) << "the walk ended before the click";
    }
    EXPECT_FALSE(startEnabled);
    EXPECT_TRUE(stopEnabled);
    EXPECT_EQ(convertedAtClick, CountIn(out));  // nothing after the click
    EXPECT_LT(convertedAtClick, static_cast<std::size_t>(kManyFiles));
    expectConverted();
    ExpectIdle();
    std::set<std::wstring> questions;
    for (const std::wstring& name : Listing(out)) questions.insert(Lowered((out / name).wstring()) + kExists);

    // The next run goes through every file again; each one already there is overwritten after a Yes.
    CDialogResponder responder(IDYES);
    Run(src, out);
    EXPECT_EQ(static_cast<std::size_t>(kManyFiles), CountIn(out));
    expectConverted();
    std::set<std::wstring> asked;
    for (const SeenDialog& box : responder.Seen()) {
        EXPECT_EQ(window, box.owner);
        asked.insert(box.text);
    }
    EXPECT_EQ(convertedAtClick, responder.Seen().size());
    EXPECT_EQ(questions, asked);
    ExpectIdle();
    ExpectSourcesUnchanged();
}

constexpr int kFilterFiles = 100;  // of each kind

TEST_F(ConvertRunTest, FilterEditedDuringABatchJudgesTheEntriesAfterIt) {
    const fs::path src = dir / L"src", out = dir / L"out";
    Names txt, htm;
    for (int i = 0; i < kFilterFiles; ++i) {
        txt.insert(Source(src / Numbered(L"t", i, L".txt"), L"后来").filename().wstring());
        htm.insert(Source(src / Numbered(L"h", i, L".htm"), L"发展").filename().wstring());
    }
    Click(window, IDC_MODE_BATCH);
    testsupport::TypeText(window, IDC_FILTER, L"*.txt;*.htm");

    // Every file passes the first filter, so those in DEST when it changes are exactly the ones examined.
    Names before;
    {
        CTicker ticker([&] {
            before = Listing(out);
            if (before.size() < 20) return false;
            testsupport::TypeText(window, IDC_FILTER, L"*.htm");
            return true;
        });
        Run(src, out);
        ASSERT_TRUE(ticker.Done()) << "the walk ended before the edit";
    }
    Names expected = before;
    for (const std::wstring& name : htm) expected.insert(name);
    EXPECT_EQ(expected, Listing(out));
    // Both kinds were left for after the edit, so both halves of the rule were put to the test.
    std::size_t txtBefore = 0;
    for (const std::wstring& name : before) txtBefore += txt.count(name);
    EXPECT_LT(txtBefore, txt.size());
    EXPECT_LT(before.size() - txtBefore, htm.size());
    ExpectIdle();
    ExpectSourcesUnchanged();
}

}  // namespace
