// Controls.hpp: typed one-line wrappers over the messages of the controls the dialogs bind.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

namespace platform {

// A control of a dialog; bound to its window by the dialog's data exchange.
class CControl {
  public:
    void Attach(HWND window) { m_hwnd = window; }
    HWND Handle() const { return m_hwnd; }

  protected:
    HWND m_hwnd = nullptr;
};

class CButton : public CControl {
  public:
    void Enable(bool enable) { ::EnableWindow(m_hwnd, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(m_hwnd) != FALSE; }
};

class CProgressBar : public CControl {
  public:
    void SetRange(int lower, int upper) { ::SendMessageW(m_hwnd, PBM_SETRANGE32, lower, upper); }
    void SetPos(int position) { ::SendMessageW(m_hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0); }
    int GetPos() const { return static_cast<int>(::SendMessageW(m_hwnd, PBM_GETPOS, 0, 0)); }
};

}  // namespace platform
