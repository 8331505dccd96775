// AboutDlg.cpp: the About box; "确定", Escape and the close box end it through the default handlers.
#include "AboutDlg.hpp"

#include "res/resource.h"

CAboutDlg::CAboutDlg() : platform::CTemplateDialog(IDD_ABOUTBOX) {}
