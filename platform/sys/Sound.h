// Playing a short WAV file (a completion sound) through SDL2 audio.
#pragma once
#include <string>

namespace sys
{
// Starts playing the file and returns at once. False when the file is missing
// or not a WAV file SDL can read, or no audio device could be opened.
bool PlayWavFile(const std::string& path);
}
