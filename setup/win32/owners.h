// Typed owners for Win32 resources: one type per kind, move-only, with the kind's empty value part
// of the type (a file handle is empty at INVALID_HANDLE_VALUE, most other handles at NULL).
// get() lends the value, release() gives up ownership, reset() closes and takes a new value.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace win32 {

// Traits give the held type, its empty value and how to close it.
template <typename Traits>
class UniqueValue {
 public:
  using T = typename Traits::Type;

  UniqueValue() = default;
  explicit UniqueValue(T value) : value_(value) {}
  ~UniqueValue() { reset(); }
  UniqueValue(const UniqueValue&) = delete;
  UniqueValue& operator=(const UniqueValue&) = delete;
  UniqueValue(UniqueValue&& other) noexcept : value_(other.release()) {}
  UniqueValue& operator=(UniqueValue&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Empty(); }
  T release() { return std::exchange(value_, Traits::Empty()); }
  void reset(T value = Traits::Empty()) {
    T old = std::exchange(value_, value);
    if (old != Traits::Empty()) Traits::Close(old);
  }
  // For calls that return the value through a pointer: closes what is held first.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::Empty();
};

#define VANTOR_OWNER_TRAITS(Name, HeldType, EmptyValue, CloseCall) \
  struct Name {                                                     \
    using Type = HeldType;                                          \
    static Type Empty() { return EmptyValue; }                      \
    static void Close(Type v) { CloseCall(v); }                     \
  }

VANTOR_OWNER_TRAITS(HandleTraits, HANDLE, nullptr, ::CloseHandle);
VANTOR_OWNER_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle);
VANTOR_OWNER_TRAITS(FindTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindClose);
VANTOR_OWNER_TRAITS(RegKeyTraits, HKEY, nullptr, ::RegCloseKey);
VANTOR_OWNER_TRAITS(ModuleTraits, HMODULE, nullptr, ::FreeLibrary);
VANTOR_OWNER_TRAITS(FontTraits, HFONT, nullptr, ::DeleteObject);
VANTOR_OWNER_TRAITS(BitmapTraits, HBITMAP, nullptr, ::DeleteObject);
VANTOR_OWNER_TRAITS(BrushTraits, HBRUSH, nullptr, ::DeleteObject);
VANTOR_OWNER_TRAITS(IconTraits, HICON, nullptr, ::DestroyIcon);
VANTOR_OWNER_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow);
VANTOR_OWNER_TRAITS(LocalMemoryTraits, HLOCAL, nullptr, ::LocalFree);
#undef VANTOR_OWNER_TRAITS

// Process, thread, mutex, event, token handles: empty at NULL.
using UniqueHandle = UniqueValue<HandleTraits>;
// CreateFile handles: empty at INVALID_HANDLE_VALUE.
using UniqueFile = UniqueValue<FileTraits>;
using UniqueFindHandle = UniqueValue<FindTraits>;
using UniqueRegKey = UniqueValue<RegKeyTraits>;
using UniqueModule = UniqueValue<ModuleTraits>;
using UniqueFont = UniqueValue<FontTraits>;
using UniqueBitmap = UniqueValue<BitmapTraits>;
using UniqueBrush = UniqueValue<BrushTraits>;
// Icons from LoadImage or CreateIcon; icons from LoadIcon are shared and must not be owned.
using UniqueIcon = UniqueValue<IconTraits>;
using UniqueWindow = UniqueValue<WindowTraits>;
using UniqueLocalMemory = UniqueValue<LocalMemoryTraits>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A COM interface pointer: Release on reset.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread, for the lifetime of the object; uninitialised only if it succeeded.
class ComInit {
 public:
  explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : ok_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
  ~ComInit() {
    if (ok_) ::CoUninitialize();
  }
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace win32
