// A list that grows as a file is read: a tempo map's size is known only at
// its end. Plain structs only, kept in memory from malloc; adding fails,
// rather than throws, when memory runs out.
#ifndef TACTIMER_MIDI_GROWING_ARRAY_H
#define TACTIMER_MIDI_GROWING_ARRAY_H

#include <cstdlib>
#include <cstring>

template <typename T>
struct GrowingArray {
    T *items;
    long long count;
    long long capacity;
};

template <typename T>
bool Append(GrowingArray<T> &array, const T &item) {
    if (array.count == array.capacity) {
        const long long capacity = array.capacity < 16 ? 16 : array.capacity * 2;
        void *grown = std::realloc(array.items, static_cast<size_t>(capacity) * sizeof(T));
        if (grown == nullptr) {
            return false;
        }
        array.items = static_cast<T *>(grown);
        array.capacity = capacity;
    }
    array.items[array.count++] = item;
    return true;
}

// Makes room for capacity items in all, no more: a list whose size is
// known takes only what it needs.
template <typename T>
bool Reserve(GrowingArray<T> &array, long long capacity) {
    if (capacity <= array.capacity) {
        return true;
    }
    void *grown = std::realloc(array.items, static_cast<size_t>(capacity) * sizeof(T));
    if (grown == nullptr) {
        return false;
    }
    array.items = static_cast<T *>(grown);
    array.capacity = capacity;
    return true;
}

// Puts the item first, moving the others up.
template <typename T>
bool Prepend(GrowingArray<T> &array, const T &item) {
    if (!Append(array, item)) {
        return false;
    }
    std::memmove(array.items + 1, array.items, static_cast<size_t>(array.count - 1) * sizeof(T));
    array.items[0] = item;
    return true;
}

// Sorts by each item's tick, keeping the order of items with the same tick:
// a merge sort through a buffer of the same size, unless the items are in
// order already, as they are when one track holds them. False when there is
// no memory for it.
template <typename T>
bool StableSortByTick(GrowingArray<T> &array) {
    long long ordered = 1;
    while (ordered < array.count && array.items[ordered - 1].tick <= array.items[ordered].tick) {
        ++ordered;
    }
    if (ordered >= array.count) {
        return true;
    }
    T *other = static_cast<T *>(std::malloc(static_cast<size_t>(array.count) * sizeof(T)));
    if (other == nullptr) {
        return false;
    }
    T *from = array.items;
    T *to = other;
    for (long long width = 1; width < array.count; width *= 2) {
        for (long long start = 0; start < array.count; start += 2 * width) {
            const long long middle = start + width < array.count ? start + width : array.count;
            const long long end = middle + width < array.count ? middle + width : array.count;
            long long left = start;
            long long right = middle;
            for (long long out = start; out < end; ++out) {
                const bool takeLeft =
                    right == end || (left < middle && from[left].tick <= from[right].tick);
                to[out] = takeLeft ? from[left++] : from[right++];
            }
        }
        T *swap = from;
        from = to;
        to = swap;
    }
    if (from != array.items) {
        std::memcpy(array.items, from, static_cast<size_t>(array.count) * sizeof(T));
    }
    std::free(other);
    return true;
}

#endif
