// Calls into automation objects (IDispatch) as Visual Basic's late binding
// makes them: members and named arguments looked up by name, arguments as
// VARIANTs, failures raised as gs::Error with the numbers VB shows. Word on
// Windows is driven through this (word_app_win32.cpp).
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gs::com {

// A VARIANT that owns what it holds.
class Variant {
 public:
  Variant() { ::VariantInit(&v_); }
  explicit Variant(int32_t value);
  explicit Variant(bool value);
  // A BSTR of the text, which is in the ANSI code page as the file layer's
  // paths are; NUL characters inside it are kept.
  explicit Variant(const std::string& text);
  ~Variant() { ::VariantClear(&v_); }
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);

  const VARIANT& Get() const noexcept { return v_; }
  VARIANT* Receive() noexcept;  // cleared, for a call to fill in
  // The value as a 32-bit number; raises error 13 when it is none.
  int32_t ToInt32() const;

 private:
  VARIANT v_;
};

// A named argument of a call.
struct Argument {
  std::string name;
  Variant value;
};

// A reference to an automation object, released when it goes.
class Dispatch {
 public:
  Dispatch() = default;
  // Takes over one reference of object.
  explicit Dispatch(IDispatch* object) noexcept : object_(object) {}
  ~Dispatch();
  Dispatch(Dispatch&& other) noexcept;
  Dispatch& operator=(Dispatch&& other) noexcept;
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;

  IDispatch* Get() const noexcept { return object_; }

  // A property, with its index arguments if it has any ("Information(14)").
  Variant Property(const std::string& member, const std::vector<Variant>& index = {});
  // A property or method whose value is another object ("Documents", "Item(1)").
  Dispatch Object(const std::string& member, const std::vector<Variant>& index = {});
  void Put(const std::string& member, const Variant& value);
  // A method, with only the named arguments given; the others are omitted.
  Variant Call(const std::string& member, const std::vector<Argument>& named = {});

 private:
  Variant Invoke(WORD flags, const std::string& member, const std::vector<Argument>& named,
                 const std::vector<Variant>& positional);

  IDispatch* object_ = nullptr;
};

// The object a call gave; raises error 91 naming member when it gave none.
Dispatch ObjectIn(const Variant& value, const std::string& member);

// The error number that VB shows for a failed call: Word's own wCode when it
// gives one; the low word of an HRESULT of FACILITY_CONTROL (0x800A1436 is
// Word's 5174); VB's own numbers for the dispatch failures it knows (438
// unknown member, 448 unknown named argument, 13 type mismatch, 462 the
// server is gone...); otherwise the HRESULT itself, a negative number.
int32_t ErrorNumberOf(HRESULT hr, WORD wCode = 0);

// Raises what a failed call gives: the object's own exception (number,
// source, description and help from EXCEPINFO, filled in first when it is
// deferred) for DISP_E_EXCEPTION; otherwise the number above with VB's text
// or the HRESULT, naming the member. Frees what EXCEPINFO holds.
[[noreturn]] void RaiseCallError(HRESULT hr, EXCEPINFO* exception, const std::string& member);

// "0x80040154" as VB users see HRESULTs, with the system's text after it
// when there is one.
std::string DescribeHresult(HRESULT hr);

// Text of a BSTR in the ANSI code page.
std::string Narrow(BSTR text);

// COM on this thread for as long as a Word is used (shared by all of them on
// the thread): a single-threaded apartment where none is set up yet, and a
// message filter that retries calls the server rejects while it is busy
// (Word starting, a dialog of its own open) instead of failing them at once.
class Apartment {
 public:
  static std::shared_ptr<Apartment> OfThisThread();
  ~Apartment();
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

 private:
  Apartment();
  bool uninitialize_ = false;
  IMessageFilter* previousFilter_ = nullptr;
  bool filterRegistered_ = false;
};

// How long a call that the server rejects as busy is retried, and how often.
inline constexpr ::DWORD kRetryBusyForMs = 60000;
inline constexpr ::DWORD kRetryBusyEveryMs = 250;

// The message filter's answer to a rejected call: wait this many ms and try
// again, or (DWORD)-1 to give up. (::DWORD: the registry layer has a DWORD
// of its own in namespace gs.)
::DWORD RetryRejectedCallAfter(::DWORD elapsedMs, ::DWORD rejectType);

}  // namespace gs::com
