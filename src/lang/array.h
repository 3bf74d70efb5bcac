// A growable array of plain values, without exceptions: a failed growth is
// the program's one fatal memory error.
#pragma once

#include <stdlib.h>
#include <windows.h>

// Raised, non-continuable, when an array cannot grow. Nothing catches it.
const DWORD kFatalMemoryError = 0xC0000017;   // STATUS_NO_MEMORY

template <typename T>
class Array {
public:
    T* items = nullptr;
    int count = 0;
    int capacity = 0;

    Array() = default;
    ~Array() { free(items); }
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    // Appends value. The capacity grows by a quarter plus 32 elements
    // (32, 72, 122, 184, ... from empty).
    void Add(T value)
    {
        count++;
        if (capacity < count) {
            long long grown = (long long)capacity + capacity / 4 + 32;
            if (grown < count)
                grown = count;
            if (grown > 0x7FFFFFFF / (long long)sizeof(T))
                RaiseException(kFatalMemoryError, EXCEPTION_NONCONTINUABLE, 0, NULL);
            T* bigger = (T*)realloc(items, (size_t)grown * sizeof(T));
            if (!bigger)
                RaiseException(kFatalMemoryError, EXCEPTION_NONCONTINUABLE, 0, NULL);
            items = bigger;
            capacity = (int)grown;
        }
        items[count - 1] = value;
    }
};
