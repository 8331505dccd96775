// DialogDriver.hpp: drives a real dialog from a test the way a user would, through window messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Application.hpp"
#include "platform/Dialog.hpp"
#include "platform/MessagePump.hpp"
#include "tests/support/DialogResponder.hpp"

namespace testsupport {

// The folder of the running executable, where the build puts the programs and the table file.
inline std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

// Makes a folder the current directory for one scope (the program looks its table file up there).
class CCurrentDirectory {
  public:
    explicit CCurrentDirectory(const std::wstring& dir) {
        wchar_t previous[MAX_PATH * 4] = {};
        ::GetCurrentDirectoryW(MAX_PATH * 4, previous);
        m_previous = previous;
        ::SetCurrentDirectoryW(dir.c_str());
    }
    ~CCurrentDirectory() { ::SetCurrentDirectoryW(m_previous.c_str()); }
    CCurrentDirectory(const CCurrentDirectory&) = delete;
    CCurrentDirectory& operator=(const CCurrentDirectory&) = delete;

  private:
    std::wstring m_previous;
};

inline void Pump() { platform::DispatchWaitingMessages(); }

// Creates the dialog without a loop of its own, makes it the main window and shows it. It goes away with the
// dialog object. False when it could not be created or ended during its initialisation.
inline bool OpenModeless(platform::CTemplateDialog& dialog) {
    platform::EnableCommonControls();
    platform::SetMainDialog(&dialog);
    if (!dialog.CreateModeless() || dialog.HasEnded()) return false;
    ::ShowWindow(dialog.Handle(), SW_SHOW);
    ::UpdateWindow(dialog.Handle());
    Pump();
    return true;
}

// Replaces a control's text as typing would: an edit box then notifies its dialog.
inline void SetText(HWND dialog, int id, const std::wstring& text) {
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Replaces a control's whole text through the selection, as a user's typing does: multi-line boxes notify
// their dialog of that too (WM_SETTEXT only notifies from single-line boxes).
inline void TypeText(HWND dialog, int id, const std::wstring& text) {
    HWND control = ::GetDlgItem(dialog, id);
    ::SendMessageW(control, EM_SETSEL, 0, -1);
    ::SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

inline std::wstring Text(HWND dialog, int id) { return CDialogResponder::TextOf(::GetDlgItem(dialog, id)); }

// A mouse click on a button (radio buttons check themselves first). Returns once its handler has run,
// including any modal box it opened: meet those with a CDialogResponder.
inline void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Chooses an item of a drop-down list as a user does: the list then tells its dialog the choice changed.
inline void Choose(HWND dialog, int id, int index) {
    HWND list = ::GetDlgItem(dialog, id);
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The items of a drop-down list.
inline std::vector<std::wstring> Items(HWND dialog, int id) {
    HWND list = ::GetDlgItem(dialog, id);
    std::vector<std::wstring> items;
    const auto count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int k = 0; k < count; ++k) {
        std::wstring item(static_cast<std::size_t>(::SendMessageW(list, CB_GETLBTEXTLEN, k, 0)), L'\0');
        ::SendMessageW(list, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(item);
    }
    return items;
}

inline bool IsChecked(HWND dialog, int id) {
    return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A key pressed while the control has the focus, as the modal loop of a dialog will see it.
inline void PostKey(HWND dialog, int id, UINT key) {
    HWND control = ::GetDlgItem(dialog, id);
    ::PostMessageW(control, WM_KEYDOWN, key, 1);
    ::PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

}  // namespace testsupport
