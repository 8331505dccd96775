// DroppedFiles.cpp: reading a drop handle through the wide shell API.
#include "DroppedFiles.hpp"

namespace platform {

int CDroppedFiles::Count() const {
    return static_cast<int>(::DragQueryFileW(m_drop, 0xFFFFFFFF, nullptr, 0));
}

std::wstring CDroppedFiles::Name(int index) const {
    const UINT length = ::DragQueryFileW(m_drop, static_cast<UINT>(index), nullptr, 0);
    if (length == 0) return {};
    std::wstring name(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(m_drop, static_cast<UINT>(index), name.data(), length + 1);
    name.resize(copied);
    return name;
}

PathKind CDroppedFiles::Kind(int index) const {
    const DWORD attributes = ::GetFileAttributesW(Name(index).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

bool CDroppedFiles::ClientPoint(POINT& point) const { return ::DragQueryPoint(m_drop, &point) != FALSE; }

}  // namespace platform
