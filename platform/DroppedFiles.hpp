// DroppedFiles.hpp: what a drop from Explorer (WM_DROPFILES) holds: names, their kinds, where they fell.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

namespace platform {

enum class PathKind { Missing, File, Folder };

// Reads the drop handle of one WM_DROPFILES and releases it when it goes, as the receiver must. Names are the
// shell's UTF-16, full paths, in the order the shell lists them.
class CDroppedFiles {
  public:
    explicit CDroppedFiles(HDROP drop) : m_drop(drop) {}
    ~CDroppedFiles() { ::DragFinish(m_drop); }
    CDroppedFiles(const CDroppedFiles&) = delete;
    CDroppedFiles& operator=(const CDroppedFiles&) = delete;

    int Count() const;
    std::wstring Name(int index) const;
    // What the name is on disk now; Missing for a name that is neither (gone, or no file-system path).
    PathKind Kind(int index) const;
    // The point where the items were let go, in the client coordinates of the window that got the drop; false
    // when they fell on its title bar or frame.
    bool ClientPoint(POINT& point) const;

  private:
    HDROP m_drop;
};

}  // namespace platform
