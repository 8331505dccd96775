// Application.hpp: the application object and the program's entry point.
#pragma once

namespace platform {

// The one application object of the process, a static instance of a derived class. The entry point runs its
// initialisation hook; when the hook returns, the program ends.
class CApplication {
  public:
    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    static CApplication* Current();
    // Runs the initialisation hook and returns the program's exit code.
    int Run();

  protected:
    // The program's whole work. The result says whether a message loop should follow; there is none, so
    // either way the program ends when the hook returns.
    virtual bool InitInstance() = 0;
};

// Registers the common control classes (progress bar among them) before the first dialog is made.
bool EnableCommonControls();

}  // namespace platform
