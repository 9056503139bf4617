#include "HeapCount.h"

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>

// glibc's allocator under its internal names: the public ones below replace
// malloc and friends for the whole process and hand the work on to these.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<bool> tracking{false};
std::atomic<std::int64_t> current{0};
std::atomic<std::int64_t> peak{0};

void Added(void* block) {
    if (block == nullptr || !tracking.load(std::memory_order_relaxed)) {
        return;
    }
    const auto size = static_cast<std::int64_t>(malloc_usable_size(block));
    const std::int64_t now = current.fetch_add(size, std::memory_order_relaxed) + size;
    std::int64_t high = peak.load(std::memory_order_relaxed);
    while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
    }
}

void Removed(void* block) {
    if (block == nullptr || !tracking.load(std::memory_order_relaxed)) {
        return;
    }
    current.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)),
                      std::memory_order_relaxed);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) {
    void* block = __libc_malloc(size);
    Added(block);
    return block;
}

void* calloc(std::size_t count, std::size_t size) {
    void* block = __libc_calloc(count, size);
    Added(block);
    return block;
}

void* realloc(void* block, std::size_t size) {
    Removed(block);
    void* moved = __libc_realloc(block, size);
    // A failed realloc leaves the old block in place.
    Added(moved != nullptr || size == 0 ? moved : block);
    return moved;
}

void free(void* block) {
    Removed(block);
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) {
    void* block = __libc_memalign(alignment, size);
    Added(block);
    return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    void* block = memalign(alignment, size);
    if (block == nullptr) {
        return 12;  // ENOMEM
    }
    *result = block;
    return 0;
}

void* valloc(std::size_t size) {
    return memalign(static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), size);
}

void* pvalloc(std::size_t size) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return memalign(page, (size + page - 1) / page * page);
}

}  // extern "C"

namespace HeapCount {

void Start() {
    current.store(0, std::memory_order_relaxed);
    peak.store(0, std::memory_order_relaxed);
    tracking.store(true, std::memory_order_relaxed);
}

void Stop() {
    tracking.store(false, std::memory_order_relaxed);
}

std::int64_t Current() {
    return current.load(std::memory_order_relaxed);
}

std::int64_t Peak() {
    return peak.load(std::memory_order_relaxed);
}

}  // namespace HeapCount
