#pragma once
// A value each thread has its own of: made when the thread first asks for it, freed when the
// thread ends.
//
// Why not a thread_local: the first time a thread touches a thread_local whose type has a
// destructor, glibc allocates a record to run that destructor at thread exit, and when that
// allocation fails it aborts the process ("failed to register TLS destructor"). A worker
// that starts with little memory left must fail its sheet with "out of memory" instead, so
// these values hang on a POSIX thread key: its slot needs no allocation, and the only
// allocation, the value itself, throws std::bad_alloc like any other.
//
// Keep an instance in static storage (a namespace-scope or function-local static); the
// instance itself is trivially destructible, so it registers nothing either.

#include <pthread.h>

#include <memory>
#include <new>

namespace sheetbasis {

template <typename T>
class PerThread {
  public:
    // A key refused (ENOMEM, or EAGAIN when the process's keys or resources run out) is a
    // want of resources, failed as the want of memory that every caller already handles.
    PerThread() {
        if (::pthread_key_create(&key_, &destroy) != 0) throw std::bad_alloc();
    }
    PerThread(const PerThread&) = delete;
    PerThread& operator=(const PerThread&) = delete;

    // This thread's value, value-initialised on the first call; throws std::bad_alloc when
    // there is no memory to make it.
    T& get() {
        if (void* held = ::pthread_getspecific(key_)) return *static_cast<T*>(held);
        auto made = std::make_unique<T>();
        if (::pthread_setspecific(key_, made.get()) != 0) throw std::bad_alloc();
        return *made.release();
    }
    // This thread's value when it has made one, else nullptr; never allocates, so that a
    // destructor can reach it.
    T* ifMade() const noexcept { return static_cast<T*>(::pthread_getspecific(key_)); }

  private:
    static void destroy(void* held) noexcept { delete static_cast<T*>(held); }

    pthread_key_t key_{};
};

}  // namespace sheetbasis
