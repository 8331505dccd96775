// FileDialog.cpp: GetOpenFileNameW / GetSaveFileNameW with a hook dispatching to the dialog object.
#include "FileDialog.hpp"

// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "CodePage.hpp"
#include "Dialog.hpp"

namespace platform {

namespace {

// Room for the longest path Windows handles, or for many names chosen at once.
constexpr std::size_t kFileBufferSize = 65536;

std::vector<wchar_t> NulSeparated(const std::string& filter) {
    if (filter.empty()) return {};
    const std::wstring wide = WideFromUtf8(filter);
    std::vector<wchar_t> list(wide.begin(), wide.end());
    std::replace(list.begin(), list.end(), L'|', L'\0');
    // Two NULs end the list even when the filter lacks its final "||".
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

}  // namespace

CFileDialog::CFileDialog(bool openFileDialog, const std::string& defaultExtension,
                         const std::string& fileName, DWORD flags, const std::string& filter, HWND parent)
    : m_open(openFileDialog),
      m_defaultExtension(WideFromUtf8(defaultExtension)),
      m_fileName(WideFromUtf8(fileName)),
      m_flags(flags),
      m_filter(NulSeparated(filter)),
      m_parent(parent) {}

INT_PTR CFileDialog::RunModal() {
    std::vector<wchar_t> file(kFileBufferSize, L'\0');
    std::copy_n(m_fileName.begin(), std::min(m_fileName.size(), file.size() - 1), file.begin());

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_parent ? m_parent : MainWindow();
    ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    ofn.Flags = m_flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = &CFileDialog::HookProc;

    m_pathName.clear();
    const BOOL chosen = m_open ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    m_hook = nullptr;
    if (chosen) {
        m_pathName = Utf8FromWide(file.data());
        return IDOK;
    }
    // Without an error code the user cancelled; otherwise the dialog failed (no window, buffer too small).
    return ::CommDlgExtendedError() == 0 ? IDCANCEL : -1;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self =
            reinterpret_cast<CFileDialog*>(reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
        self->m_hook = hook;
        ::SetWindowLongPtrW(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        return TRUE;
    }
    auto* self = reinterpret_cast<CFileDialog*>(::GetWindowLongPtrW(hook, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
        case WM_NOTIFY:
            switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
                // Not the hook's WM_INITDIALOG: the real dialog makes that before its file list exists,
                // and Wine sizes the dialog after it.
                case CDN_INITDONE:
                    self->OnInitDialog();
                    return FALSE;
                case CDN_SELCHANGE:
                    self->OnSelectionChange();
                    return FALSE;
                case CDN_FILEOK:
                    // Nonzero keeps the dialog open.
                    ::SetWindowLongPtrW(hook, DWLP_MSGRESULT, self->AcceptFileName() ? 0 : 1);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            ::SetWindowLongPtrW(hook, DWLP_USER, 0);
            self->m_hook = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

int CFileDialog::FileNameBoxId() const {
    return ::GetDlgItem(DialogWindow(), kFileNameEdit) ? kFileNameEdit : kFileNameCombo;
}

void CFileDialog::SetControlText(int id, const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    ::SendMessageW(DialogWindow(), CDM_SETCONTROLTEXT, static_cast<WPARAM>(id),
                   reinterpret_cast<LPARAM>(wide.c_str()));
}

void CFileDialog::HideControl(int id) {
    ::SendMessageW(DialogWindow(), CDM_HIDECONTROL, static_cast<WPARAM>(id), 0);
}

void CFileDialog::EnableControl(int id, bool enable) { ::EnableWindow(Control(id), enable ? TRUE : FALSE); }

void CFileDialog::SetTitle(const std::string& title) {
    ::SetWindowTextW(DialogWindow(), WideFromUtf8(title).c_str());
}

std::string CFileDialog::FolderPath() const {
    HWND dialog = DialogWindow();
    // Asked without a buffer, the dialog answers the size it needs, its NUL included.
    const LRESULT needed = ::SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0);
    if (needed <= 0) return {};
    std::wstring path(static_cast<std::size_t>(needed), L'\0');
    if (::SendMessageW(dialog, CDM_GETFOLDERPATH, path.size(), reinterpret_cast<LPARAM>(path.data())) <= 0)
        return {};
    path.resize(::wcsnlen(path.data(), path.size()));
    return Utf8FromWide(path);
}

HWND CFileDialog::FileList() const {
    // The shell view is made anew for each folder shown; its list keeps the same ID.
    HWND view = Control(kShellView);
    return view ? ::GetDlgItem(view, kShellViewList) : nullptr;
}

int CFileDialog::ListItemCount() const {
    HWND list = FileList();
    return list ? static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

bool CFileDialog::IsListItemSelected(int index) const {
    HWND list = FileList();
    return list && (::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) &
                    LVIS_SELECTED) != 0;
}

std::string CFileDialog::ListItemText(int index) const {
    HWND list = FileList();
    if (!list) return {};
    // The list answers the length it copied; one short of the buffer may mean the text was cut.
    for (int size = 256; size <= 65536; size *= 2) {
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = text.data();
        item.cchTextMax = size;
        const LRESULT length = ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                              reinterpret_cast<LPARAM>(&item));
        if (length < size - 1) {
            text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
            return Utf8FromWide(text);
        }
    }
    return {};
}

RECT CFileDialog::ScreenRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool CFileDialog::MoveControl(int id, int x, int y, int width, int height, bool repaint) {
    return ::MoveWindow(Control(id), x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

}  // namespace platform
