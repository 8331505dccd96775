// FileDialogTest.cpp: the common dialog wrapper, run for real: its filter, its hooks, its result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.hpp"
#include "platform/FileDialog.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using platform::CFileDialog;
using platform::Utf8FromWide;

// An Open dialog that, once up, shows a folder, then chooses a name there with OK (or cancels without a
// name); its validation refuses the first try. Each act runs from a thread timer inside the dialog's own
// loop.
class CChoosingDialog : public CFileDialog {
  public:
    CChoosingDialog(const std::string& filter, std::wstring folder, std::wstring name)
        : CFileDialog(true, "", "", OFN_HIDEREADONLY, filter),
          m_folder(std::move(folder)),
          m_name(std::move(name)) {}

    std::vector<std::wstring> types;  // the type list as it first showed
    int inits = 0;
    int validations = 0;
    std::string folderAtValidation;

  protected:
    void OnInitDialog() override {
        ++inits;
        t_current = this;
        ::SetTimer(nullptr, 0, 20, &CChoosingDialog::Act);
    }
    bool AcceptFileName() override {
        folderAtValidation = FolderPath();
        return ++validations > 1;
    }

  private:
    static void CALLBACK Act(HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        CChoosingDialog* self = t_current;
        HWND dialog = self->DialogWindow();
        if (!dialog) return;
        switch (self->m_step++) {
            case 0: {
                HWND list = self->Control(platform::kFileTypeList);
                const int count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
                for (int i = 0; i < count; ++i) {
                    wchar_t text[256] = {};
                    ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                   reinterpret_cast<LPARAM>(text));
                    self->types.push_back(text);
                }
                self->Enter(self->m_folder);
                break;
            }
            case 1:
                if (self->m_name.empty())
                    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                else
                    self->Enter(self->m_name);
                break;
            case 2:
                ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // once more, after the refusal
                break;
            default:
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // something went wrong: do not hang
                break;
        }
        ::SetTimer(nullptr, 0, 20, &CChoosingDialog::Act);
    }
    // Types into the name box and presses Enter.
    void Enter(const std::wstring& text) {
        ::SetWindowTextW(Control(FileNameBoxId()), text.c_str());
        ::SendMessageW(DialogWindow(), WM_COMMAND, IDOK, 0);
    }

    static inline thread_local CChoosingDialog* t_current = nullptr;
    std::wstring m_folder;
    std::wstring m_name;
    int m_step = 0;
};

TEST(FileDialogTest, ChoosesANameThatPassesValidation) {
    testsupport::TempDir dir;
    const std::wstring folder = dir.path().wstring() + L"\\文件夹";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring previous = platform::WideFromUtf8(platform::CurrentDirectory());

    // 亅 is 0x81 0x7C in GBK: its trail byte is the code of "|", which must not split the description.
    CChoosingDialog dialog(Utf8FromWide(L"亅 文本|*.txt;*.asp|All|*.*||"), folder, L"新 文件.txt");
    EXPECT_EQ(IDOK, dialog.RunModal());
    ::SetCurrentDirectoryW(previous.c_str());  // the dialog entered the folder; it must go with the test

    EXPECT_EQ((std::vector<std::wstring>{L"亅 文本", L"All"}), dialog.types);
    EXPECT_EQ(1, dialog.inits);
    EXPECT_EQ(2, dialog.validations);
    EXPECT_EQ(Utf8FromWide(folder), dialog.folderAtValidation);
    EXPECT_EQ(Utf8FromWide(folder + L"\\新 文件.txt"), dialog.PathName());
    EXPECT_EQ(nullptr, dialog.DialogWindow());
}

TEST(FileDialogTest, FilterWithoutSeparatorsIsOneTypeWithoutPatterns) {
    CChoosingDialog dialog("aaaaa.aaaabbbb", L"C:\\", L"");
    EXPECT_EQ(IDCANCEL, dialog.RunModal());
    EXPECT_EQ((std::vector<std::wstring>{L"aaaaa.aaaabbbb"}), dialog.types);
    EXPECT_EQ("", dialog.PathName());
}

}  // namespace
