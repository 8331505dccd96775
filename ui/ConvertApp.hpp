// ConvertApp.hpp: the application object: it runs the main window and the program ends with it.
#pragma once

#include "platform/Application.hpp"

class CConvertApp : public platform::CApplication {
  protected:
    bool InitInstance() override;
};
