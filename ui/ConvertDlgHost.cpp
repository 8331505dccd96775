// ConvertDlgHost.cpp: the main window's side of file conversion: messages, progress, buttons, stop flag.
#include "ConvertDlg.hpp"
#include "platform/MessageBox.hpp"
#include "platform/MessagePump.hpp"

void CConvertDlg::ShowMessage(const std::string& text) { platform::AppMessageBox(text); }

bool CConvertDlg::AskYesNo(const std::string& text) {
    return platform::AppMessageBox(text, MB_YESNO | MB_ICONSTOP) == IDYES;
}

// Called after every line, millions of times for a large file, while the bar has a thousand steps: only a
// change costs a message.
void CConvertDlg::SetProgress(int position) {
    if (position == m_progressPos) return;
    m_progressPos = position;
    m_progress.SetPos(position);
}

// The walk dispatches without the dialog's keyboard handling, so Escape would go to the focused control, or
// to the window as a system key once disabling Start took the focus away, and do nothing: it closes here, as
// it does when no run is going on.
void CConvertDlg::DispatchWaitingMessages() {
    platform::DispatchWaitingMessages([this](const MSG& msg) {
        const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        if (!key || msg.wParam != VK_ESCAPE) return false;
        if (msg.hwnd != Handle() && !::IsChild(Handle(), msg.hwnd)) return false;
        OnCancel();
        return true;
    });
}

std::string CConvertDlg::Filter() const { return m_strFilter; }

void CConvertDlg::EnableStart(bool enable) { m_btnStart.Enable(enable); }

void CConvertDlg::EnableStop(bool enable) { m_btnStop.Enable(enable); }
