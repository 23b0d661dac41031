#include "platform/sys/Sound.h"

#include <SDL.h>

#include <mutex>
#include <thread>

namespace sys
{
namespace {
std::mutex gInitMutex;

// Starts SDL's audio when it is not running (the player may have shut it
// down since the last sound).
bool EnsureAudio()
{
    std::lock_guard<std::mutex> g(gInitMutex);
    if (SDL_WasInit(SDL_INIT_AUDIO)) return true;
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

bool PlaySdlWav(const std::string& path)
{
    if (path.empty()) return false;
    if (!EnsureAudio()) return false;
    SDL_AudioSpec spec{};
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV(path.c_str(), &spec, &buf, &len)) return false;
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (dev == 0 || SDL_QueueAudio(dev, buf, len) != 0)
    {
        if (dev) SDL_CloseAudioDevice(dev);
        SDL_FreeWAV(buf);
        return false;
    }
    SDL_FreeWAV(buf);   // queued: SDL keeps its own copy
    SDL_PauseAudioDevice(dev, 0);
    // Close the device once everything queued has been played.
    std::thread([dev] {
        while (SDL_GetQueuedAudioSize(dev) > 0) SDL_Delay(20);
        SDL_Delay(100);   // the device's own buffer drains
        SDL_CloseAudioDevice(dev);
    }).detach();
    return true;
}

class SdlSoundPlayer : public ISoundPlayer
{
public:
    bool PlayWav(const std::string& path) override { return PlaySdlWav(path); }
};

std::mutex gPlayerMutex;
std::shared_ptr<ISoundPlayer>& CurrentPlayer()
{
    static std::shared_ptr<ISoundPlayer> p = std::make_shared<SdlSoundPlayer>();
    return p;
}
} // namespace

bool PlayWavFile(const std::string& path)
{
    std::shared_ptr<ISoundPlayer> p;
    {
        std::lock_guard<std::mutex> g(gPlayerMutex);
        p = CurrentPlayer();
    }
    return p->PlayWav(path);
}

std::shared_ptr<ISoundPlayer> SetSoundPlayer(std::shared_ptr<ISoundPlayer> player)
{
    std::lock_guard<std::mutex> g(gPlayerMutex);
    auto old = CurrentPlayer();
    CurrentPlayer() = player ? std::move(player) : std::make_shared<SdlSoundPlayer>();
    return old;
}
}
