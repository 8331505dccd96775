// Dialog.cpp: the one dialog procedure, dispatching to the dialog object's handlers.
#include "Dialog.hpp"

#include "CodePage.hpp"
#include "WindowText.hpp"

namespace platform {

namespace {
CTemplateDialog* g_mainDialog = nullptr;
}

void SetMainDialog(CTemplateDialog* dialog) { g_mainDialog = dialog; }
CTemplateDialog* MainDialog() { return g_mainDialog; }
HWND MainWindow() { return g_mainDialog ? g_mainDialog->Handle() : nullptr; }

CTemplateDialog::CTemplateDialog(int templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CTemplateDialog::~CTemplateDialog() {
    if (g_mainDialog == this) g_mainDialog = nullptr;
    if (!m_hwnd) return;
    // The derived parts are gone: no handler may run during the destruction.
    ::SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
    ::DestroyWindow(m_hwnd);
}

INT_PTR CTemplateDialog::RunModal() {
    m_modal = true;
    m_ended = false;
    return ::DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), Owner(), DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CTemplateDialog::CreateModeless() {
    m_modal = false;
    m_ended = false;
    return ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), Owner(), DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CTemplateDialog::End(INT_PTR result) {
    m_ended = true;
    m_result = result;
    // Also right for a modeless dialog: it hides the window, which stays until this object goes.
    ::EndDialog(m_hwnd, result);
}

HWND CTemplateDialog::Owner() const {
    if (m_parent) return m_parent;
    return g_mainDialog != this ? MainWindow() : nullptr;
}

INT_PTR CALLBACK CTemplateDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CTemplateDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CTemplateDialog*>(lParam);
        self->m_hwnd = window;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CTemplateDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT among them) go to the default handling.
    if (!self) return FALSE;
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CTemplateDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CenterOnOwnerOrScreen();
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            // Setting a control's text during an exchange notifies the dialog; a handler that took the values
            // then would overwrite members not yet shown.
            if (m_exchanging && lParam != 0) return TRUE;
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_SYSCOMMAND:
            return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
        case WM_PAINT:
            return OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            // One of the few messages whose result a dialog procedure returns directly.
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_DROPFILES:
            return OnDropFiles(reinterpret_cast<HDROP>(wParam)) ? TRUE : FALSE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam));
            return FALSE;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
            m_hwnd = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void CTemplateDialog::Exchange(bool save) {
    const bool outer = !m_exchanging;
    m_exchanging = true;
    DoDataExchange(save);
    if (outer) m_exchanging = false;
}

void CTemplateDialog::DoDataExchange(bool) {}

bool CTemplateDialog::OnInitDialog() {
    ShowValues();
    return true;
}

bool CTemplateDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CTemplateDialog::OnOK() {
    TakeValues();
    End(IDOK);
}

void CTemplateDialog::OnCancel() { End(IDCANCEL); }

bool CTemplateDialog::OnSysCommand(UINT, LPARAM) { return false; }

bool CTemplateDialog::OnPaint() { return false; }

HICON CTemplateDialog::OnQueryDragIcon() { return nullptr; }

bool CTemplateDialog::OnDropFiles(HDROP) { return false; }

void CTemplateDialog::OnDpiChanged(UINT) {}

void CTemplateDialog::ExchangeText(bool save, int id, std::string& value) {
    HWND control = Item(id);
    if (save) {
        value = GetWindowUtf8Text(control);
        return;
    }
    // Only a change is written: setting the same text would move the caret and notify the window again.
    if (GetWindowUtf8Text(control) != value) SetWindowUtf8Text(control, value);
}

void CTemplateDialog::ExchangeCheck(bool save, int id, bool& checked) {
    HWND control = Item(id);
    if (save) {
        checked = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    } else {
        ::SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void CTemplateDialog::ExchangeList(bool save, int id, int& index) {
    HWND control = Item(id);
    if (save) {
        index = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void CTemplateDialog::FillList(int id, std::initializer_list<const char*> items) {
    HWND control = Item(id);
    ::SendMessageW(control, CB_RESETCONTENT, 0, 0);
    for (const char* item : items) {
        ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(item).c_str()));
    }
}

void CTemplateDialog::ExchangeRadio(bool save, int firstId, int& index) {
    if (save) index = -1;
    int position = 0;
    for (HWND control = Item(firstId); control;) {
        if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (!save) {
                ::SendMessageW(control, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
            } else if (index < 0 && ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                index = position;
            }
            ++position;
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
        if (control && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_GROUP)) break;
    }
}

void CTemplateDialog::BindControl(int id, CControl& control) { control.Attach(Item(id)); }

void CTemplateDialog::CenterOnOwnerOrScreen() {
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT area = work;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &area);

    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Keep it on the work area, its top-left corner first.
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    ::SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace platform
