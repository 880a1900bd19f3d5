#include "tests/alloc/counting_new.h"

#include <cstddef>
#include <cstdlib>
#include <new>

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<const bool*> countingWhile{nullptr};

namespace {

constexpr std::align_val_t kPlainAlignment{alignof(std::max_align_t)};

void* allocate(std::size_t size, std::align_val_t alignment = kPlainAlignment) {
    if (counting) {
        const bool* only = countingWhile;
        if (only == nullptr || *only) ++allocations;
    }
    const auto align = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(align, (size / align + 1) * align)) return p;
    throw std::bad_alloc();
}

void* orNull(std::size_t size, std::align_val_t alignment = kPlainAlignment) noexcept {
    try {
        return allocate(size, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

using std::align_val_t, std::nothrow_t, std::size_t;
void* operator new(size_t n) { return allocate(n); }
void* operator new[](size_t n) { return allocate(n); }
void* operator new(size_t n, align_val_t a) { return allocate(n, a); }
void* operator new[](size_t n, align_val_t a) { return allocate(n, a); }
void* operator new(size_t n, const nothrow_t&) noexcept { return orNull(n); }
void* operator new[](size_t n, const nothrow_t&) noexcept { return orNull(n); }
void* operator new(size_t n, align_val_t a, const nothrow_t&) noexcept { return orNull(n, a); }
void* operator new[](size_t n, align_val_t a, const nothrow_t&) noexcept { return orNull(n, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, align_val_t) noexcept { std::free(p); }
void operator delete(void* p, size_t, align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, align_val_t) noexcept { std::free(p); }
