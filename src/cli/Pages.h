// Memory straight from the system for the large buffers of the conversion.
//
// On some virtual machines the first touch of each 4 KiB page costs many microseconds, more than
// converting the bytes in it; a block that the system backs with 2 MiB huge pages (given on request,
// as Linux does with MADV_HUGEPAGE) costs one touch per huge page. Without huge pages it is ordinary
// memory.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

/// A block of zeroed memory, a whole number of huge pages, starting on a huge page.
class TPages {
public:
    explicit TPages(std::size_t atLeast);
    ~TPages();
    TPages(const TPages&) = delete;
    TPages& operator=(const TPages&) = delete;

    char* Data() const { return data; }
    std::size_t Size() const { return size; }

private:
    void* mapped = nullptr;
    std::size_t mappedSize = 0;
    char* data = nullptr;
    std::size_t size = 0;
};

/// A growing byte buffer on TPages. New room is not filled in, so untouched room costs nothing.
class TByteBuffer {
public:
    TByteBuffer() = default;
    ~TByteBuffer();
    TByteBuffer(const TByteBuffer&) = delete;
    TByteBuffer& operator=(const TByteBuffer&) = delete;

    char* Data() const { return data; }
    std::size_t Size() const { return size; }
    std::size_t Capacity() const { return capacity; }
    std::string_view View() const { return {data, size}; }

    /// Makes room for at least n bytes in all, keeping the bytes there are.
    void Reserve(std::size_t n);
    /// Sets the size; new bytes (up to Capacity, which grows as needed) are whatever was there.
    void Resize(std::size_t n) {
        Reserve(n);
        size = n;
    }
    /// Removes the first n bytes.
    void EraseFront(std::size_t n) {
        std::memmove(data, data + n, size - n);
        size -= n;
    }
    void Clear() { size = 0; }

private:
    TPages* pages = nullptr;
    char* data = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;
};
