#pragma once
// The process-wide services the component uses for what the desktop does: the Qt implementations
// unless a test or a host installed others. An installed service is owned by whoever installed it and
// must outlive its installation; installing null returns to the Qt implementation.

class Prompts;
class Shell;
class Skin;
class Sound;

class Services {
public:
    static Prompts& GetPrompts();
    static Skin& GetSkin();
    static Sound& GetSound();
    static Shell& GetShell();

    static void SetPrompts(Prompts* prompts);
    static void SetSkin(Skin* skin);
    static void SetSound(Sound* sound);
    static void SetShell(Shell* shell);
};
