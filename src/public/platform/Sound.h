#pragma once
// Plays a sound file without waiting for it (the transfer list's finish sound).

#include <string>

class Sound {
public:
    virtual ~Sound() = default;
    // file in GB18030. False when the sound cannot be played: a missing file, no audio output, or no
    // audio support in this build.
    virtual bool PlayAsync(const std::string& file) = 0;
};
