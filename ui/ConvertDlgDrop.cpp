// ConvertDlgDrop.cpp: files and folders dropped on the main window from Explorer fill its path boxes.
#include "ConvertDlg.hpp"
#include "platform/DroppedFiles.hpp"
#include "res/resource.h"

// The destination box takes what falls on it; anything that falls elsewhere on the window is the source. A
// source decides the mode: a folder is a batch's, a file a single conversion's. Nothing starts by itself.
bool CConvertDlg::OnDropFiles(HDROP drop) {
    platform::CDroppedFiles dropped(drop);
    if (dropped.Count() == 0) return true;
    const std::wstring name = dropped.Name(0);  // of several, the first counts
    POINT at;
    HWND destBox = Item(IDC_DEST_PATH);
    RECT destRect;
    ::GetWindowRect(destBox, &destRect);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&destRect), 2);
    const bool onDest = dropped.ClientPoint(at) && ::PtInRect(&destRect, at);

    TakeValues();
    if (!onDest) {
        const platform::PathKind kind = dropped.Kind(0);
        // As a click on the other mode's button: it checks itself, and the change empties both path boxes.
        switch (Mode()) {
            case RunMode::SingleFile:
                if (kind != platform::PathKind::Folder) break;
                ::CheckRadioButton(Handle(), IDC_MODE_SINGLE, IDC_MODE_BATCH, IDC_MODE_BATCH);
                OnModeBatch();
                break;
            case RunMode::Batch:
                if (kind != platform::PathKind::File) break;
                ::CheckRadioButton(Handle(), IDC_MODE_SINGLE, IDC_MODE_BATCH, IDC_MODE_SINGLE);
                OnModeSingle();
                break;
        }
    }
    // Straight into the box as UTF-16, then taken: a name GBK cannot hold stays whole in the box, where the
    // exchange leaves it alone while its member is unchanged.
    ::SetWindowTextW(onDest ? destBox : Item(IDC_SOURCE_PATH), name.c_str());
    TakeValues();
    return true;
}
