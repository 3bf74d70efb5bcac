// A buffer of exactly n bytes that ends against an inaccessible page, so a
// write or read one byte past its end faults at once. The bytes start as
// 0xBD, so a test can see what was written.
#pragma once

#include <stddef.h>

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t n);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    char* data() { return data_; }
    size_t size() const { return size_; }

private:
    void* base_ = nullptr;
    char* data_ = nullptr;
    size_t size_ = 0;
};
