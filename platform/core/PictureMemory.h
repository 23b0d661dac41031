// Memory for whole pictures (window surfaces, converted video frames).
//
// A picture of a few megabytes is often fresh memory: a new window, the first
// frame of a conversion. Faulting it in page by page is what such a buffer
// costs most (on a virtual machine each 4 KiB page fault can cost tens of
// microseconds, far more than filling the page). Buffers of 2 MiB and more are
// therefore aligned to 2 MiB, rounded up to whole 2 MiB blocks and offered to
// the kernel for transparent huge pages: one fault per 2 MiB where the system
// allows it, ordinary pages where it does not. Smaller buffers are plain
// heap blocks. Any thread.
#pragma once
#include <cstddef>
#include <new>

void* AllocatePictureMemory(std::size_t bytes);
// `bytes` is the size given to AllocatePictureMemory.
void FreePictureMemory(void* p, std::size_t bytes) noexcept;

// The same as a standard allocator, for std::vector.
template <class T>
struct TPictureAllocator
{
    using value_type = T;
    TPictureAllocator() noexcept = default;
    template <class U>
    TPictureAllocator(const TPictureAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(AllocatePictureMemory(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreePictureMemory(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const TPictureAllocator<U>&) const noexcept
    {
        return true;
    }
};
