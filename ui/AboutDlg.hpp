// AboutDlg.hpp: the About box: the product, its version, a rights line and a few notes, all in its template.
#pragma once

#include "platform/Dialog.hpp"

class CAboutDlg : public platform::CTemplateDialog {
  public:
    CAboutDlg();
};
