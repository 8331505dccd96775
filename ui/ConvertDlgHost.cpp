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

void CConvertDlg::DispatchWaitingMessages() { platform::DispatchWaitingMessages(); }

std::string CConvertDlg::Filter() const { return m_strFilter; }

void CConvertDlg::EnableStart(bool enable) { m_btnStart.Enable(enable); }

void CConvertDlg::EnableStop(bool enable) { m_btnStop.Enable(enable); }
