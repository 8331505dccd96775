// Dialog.hpp: a dialog built from a template resource, with virtual handlers and data exchange.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <initializer_list>
#include <string>

#include "Controls.hpp"

namespace platform {

// One dialog window made from the template with the given ID in the executable's resources. It runs modally
// (RunModal) or without a loop of its own (CreateModeless, driven by the caller's loop). Texts are UTF-8.
class CTemplateDialog {
  public:
    // A dialog without a parent is owned by the main window (SetMainDialog), if there is one.
    explicit CTemplateDialog(int templateId, HWND parent = nullptr);
    virtual ~CTemplateDialog();
    CTemplateDialog(const CTemplateDialog&) = delete;
    CTemplateDialog& operator=(const CTemplateDialog&) = delete;

    // Shows the dialog and returns when it ends: the result passed to End (IDOK, IDCANCEL), or -1 when the
    // template could not be made into a window.
    INT_PTR RunModal();
    // Creates the window and returns after its initialisation; it stays hidden unless the template says
    // otherwise. The window is destroyed with this object.
    bool CreateModeless();

    HWND Handle() const { return m_hwnd; }
    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    bool HasEnded() const { return m_ended; }
    INT_PTR Result() const { return m_result; }

    // Take the values: copy every bound control into its member.
    void TakeValues() { Exchange(true); }
    // Show the values: copy every bound member into its control.
    void ShowValues() { Exchange(false); }
    // Ends the dialog with a result; a modal run returns it.
    void End(INT_PTR result);

  protected:
    // One call per control-member pair, in a fixed order: ExchangeText, ExchangeRadio, ExchangeCheck,
    // BindControl.
    virtual void DoDataExchange(bool save);

    // Shows the values; true puts the focus on the first tab stop.
    virtual bool OnInitDialog();
    // WM_COMMAND. The default takes OK (take the values, end with IDOK) and Cancel (end with IDCANCEL); true
    // when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnOK();
    virtual void OnCancel();
    // WM_SYSCOMMAND; false leaves it to Windows.
    virtual bool OnSysCommand(UINT command, LPARAM lParam);
    // WM_PAINT; false paints as usual.
    virtual bool OnPaint();
    // The icon to show while the minimised window is dragged; nullptr for the default.
    virtual HICON OnQueryDragIcon();
    // Files dropped on a window that accepts them (DragAcceptFiles); the handler owns the handle and must
    // release it (CDroppedFiles does). False leaves it to Windows, which releases nothing.
    virtual bool OnDropFiles(HDROP drop);
    // The window moved to a monitor with another DPI (per-monitor aware programs only). Windows rescales a
    // dialog made from a template, its font and its controls by itself, after this.
    virtual void OnDpiChanged(UINT dpi);

    void ExchangeText(bool save, int id, std::string& value);
    // A radio group as the 0-based index of its checked button, counting the radio buttons from firstId up
    // to the next control that starts a group. Taking it gives -1 when none is checked.
    void ExchangeRadio(bool save, int firstId, int& index);
    // A check box as a flag: checked is true.
    void ExchangeCheck(bool save, int id, bool& checked);
    // The selected item of a drop-down list, counted from 0 (-1: none).
    void ExchangeList(bool save, int id, int& index);
    // Fills a drop-down list with items (UTF-8), in order.
    void FillList(int id, std::initializer_list<const char*> items);
    void BindControl(int id, CControl& control);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Exchange(bool save);
    HWND Owner() const;
    void CenterOnOwnerOrScreen();

    int m_templateId;
    HWND m_parent;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
    bool m_ended = false;
    INT_PTR m_result = 0;
    bool m_exchanging = false;
};

// The application's main window: message boxes and dialogs without a parent are owned by it.
void SetMainDialog(CTemplateDialog* dialog);
CTemplateDialog* MainDialog();
// The main window's handle, or nullptr while it has none.
HWND MainWindow();

}  // namespace platform
