#include "heap_meter.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace vantrel::bench {
namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t now = inUse += malloc_usable_size(p);
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return p;
}

void Release(void* p) {
    if (p != nullptr) {
        inUse -= malloc_usable_size(p);
        std::free(p);
    }
}

}  // namespace

std::size_t HeapInUse() {
    return inUse.load();
}

std::size_t HeapPeak() {
    return peak.load();
}

void ResetPeak() {
    peak.store(inUse.load());
}

}  // namespace vantrel::bench

void* operator new(std::size_t size) {
    return vantrel::bench::Allocate(size);
}
void* operator new[](std::size_t size) {
    return vantrel::bench::Allocate(size);
}
void operator delete(void* p) noexcept {
    vantrel::bench::Release(p);
}
void operator delete[](void* p) noexcept {
    vantrel::bench::Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    vantrel::bench::Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    vantrel::bench::Release(p);
}
