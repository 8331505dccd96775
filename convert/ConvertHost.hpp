// ConvertHost.hpp: what file conversion needs from the window, and nothing more.
#pragma once

#include <string>

// The main window implements this; tests implement it with a recorder. Texts are UTF-8.
class IConvertHost {
  public:
    virtual ~IConvertHost() = default;

    // An OK message box with the warning icon.
    virtual void ShowMessage(const std::string& text) = 0;
    // A Yes/No message box with the stop icon; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Progress bar position, 0 to 1000.
    virtual void SetProgress(int position) = 0;
    // Removes, translates and delivers every waiting message of the thread (the window stays live in a
    // batch).
    virtual void DispatchWaitingMessages() = 0;
    // The filter box's text as last taken from the window (it may change during a batch run).
    virtual std::string Filter() const = 0;
    // Enables or disables the Start and the Stop button.
    virtual void EnableStart(bool enable) = 0;
    virtual void EnableStop(bool enable) = 0;
};
