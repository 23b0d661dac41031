#include "platform/backend/Backend.h"

#include <mutex>

#include "platform/core/Exception.h"

namespace backend
{
namespace
{
// Guarded by gMx: the GUI thread sets the backend, any thread may wake it.
std::unique_ptr<IBackend> gBackend;
std::mutex gMx;
} // namespace

IBackend& Current()
{
    std::lock_guard<std::mutex> g(gMx);
    if (!gBackend) throw Exception("No display backend has been chosen");
    return *gBackend;
}

void SetCurrent(std::unique_ptr<IBackend> b)
{
    std::lock_guard<std::mutex> g(gMx);
    gBackend = std::move(b);
}

bool HasCurrent()
{
    std::lock_guard<std::mutex> g(gMx);
    return gBackend != nullptr;
}
} // namespace backend
