#pragma once
// The window interface the component's dialogs share with the host, and the registry of the windows that
// are alive. Host and component each link the rest of the platform layer statically; this part is a
// shared library of its own (libnimbra-winbase.so), so a process has one registry and the host's language
// switch reaches the component's windows too.

#define NIMBRA_WINBASE_EXPORT __attribute__((visibility("default")))

namespace SC_ORVA {

class NIMBRA_WINBASE_EXPORT IWinBase {
public:
    // Reads every language text of the window again.
    virtual bool SetLanguage() = 0;
    virtual bool PostDestroyWin() = 0;
    // Leaves the registry.
    virtual ~IWinBase();
};

// A window whose controls exist joins the registry; it leaves it when destroyed or unregistered. Both on
// the user-interface thread; registering twice keeps one entry.
NIMBRA_WINBASE_EXPORT void RegisterWindow(IWinBase* window);
NIMBRA_WINBASE_EXPORT void UnregisterWindow(IWinBase* window);
// Runs SetLanguage on every registered window, in the order they joined, on the user-interface thread
// (queued there when called from another thread). A window destroyed meanwhile is skipped.
NIMBRA_WINBASE_EXPORT void SetLanguageOfAllWindows();

}  // namespace SC_ORVA
