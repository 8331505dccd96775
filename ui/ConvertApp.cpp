// ConvertApp.cpp: the one application object and its initialisation hook.
#include "ConvertApp.hpp"

#include "ConvertDlg.hpp"
#include "platform/Dialog.hpp"

namespace {
CConvertApp theConvertApp;
}

bool CConvertApp::InitInstance() {
    platform::EnableCommonControls();
    CConvertDlg dlg;
    platform::SetMainDialog(&dlg);
    dlg.RunModal();
    // Nothing follows the window: no message loop of our own.
    return false;
}
