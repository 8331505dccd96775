// ScreenshotDriver.cpp: drives the running Zendrix window into the state of the README picture.
//   screenshot_driver show     waits for the window, types sample text, checks 按词语转换, clicks "→", prints
//                              "X Y WIDTH HEIGHT"
//   screenshot_driver measure  prints, per labelled control, its room and its text's size in pixels
//   screenshot_driver front    puts the window in front, its title bar active
//   screenshot_driver close    clicks "关闭"
#include <windows.h>

#include <cstdio>
#include <string>

#include "res/resource.h"

namespace {

const wchar_t kTitle[] = L"Oldeno通用繁简转换工具";
const wchar_t kSample[] = L"简体中文转换为繁体中文。\r\n头发很复杂，杂志的制作";

HWND WaitForWindow(int seconds) {
    for (int waited = 0; waited < seconds * 10; ++waited) {
        HWND window = ::FindWindowW(L"#32770", kTitle);
        if (window && ::IsWindowVisible(window)) return window;
        ::Sleep(100);
    }
    return nullptr;
}

std::wstring TextOf(HWND control) {
    wchar_t text[1024] = {};
    ::SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string Utf8(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Waits until the program has handled everything sent before, so its boxes hold their new texts.
void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
}

int Show(HWND window) {
    ::SendMessageW(::GetDlgItem(window, IDC_SIMPLIFIED_TEXT), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(kSample));
    ::SendMessageW(::GetDlgItem(window, IDC_BY_WORDS), BM_CLICK, 0, 0);  // the words decide 髮, 複, 誌, 製
    ::SendMessageW(::GetDlgItem(window, IDC_TO_TRADITIONAL), BM_CLICK, 0, 0);
    Settle(window);
    std::wstring converted = TextOf(::GetDlgItem(window, IDC_TRADITIONAL_TEXT));
    if (converted.empty()) {
        std::fprintf(stderr, "screenshot_driver: \"→\" left the right box empty\n");
        return 1;
    }
    std::fprintf(stderr, "right box: %s\n", Utf8(converted).c_str());
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

// The dialog font as the dialog manager makes it at this process's DPI, which is the program's too.
HFONT CreateDialogFont(int dpi) {
    return ::CreateFontW(-::MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
}

struct SMeasureContext {
    HDC dc;
    int checkRoom;  // what a radio button's circle and gap take from its width
};

BOOL CALLBACK MeasureControl(HWND control, LPARAM param) {
    const auto* context = reinterpret_cast<const SMeasureContext*>(param);
    std::wstring text = TextOf(control);
    wchar_t className[64] = {};
    ::GetClassNameW(control, className, 64);
    if (text.empty() || ::lstrcmpiW(className, L"Edit") == 0) return TRUE;
    LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    bool radio =
        ::lstrcmpiW(className, L"Button") == 0 && (type == BS_AUTORADIOBUTTON || type == BS_AUTOCHECKBOX);
    RECT client = {};
    ::GetClientRect(control, &client);
    RECT needed = {};
    ::DrawTextW(context->dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    int room = client.right - (radio ? context->checkRoom : 0);
    std::printf("%5d %-7ls room %4dx%-3ld text %4ldx%-3ld %s %s\n", ::GetDlgCtrlID(control), className, room,
                client.bottom, needed.right, needed.bottom, needed.right > room ? "TOO NARROW" : "fits      ",
                Utf8(text).c_str());
    return TRUE;
}

int Measure(HWND window) {
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    std::printf("system DPI %d, window %ldx%ld\n", dpi, rect.right - rect.left, rect.bottom - rect.top);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, CreateDialogFont(dpi));
    // Wine's radio buttons put their text after a circle 12 pixels wide at 96 DPI and half a digit's width.
    int digit = 0;
    ::GetCharWidth32W(dc, L'0', L'0', &digit);
    SMeasureContext context = {dc, 12 * dpi / 96 + 1 + digit / 2};
    ::EnumChildWindows(window, MeasureControl, reinterpret_cast<LPARAM>(&context));
    ::DeleteObject(::SelectObject(dc, previous));
    ::DeleteDC(dc);
    return 0;
}

// As a user's window is. Under Xvfb, with no window manager, Wine paints the front window's title bar in its
// inactive colours after another program has started: ask for the active ones, which a desktop shows.
int Front(HWND window) {
    ::SetForegroundWindow(window);
    ::SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
    Settle(window);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Screen pixels, not the coordinates Windows makes up for programs that do not know the DPI.
    ::SetProcessDPIAware();
    std::wstring command = argc == 2 ? argv[1] : L"";
    if (command != L"show" && command != L"measure" && command != L"front" && command != L"close") {
        std::fprintf(stderr, "usage: screenshot_driver show|measure|front|close\n");
        return 2;
    }
    HWND window = WaitForWindow(command == L"show" ? 60 : 5);
    if (!window) {
        std::fprintf(stderr, "screenshot_driver: no visible window titled %s\n", Utf8(kTitle).c_str());
        return 1;
    }
    if (command == L"show") return Show(window);
    if (command == L"measure") return Measure(window);
    if (command == L"front") return Front(window);
    ::PostMessageW(::GetDlgItem(window, IDCLOSE), BM_CLICK, 0, 0);
    return 0;
}
