#include "platform/Services.h"

#include <atomic>

#include "platform/QtPrompts.h"
#include "platform/QtShell.h"
#include "platform/QtSkin.h"
#include "platform/QtSound.h"

namespace {

// One slot per service: the installed implementation, or null for the Qt one made on first use.
template <class Interface, class QtImplementation>
class ServiceSlot {
public:
    Interface& Get() {
        if (Interface* installed = m_installed.load()) {
            return *installed;
        }
        static QtImplementation standard;
        return standard;
    }
    void Set(Interface* service) { m_installed.store(service); }

private:
    std::atomic<Interface*> m_installed{nullptr};
};

ServiceSlot<Prompts, QtPrompts> g_prompts;
ServiceSlot<Skin, QtSkin> g_skin;
ServiceSlot<Sound, QtSound> g_sound;
ServiceSlot<Shell, QtShell> g_shell;

}  // namespace

Prompts& Services::GetPrompts() {
    return g_prompts.Get();
}
Skin& Services::GetSkin() {
    return g_skin.Get();
}
Sound& Services::GetSound() {
    return g_sound.Get();
}
Shell& Services::GetShell() {
    return g_shell.Get();
}

void Services::SetPrompts(Prompts* prompts) {
    g_prompts.Set(prompts);
}
void Services::SetSkin(Skin* skin) {
    g_skin.Set(skin);
}
void Services::SetSound(Sound* sound) {
    g_sound.Set(sound);
}
void Services::SetShell(Shell* shell) {
    g_shell.Set(shell);
}
