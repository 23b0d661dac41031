#include "platform/core/PictureMemory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace
{
constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t HugeSize(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }
}  // namespace

void* AllocatePictureMemory(std::size_t bytes)
{
    if (bytes < kHugePage) return ::operator new(bytes);
    const std::size_t size = HugeSize(bytes);
    void* p = std::aligned_alloc(kHugePage, size);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only advice: where transparent huge pages are off this does nothing.
    ::madvise(p, size, MADV_HUGEPAGE);
#endif
    return p;
}

void FreePictureMemory(void* p, std::size_t bytes) noexcept
{
    if (!p) return;
    if (bytes < kHugePage) ::operator delete(p);
    else std::free(p);
}
