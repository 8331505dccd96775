// FileDialog.hpp: the common Open/Save dialog in its Explorer style, with a hook for derived dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

// Controls of the common dialog that derived dialogs reach (their dlgs.h names in brackets).
constexpr int kFileTypeLabel = 1089;  // stc2
constexpr int kFileNameLabel = 1090;  // stc3
constexpr int kLookInLabel = 1091;    // stc4
constexpr int kFileTypeList = 1136;   // cmb1
constexpr int kFileNameCombo = 1148;  // cmb13
constexpr int kFileNameEdit = 1152;   // edt1
constexpr int kShellView = 1121;      // lst2: the shell view window, holding the file list
constexpr int kShellViewList = 1;     // the list view inside the shell view

// One Open or Save dialog, run modally. Texts are UTF-8. The filter lists description|patterns pairs
// separated by "|", e.g. "Text (*.txt)|*.txt|All|*.*||"; patterns within a pair are separated by ";".
//
// With a hook the Explorer-style dialog is made of two windows: the hook's own empty child dialog and, as its
// parent, the real dialog with the buttons, the labels, the file-name box and the file list. The operations
// below act on the real dialog and are valid from OnInitDialog until the run ends.
class CFileDialog {
  public:
    // A dialog without a parent is owned by the main window (SetMainDialog), if there is one.
    CFileDialog(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                DWORD flags, const std::string& filter, HWND parent = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // The class's name, the run-time identity of a dialog seen through its base.
    virtual const char* ClassName() const { return "CFileDialog"; }

    // Shows the dialog and returns when it ends: IDOK when a name was chosen, IDCANCEL when it was cancelled
    // (Cancel, Escape, the close box), -1 when the dialog could not be shown. Without an initial name the
    // dialog picks its first folder itself: Wine 8 shows the current directory unless the folder it recorded
    // at this program's last OK still exists; Windows has rules of its own. Browsing moves the current
    // directory along.
    INT_PTR RunModal();
    // The full path chosen by the last run that ended with IDOK, e.g. C:\Texts\a.txt; with several files
    // chosen at once (OFN_ALLOWMULTISELECT), their folder.
    std::string PathName() const { return m_pathName; }

    // The real dialog window and one of its controls.
    HWND DialogWindow() const { return m_hook ? ::GetParent(m_hook) : nullptr; }
    HWND Control(int id) const { return ::GetDlgItem(DialogWindow(), id); }
    // The file-name box: Windows uses an edit box (1152) or a combo box (1148) depending on its version and
    // the flags; Wine always uses the combo box.
    int FileNameBoxId() const;

    void SetControlText(int id, const std::string& text);
    void HideControl(int id);
    void EnableControl(int id, bool enable);
    void SetTitle(const std::string& title);
    // The folder the dialog shows, e.g. C:\Texts or C:\ ; "" when the dialog cannot tell, which Windows does
    // for folders outside the file system such as Computer (Wine answers "::{20d04fe0-...}" there).
    std::string FolderPath() const;

    // The items of the file list, counted from 0 in the order they are listed.
    int ListItemCount() const;
    bool IsListItemSelected(int index) const;
    std::string ListItemText(int index) const;  // the name column

    // A window's rectangle in screen coordinates.
    static RECT ScreenRect(HWND window);
    // Moves a control of the dialog; the position is in the dialog's client coordinates.
    bool MoveControl(int id, int x, int y, int width, int height, bool repaint);

  protected:
    // The dialog is complete: every control is in place and the file list shows its first folder.
    virtual void OnInitDialog() {}
    // The selection in the file list has changed (nothing may be selected now).
    virtual void OnSelectionChange() {}
    // A name was chosen with OK; false keeps the dialog open.
    virtual bool AcceptFileName() { return true; }

  private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
    HWND FileList() const;

    bool m_open;
    std::wstring m_defaultExtension;
    std::wstring m_fileName;
    DWORD m_flags;
    std::vector<wchar_t> m_filter;  // NUL-separated pairs ending in two NULs
    HWND m_parent;
    HWND m_hook = nullptr;
    std::string m_pathName;
};

}  // namespace platform
