// A minimal owning interface pointer: releases on destruction, move-only
// unless copied explicitly with Share().
#pragma once

#include <unknwn.h>

#include <utility>

namespace tessaly {

template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  // Takes over a reference the caller already owns.
  explicit ComPtr(T* owned) noexcept : p_(owned) {}
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.p_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  // A new owner of p with its own reference.
  static ComPtr Share(T* p) noexcept {
    if (p != nullptr) p->AddRef();
    return ComPtr(p);
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // For out parameters that hand over a reference.
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  void reset(T* owned = nullptr) noexcept {
    T* old = std::exchange(p_, owned);
    if (old != nullptr) old->Release();
  }

  // Hands out a new reference through an out parameter.
  void CopyTo(T** out) const noexcept {
    if (p_ != nullptr) p_->AddRef();
    *out = p_;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace tessaly
