#include "Pages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

} // namespace

TPages::TPages(std::size_t atLeast) {
    size = (atLeast + kHugePage - 1) / kHugePage * kHugePage;
    if (size == 0)
        size = kHugePage;
    // One huge page more than asked for, so that the block can start on a huge page.
    mappedSize = size + kHugePage;
    mapped = ::mmap(nullptr, mappedSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(mapped);
    data = reinterpret_cast<char*>((address + kHugePage - 1) / kHugePage * kHugePage);
#ifdef MADV_HUGEPAGE
    ::madvise(data, size, MADV_HUGEPAGE);
#endif
}

TPages::~TPages() {
    ::munmap(mapped, mappedSize);
}

TByteBuffer::~TByteBuffer() {
    delete pages;
}

void TByteBuffer::Reserve(std::size_t n) {
    if (n <= capacity)
        return;
    auto* bigger = new TPages(std::max(n, capacity * 2));
    if (size > 0)
        std::memcpy(bigger->Data(), data, size);
    delete pages;
    pages = bigger;
    data = bigger->Data();
    capacity = bigger->Size();
}
