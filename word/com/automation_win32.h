// Calls into automation objects (IDispatch) as Visual Basic's late binding
// makes them: members and named arguments looked up by name, arguments as
// VARIANTs, failures raised as gs::Error with the numbers VB shows; the
// thread those calls run on, under a time limit each; and the server's
// process. Word on Windows is driven through this (word_app_win32.cpp).
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
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
  // Lets go of the object without releasing it: for a reference whose
  // thread is stuck in a call, where it cannot be released.
  void Abandon() noexcept { object_ = nullptr; }

  // A property, with its index arguments if it has any ("Information(14)").
  Variant Property(const std::string& member, const std::vector<Variant>& index = {});
  // A property or method whose value is another object ("Documents", "Item(1)").
  Dispatch Object(const std::string& member, const std::vector<Variant>& index = {});
  void Put(const std::string& member, const Variant& value);
  // A method, with only the named arguments given; the others are omitted.
  Variant Call(const std::string& member, const std::vector<Argument>& named = {});

 private:
  // Touches nothing of this object once the server has answered, so that a
  // call its caller gave up on may outlive the object (see CallThread).
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

// Text of a BSTR, or of UTF-16 text, in the ANSI code page.
std::string Narrow(BSTR text);
std::string Narrow(std::wstring_view text);

// A thread of its own for the calls into one automation server: a
// single-threaded apartment whose message filter retries calls that the
// server rejects while busy (Word starting, a dialog of its own open), and
// that runs one call at a time. The objects of the server live there: they
// are made, called and released only on that thread. The caller waits for a
// call no longer than the call's time limit, keeping its own windows painted
// meanwhile; a call that runs past it is left to the thread, which takes no
// other call until it has returned.
class CallThread {
 public:
  enum class Outcome { Done, TimedOut, StillBusy };

  CallThread();
  // Lets the thread end once the calls given to it have returned; waits for
  // that only when no call has run out of time.
  ~CallThread();
  CallThread(const CallThread&) = delete;
  CallThread& operator=(const CallThread&) = delete;

  // Runs work on the thread and waits up to seconds for it. Done: result
  // holds what work returned (or what it raised is raised here). TimedOut:
  // work is still running, and whatever it gives is dropped on the thread.
  // StillBusy: work did not run, since an earlier call is still running.
  template <class F>
  Outcome Run(double seconds, F work, std::optional<std::invoke_result_t<F&>>& result);
  // The same for work that returns nothing.
  template <class F>
  Outcome Run(double seconds, F work);

 private:
  struct State;
  struct Call;
  // Hands what a call gave to its caller, if the caller is still waiting.
  class Handover {
   public:
    explicit Handover(Call& call) : call_(call) {}
    template <class G>
    void Deliver(G&& give);

   private:
    Call& call_;
  };
  Outcome RunFor(double seconds, std::function<void(Handover&)> job);
  static void Loop(std::shared_ptr<State> state);

  std::shared_ptr<State> state_;
};

// A time limit in milliseconds, as the wait functions take it.
::DWORD Milliseconds(double seconds);

// Waits up to ms for handle (none: just the time), keeping this thread's
// windows painted and answering messages sent to them; true when it is set.
bool WaitPainting(HANDLE handle, ::DWORD ms);

// A process handle, closed when it goes; empty when no process is known.
class ProcessHandle {
 public:
  ProcessHandle() = default;
  explicit ProcessHandle(HANDLE process) noexcept : process_(process) {}
  ~ProcessHandle();
  ProcessHandle(ProcessHandle&& other) noexcept;
  ProcessHandle& operator=(ProcessHandle&& other) noexcept;
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;

  explicit operator bool() const noexcept { return process_ != nullptr; }
  // Ends the process; false when it cannot (none known, no right to).
  bool Terminate() const noexcept;
  // Waits up to ms for the process to end; true when it has.
  bool WaitForEnd(::DWORD ms) const;

 private:
  HANDLE process_ = nullptr;
};

// The running processes of a class's local server program (the one its
// LocalServer32 names), so that the process a creation started can be told
// from those that were running before it.
class ServerProcesses {
 public:
  // Takes note of the server's processes running now.
  explicit ServerProcesses(const CLSID& server);
  // The one server process started since then; none when no new one is
  // running or several are (another program started one at the same time).
  ProcessHandle Started() const;

 private:
  std::string program_;  // the program's file name, "WINWORD.EXE"
  std::vector<::DWORD> before_;
};

// How long a call that the server rejects as busy is retried, and how often.
inline constexpr ::DWORD kRetryBusyForMs = 60000;
inline constexpr ::DWORD kRetryBusyEveryMs = 250;

// The message filter's answer to a rejected call: wait this many ms and try
// again, or (DWORD)-1 to give up. (::DWORD: the registry layer has a DWORD
// of its own in namespace gs.)
::DWORD RetryRejectedCallAfter(::DWORD elapsedMs, ::DWORD rejectType);

// --- CallThread's templates

struct CallThread::Call {
  std::function<void(Handover&)> job;
  std::mutex mutex;
  bool waiting = true;     // the caller still waits for what the call gives
  bool delivered = false;  // it has been handed over
  HANDLE done = nullptr;   // set when the job has run
};

template <class G>
void CallThread::Handover::Deliver(G&& give) {
  std::lock_guard lock(call_.mutex);
  if (!call_.waiting) return;
  give();
  call_.delivered = true;
}

template <class F>
CallThread::Outcome CallThread::Run(double seconds, F work, std::optional<std::invoke_result_t<F&>>& result) {
  std::exception_ptr error;
  // result and error are the caller's: they are written only while it waits.
  const Outcome outcome =
      RunFor(seconds, [work = std::move(work), &result, &error](Handover& handover) mutable {
        try {
          auto value = work();
          handover.Deliver([&] { result.emplace(std::move(value)); });
        } catch (...) {
          handover.Deliver([&] { error = std::current_exception(); });
        }
      });
  if (error) std::rethrow_exception(error);
  return outcome;
}

template <class F>
CallThread::Outcome CallThread::Run(double seconds, F work) {
  std::optional<bool> done;
  return Run(
      seconds,
      [work = std::move(work)]() mutable {
        work();
        return true;
      },
      done);
}

}  // namespace gs::com
