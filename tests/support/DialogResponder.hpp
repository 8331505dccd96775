// DialogResponder.hpp: meets the message boxes and modal dialogs a test provokes on its own thread, records
// what each one shows and presses the button the test chose.
//
// A thread-local WH_CBT hook notes every dialog window (class #32770) created while the responder lives and,
// when one is first activated (its controls are filled by then), reads it and posts the chosen button's
// click. Windows that existed before the responder, such as a main window the test opened, are left alone.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

struct SeenDialog {
    HWND window = nullptr;
    HWND owner = nullptr;
    bool ownerEnabled = false;  // a modal box disables its owner
    std::wstring caption;
    std::wstring text;                  // a message box's text: the static control 0xFFFF
    std::vector<int> buttons;           // IDs of the buttons, in creation order
    std::vector<std::wstring> statics;  // texts of the static controls and group boxes, in creation order
    HICON icon = nullptr;               // the image of the first icon control
};

class CDialogResponder {
  public:
    // Decides, for each dialog, which button to press; 0 presses none (the handler may act on it itself).
    using Handler = std::function<int(const SeenDialog&)>;

    explicit CDialogResponder(int button = IDOK)
        : CDialogResponder([button](const SeenDialog&) { return button; }) {}
    explicit CDialogResponder(Handler handler) : m_handler(std::move(handler)) {
        m_previous = t_current;
        t_current = this;
        m_hook = ::SetWindowsHookExW(WH_CBT, &CDialogResponder::CbtProc, nullptr, ::GetCurrentThreadId());
    }
    ~CDialogResponder() {
        if (m_hook) ::UnhookWindowsHookEx(m_hook);
        t_current = m_previous;
    }
    CDialogResponder(const CDialogResponder&) = delete;
    CDialogResponder& operator=(const CDialogResponder&) = delete;

    bool Installed() const { return m_hook != nullptr; }
    const std::vector<SeenDialog>& Seen() const { return m_seen; }

    // Reads what a dialog window shows.
    static SeenDialog Read(HWND window) {
        SeenDialog seen;
        seen.window = window;
        seen.owner = ::GetWindow(window, GW_OWNER);
        seen.ownerEnabled = seen.owner && ::IsWindowEnabled(seen.owner);
        seen.caption = TextOf(window);
        if (HWND text = ::GetDlgItem(window, 0xFFFF)) seen.text = TextOf(text);
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            const std::wstring cls = ClassOf(child);
            const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
            if (_wcsicmp(cls.c_str(), L"Button") == 0) {
                if ((style & BS_TYPEMASK) == BS_GROUPBOX)
                    seen.statics.push_back(TextOf(child));
                else
                    seen.buttons.push_back(::GetDlgCtrlID(child));
            } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
                if ((style & SS_TYPEMASK) == SS_ICON) {
                    if (!seen.icon)
                        seen.icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
                } else {
                    seen.statics.push_back(TextOf(child));
                }
            }
        }
        return seen;
    }

    static void Press(HWND window, int button) {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
    }

    // Asks the window itself (GetWindowText would not ask a control of another process).
    static std::wstring TextOf(HWND window) {
        const auto length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const auto copied =
            ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(copied));
        return text;
    }

    static std::wstring ClassOf(HWND window) {
        wchar_t name[256] = {};
        ::GetClassNameW(window, name, 256);
        return name;
    }

  private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
        CDialogResponder* self = t_current;
        HWND window = reinterpret_cast<HWND>(wParam);
        if (self && code == HCBT_CREATEWND && ClassOf(window) == L"#32770") self->m_created.insert(window);
        if (self && code == HCBT_ACTIVATE && self->m_created.count(window) &&
            !self->m_answered.count(window)) {
            self->m_answered.insert(window);
            self->m_seen.push_back(Read(window));
            if (const int button = self->m_handler(self->m_seen.back())) Press(window, button);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline thread_local CDialogResponder* t_current = nullptr;

    Handler m_handler;
    HHOOK m_hook = nullptr;
    CDialogResponder* m_previous = nullptr;
    std::set<HWND> m_created;
    std::set<HWND> m_answered;
    std::vector<SeenDialog> m_seen;
};

}  // namespace testsupport
