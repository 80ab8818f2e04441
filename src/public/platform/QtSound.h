#pragma once
// Sound on Qt Multimedia. Qt reports no error when the machine has no audio output (the player just
// stays "playing"), so the outputs are checked before playing.

#include <memory>

#include "platform/Sound.h"

class QtSound final : public Sound {
public:
    QtSound();
    ~QtSound() override;
    bool PlayAsync(const std::string& file) override;
    // Whether the machine offers an audio output to play on (never without Qt Multimedia).
    static bool HasAudioOutput();

private:
    struct Player;
    std::unique_ptr<Player> m_player;
};
