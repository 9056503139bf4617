#include "FaultAlloc.h"

#include <link.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

struct State {
    bool armed = false;
    bool fired = false;
    int countdown = 0;
    int calls = 0;
    std::thread::id thread;
};

State& Faults() {
    static State state;
    return state;
}

struct Range {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};

// The executable segment of the program itself, the first object listed.
int FindProgram(dl_phdr_info* info, std::size_t, void* data) {
    auto* range = static_cast<Range*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type == PT_LOAD && (header.p_flags & PF_X) != 0) {
            range->begin = info->dlpi_addr + header.p_vaddr;
            range->end = range->begin + header.p_memsz;
        }
    }
    return 1;
}

bool InProgram(const void* caller) {
    static const Range range = [] {
        Range found;
        dl_iterate_phdr(&FindProgram, &found);
        return found;
    }();
    const auto address = reinterpret_cast<std::uintptr_t>(caller);
    return address >= range.begin && address < range.end;
}

bool ShouldFail(const void* caller) {
    State& state = Faults();
    if (!state.armed || state.fired || std::this_thread::get_id() != state.thread ||
        !InProgram(caller)) {
        return false;
    }
    ++state.calls;
    if (state.countdown > 0 && --state.countdown == 0) {
        state.fired = true;
        return true;
    }
    return false;
}

void* Allocate(std::size_t size, const void* caller) {
    if (ShouldFail(caller)) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align, const void* caller) {
    if (ShouldFail(caller)) {
        throw std::bad_alloc();
    }
    const auto alignment = static_cast<std::size_t>(align);
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    if (void* block = std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded)) {
        return block;
    }
    throw std::bad_alloc();
}

}  // namespace

namespace FaultAlloc {

void Arm(int n) {
    State& state = Faults();
    state = State{};
    state.countdown = n;
    state.thread = std::this_thread::get_id();
    state.armed = true;
}

bool Disarm() {
    State& state = Faults();
    state.armed = false;
    return state.fired;
}

int Calls() {
    return Faults().calls;
}

}  // namespace FaultAlloc

// Every form, so that each block is freed the way it was allocated.
void* operator new(std::size_t size) {
    return Allocate(size, __builtin_return_address(0));
}
void* operator new[](std::size_t size) {
    return Allocate(size, __builtin_return_address(0));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size, __builtin_return_address(0));
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size, __builtin_return_address(0));
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align, __builtin_return_address(0));
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align, __builtin_return_address(0));
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, align, __builtin_return_address(0));
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, align, __builtin_return_address(0));
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(block);
}
