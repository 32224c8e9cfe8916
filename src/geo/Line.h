#pragma once
// The vertices of a line in order; a ring repeats its first vertex at its end.
//
// A vector of points that holds up to two vertices in itself and only longer lines on the
// heap. Most lines of a sheet are two-vertex segments: of the ~450 lines a 1:200 000 sheet
// writes, over 350 are minute ticks, minute bars and label centre lines. As std::vector each
// of them cost an allocation and a release, and a set of sheets spent a fifth of its user
// time in the allocator, most of it on these.

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
#include <type_traits>

#include "geo/Point.h"

namespace sheetbasis {

class Line {
  public:
    using value_type = Point;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = Point&;
    using const_reference = const Point&;
    using pointer = Point*;
    using const_pointer = const Point*;
    using iterator = Point*;
    using const_iterator = const Point*;

    Line() noexcept = default;
    Line(std::initializer_list<Point> points) { append(points); }
    Line(const Line& other) { append(other); }
    Line(Line&& other) noexcept { takeOver(other); }
    Line& operator=(const Line& other) {
        if (this != &other) {
            clear();
            append(other);
        }
        return *this;
    }
    Line& operator=(Line&& other) noexcept {
        if (this != &other) {
            releaseHeap();
            takeOver(other);
        }
        return *this;
    }
    ~Line() { releaseHeap(); }

    size_type size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    Point* data() noexcept { return data_; }
    const Point* data() const noexcept { return data_; }

    iterator begin() noexcept { return data_; }
    iterator end() noexcept { return data_ + size_; }
    const_iterator begin() const noexcept { return data_; }
    const_iterator end() const noexcept { return data_ + size_; }

    Point& operator[](size_type i) noexcept { return data_[i]; }
    const Point& operator[](size_type i) const noexcept { return data_[i]; }
    Point& front() noexcept { return data_[0]; }
    const Point& front() const noexcept { return data_[0]; }
    Point& back() noexcept { return data_[size_ - 1]; }
    const Point& back() const noexcept { return data_[size_ - 1]; }

    void reserve(size_type n) {
        if (n > capacity_) moveToHeap(n);
    }
    void push_back(const Point& p) {
        // Doubling, as std::vector grows: a walk of n vertices moves each O(1) times.
        if (size_ == capacity_) moveToHeap(2 * capacity_);
        data_[size_++] = p;
    }
    void pop_back() noexcept { --size_; }
    void clear() noexcept { size_ = 0; }

    friend bool operator==(const Line& a, const Line& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const Point& p, const Point& q) { return p.x == q.x && p.y == q.y; });
    }

  private:
    static constexpr size_type INLINE_CAPACITY = 2;
    // Copying the vertices bytewise is what makes moving a line cheap.
    static_assert(std::is_trivially_copyable_v<Point>);

    bool onHeap() const noexcept { return data_ != inline_; }

    void append(std::span<const Point> points) {
        reserve(size_ + points.size());
        std::copy(points.begin(), points.end(), data_ + size_);
        size_ += points.size();
    }

    void moveToHeap(size_type capacity) {
        Point* heap = std::allocator<Point>().allocate(capacity);
        std::copy(begin(), end(), heap);
        releaseHeap();
        data_ = heap;
        capacity_ = capacity;
    }

    void releaseHeap() noexcept {
        if (onHeap()) std::allocator<Point>().deallocate(data_, capacity_);
        data_ = inline_;
        capacity_ = INLINE_CAPACITY;
    }

    // Takes the other line's vertices and leaves it empty, with its own inline room.
    void takeOver(Line& other) noexcept {
        if (other.onHeap()) {
            data_ = other.data_;
            capacity_ = other.capacity_;
        } else {
            std::copy(other.begin(), other.end(), inline_);
        }
        size_ = other.size_;
        other.data_ = other.inline_;
        other.capacity_ = INLINE_CAPACITY;
        other.size_ = 0;
    }

    Point* data_ = inline_;
    size_type size_ = 0;
    size_type capacity_ = INLINE_CAPACITY;
    Point inline_[INLINE_CAPACITY];
};

}  // namespace sheetbasis
