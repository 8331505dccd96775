// DialogTemplate.hpp: reads an extended dialog template (DLGTEMPLATEEX) back from the executable's resources,
// so a test sees exactly what the resource compiler made of the script.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // predefined classes by name ("Button", "Edit", "Static", ...)
    std::wstring text;
    int textOrdinal = -1;  // a resource ID instead of a text (the icon of an icon control)
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

namespace detail {

class CTemplateReader {
  public:
    CTemplateReader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Failed() const { return m_failed; }

    template <class T>
    T Read() {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_failed = true;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::wstring ReadString() {
        std::wstring text;
        for (WORD c = Read<WORD>(); c != 0 && !m_failed; c = Read<WORD>())
            text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    // A text or an ordinal (0xFFFF then the number); 0x0000 alone means neither.
    void ReadTextOrOrdinal(std::wstring& text, int& ordinal) {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            ordinal = Read<WORD>();
        } else if (first != 0) {
            text.push_back(static_cast<wchar_t>(first));
            text += ReadString();
        }
    }
    void AlignToDword() { m_pos = (m_pos + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t bytes) { m_pos += bytes; }

  private:
    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

inline std::wstring PredefinedClass(int ordinal) {
    switch (ordinal) {
        case 0x80:
            return L"Button";
        case 0x81:
            return L"Edit";
        case 0x82:
            return L"Static";
        case 0x83:
            return L"ListBox";
        case 0x84:
            return L"ScrollBar";
        case 0x85:
            return L"ComboBox";
        default:
            return L"#" + std::to_wstring(ordinal);
    }
}

}  // namespace detail

// False when the executable has no such template or it is not an extended one.
inline bool ReadDialogTemplate(int id, DialogTemplate& dialog) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!resource) return false;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, resource)));
    detail::CTemplateReader in(data, ::SizeofResource(module, resource));

    if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF) return false;
    in.Read<DWORD>();  // help ID
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    dialog.x = in.Read<short>();
    dialog.y = in.Read<short>();
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    std::wstring ignored;
    int ordinal = -1;
    in.ReadTextOrOrdinal(ignored, ordinal);  // menu
    in.ReadTextOrOrdinal(ignored, ordinal);  // window class
    dialog.caption = in.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Read<WORD>();
        in.Read<WORD>();  // weight
        in.Read<BYTE>();  // italic
        in.Read<BYTE>();  // character set
        dialog.typeface = in.ReadString();
    }
    for (WORD i = 0; i < count && !in.Failed(); ++i) {
        in.AlignToDword();
        TemplateItem item;
        in.Read<DWORD>();  // help ID
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = static_cast<int>(in.Read<DWORD>());
        int classOrdinal = -1;
        in.ReadTextOrOrdinal(item.className, classOrdinal);
        if (classOrdinal >= 0) item.className = detail::PredefinedClass(classOrdinal);
        in.ReadTextOrOrdinal(item.text, item.textOrdinal);
        in.Skip(in.Read<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    return !in.Failed();
}

}  // namespace testsupport
