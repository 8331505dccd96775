// PathDlg.hpp: the folder chooser: a Save dialog whose list is walked to a folder, ended with "确定".
#pragma once

#include <windows.h>

#include <string>

#include "platform/FileDialog.hpp"

// The user walks the folder tree, clicks the folder wanted and presses "确定", which is the dialog's Cancel
// button relabelled: a run that ends with IDCANCEL has chosen m_strPath. Selecting a folder also makes it the
// process's current directory.
class CPathDlg : public platform::CFileDialog {
  public:
    CPathDlg(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
             DWORD flags, const std::string& filter, HWND parent = nullptr);

    const char* ClassName() const override { return "CPathDlg"; }

    // Full path of the folder last selected in the list; "" when the last item selected was not a folder or
    // nothing was selected yet.
    std::string m_strPath;

  protected:
    void OnInitDialog() override;
    void OnSelectionChange() override;
    // Every name passes: the chooser never ends through OK on purpose.
    bool AcceptFileName() override { return true; }
};
