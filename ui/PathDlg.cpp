// PathDlg.cpp: the folder chooser's look and its reaction to the selection in the file list.
#include "PathDlg.hpp"

#include "platform/CodePage.hpp"
#include "platform/Dpi.hpp"
#include "platform/FileSystem.hpp"

using platform::Utf8FromWide;

CPathDlg::CPathDlg(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                   DWORD flags, const std::string& filter, HWND parent)
    : platform::CFileDialog(openFileDialog, defaultExtension, fileName, flags, filter, parent) {}

void CPathDlg::OnInitDialog() {
    platform::CFileDialog::OnInitDialog();
    SetControlText(IDCANCEL, Utf8FromWide(L"确定"));
    HideControl(IDOK);
    // The box only shows the folder chosen; typing a name there has no meaning here.
    EnableControl(FileNameBoxId(), false);
    HideControl(platform::kFileTypeList);
    HideControl(platform::kFileTypeLabel);
    SetControlText(platform::kFileNameLabel, Utf8FromWide(L"路径名："));
    SetControlText(platform::kLookInLabel, Utf8FromWide(L"当前路径："));
    SetTitle(Utf8FromWide(L"选择路径"));

    // Up to the row of the file-name box. The offsets are taken from the window's corner but used as client
    // coordinates: the 25 pixels stand for the title bar, which grows with the DPI. Only offsets count: Wine
    // places the dialog later.
    const RECT dialog = ScreenRect(DialogWindow());
    const RECT nameBox = ScreenRect(Control(FileNameBoxId()));
    const RECT button = ScreenRect(Control(IDCANCEL));
    const int titleBar = platform::ScaleForDpi(25, platform::WindowDpi(DialogWindow()));
    MoveControl(IDCANCEL, button.left - dialog.left, nameBox.top - dialog.top - titleBar,
                button.right - button.left, button.bottom - button.top, true);
}

void CPathDlg::OnSelectionChange() {
    // Several items may be selected: the one listed first counts. With none, the last choice stands.
    const int count = ListItemCount();
    int selected = 0;
    while (selected < count && !IsListItemSelected(selected)) ++selected;
    if (selected == count) return;

    const std::string folder = FolderPath();
    const std::string name = ListItemText(selected);
    // A drive root such as C:\ ends in its backslash already.
    const std::string candidate = folder.size() <= 3 ? folder + name : folder + "\\" + name;
    // A folder the dialog cannot name has no path on disk: its items must not resolve against the current
    // directory instead. The name box's text replaces what the dialog put there before it notified (Wine
    // puts the folder's path, or a file's name).
    if (!folder.empty() && platform::ChangeDirectory(candidate)) {
        SetControlText(FileNameBoxId(), candidate);
        m_strPath = candidate;
    } else {
        SetControlText(FileNameBoxId(), "");
        m_strPath.clear();
    }
}
