// Playing a short WAV file (a completion sound) through SDL2 audio. The
// player is replaceable, so tests record what would sound instead.
#pragma once
#include <memory>
#include <string>

namespace sys
{
class ISoundPlayer
{
public:
    virtual ~ISoundPlayer() = default;
    // Starts playing the file and returns at once.
    virtual bool PlayWav(const std::string& path) = 0;
};

// Starts playing the file through the current sound player and returns at
// once. False when the file is missing or not a WAV file SDL can read, or no
// audio device could be opened.
bool PlayWavFile(const std::string& path);
// Replaces the sound player; nullptr restores the default (SDL2). Returns the
// previous one.
std::shared_ptr<ISoundPlayer> SetSoundPlayer(std::shared_ptr<ISoundPlayer> player);
}
