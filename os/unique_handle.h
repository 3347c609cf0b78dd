// One owner for every kind of handle: file, find, registry key, service
// manager, service, module, FILE*. Move-only; closing keeps the thread's last
// error intact, so an owner going out of scope on a failure path never hides
// the error that made the caller give up.
#pragma once

#include <cstdio>
#include <utility>

#include "os/errors.h"

namespace os {

// Traits: `static T Invalid() noexcept` and `static void Close(T) noexcept`.
template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueHandle(T value) noexcept : value_(value) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  [[nodiscard]] T get() const noexcept { return value_; }
  [[nodiscard]] bool valid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // The address of the stored value, for APIs that return a handle through an
  // out parameter; whatever was held is closed first.
  T* put() noexcept {
    reset();
    return &value_;
  }

  T release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  void reset(T value = Traits::Invalid()) noexcept {
    T old = std::exchange(value_, value);
    if (old != Traits::Invalid()) {
      PreserveLastError keep;
      Traits::Close(old);
    }
  }

 private:
  T value_;
};

struct StdFileTraits {
  static FILE* Invalid() noexcept { return nullptr; }
  static void Close(FILE* file) noexcept { std::fclose(file); }
};
// A C stream; fclose's own result is lost, so a stream whose last writes
// matter is closed by hand through release().
using UniqueStdFile = UniqueHandle<FILE*, StdFileTraits>;

}  // namespace os
