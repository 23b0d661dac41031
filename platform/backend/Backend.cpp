#include "platform/backend/Backend.h"

#include <mutex>

#include "platform/backend/headless/Headless.h"

namespace backend
{
namespace
{
std::unique_ptr<IBackend> gBackend;
std::mutex gMx;
} // namespace

IBackend& Current()
{
    std::lock_guard<std::mutex> g(gMx);
    if (!gBackend) gBackend = std::make_unique<THeadlessBackend>();
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
