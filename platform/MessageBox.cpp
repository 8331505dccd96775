// MessageBox.cpp: the program's message box.
#include "MessageBox.hpp"

#include "CodePage.hpp"
#include "Dialog.hpp"

namespace platform {

namespace {

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: long paths exceed MAX_PATH
    }
}

std::wstring NameWithoutExtension(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

}  // namespace

std::string ApplicationName() { return Utf8FromWide(NameWithoutExtension(ExecutablePath())); }

int AppMessageBox(const std::string& text, UINT type) {
    const std::wstring caption = NameWithoutExtension(ExecutablePath());
    return ::MessageBoxW(MainWindow(), WideFromUtf8(text).c_str(), caption.c_str(), type);
}

}  // namespace platform
