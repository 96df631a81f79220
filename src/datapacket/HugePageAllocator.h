#pragma once

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace kalvo {

// An allocator for the large arrays of a table: an array of 2 MB or more is mapped on its own
// and asks the system for huge pages, so that filling it takes one page fault per 2 MB instead
// of one per 4 KB, which on virtual machines costs more than the parsing that fills it.
// Smaller arrays come from the ordinary heap.
template <typename T>
class HugePageAllocator {
public:
    using value_type = T;

    HugePageAllocator() = default;
    template <typename U>
    explicit HugePageAllocator(const HugePageAllocator<U>&) {}

    T* allocate(std::size_t count) {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < kLarge) {
            return std::allocator<T>().allocate(count);
        }
        void* memory =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) {
            throw std::bad_alloc();
        }
        ::madvise(memory, bytes, MADV_HUGEPAGE);  // a hint: without huge pages it still works
        return static_cast<T*>(memory);
    }

    void deallocate(T* memory, std::size_t count) {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < kLarge) {
            std::allocator<T>().deallocate(memory, count);
        } else {
            ::munmap(memory, bytes);
        }
    }

    // The first `count` elements of `array`, an array of `capacity` elements from this
    // allocator, will not be read again: the whole huge pages among them leave memory at once,
    // before the array goes. Only arrays mapped on their own are touched, and only whole 2 MB
    // pages: giving back part of a huge page makes the system split it, which costs many times
    // the copy that freed it.
    static void releaseRead(const T* array, std::size_t count, std::size_t capacity) {
        if (capacity * sizeof(T) < kLarge) {
            return;
        }
        const auto begin = (reinterpret_cast<std::uintptr_t>(array) + kLarge - 1) & ~(kLarge - 1);
        const auto end = reinterpret_cast<std::uintptr_t>(array + count) & ~(kLarge - 1);
        if (end > begin) {
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
        }
    }

    // The room of an array from this allocator beyond its `size` elements in use is given
    // back. Room reserved on an estimate stays address space until it is written, except for
    // the rest of the huge page that holds the last elements in use: that page is split.
    static void releaseUnused(const T* array, std::size_t size, std::size_t capacity) {
        if (capacity * sizeof(T) < kLarge) {
            return;
        }
        constexpr std::uintptr_t kPage = 4096;
        const auto used = reinterpret_cast<std::uintptr_t>(array + size);
        const auto begin = (used + kPage - 1) & ~(kPage - 1);
        const auto end =
            std::min((used + kLarge - 1) & ~(kLarge - 1),
                     reinterpret_cast<std::uintptr_t>(array + capacity) & ~(kPage - 1));
        if (end > begin) {
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
        }
    }

    template <typename U>
    bool operator==(const HugePageAllocator<U>&) const {
        return true;
    }

private:
    static constexpr std::size_t kLarge = std::size_t{2} << 20;
};

}  // namespace kalvo
