#include "word/com/automation_win32.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwctype>
#include <deque>
#include <limits>
#include <new>
#include <thread>
#include <utility>

#include "common/error.h"

namespace gs::com {

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) RaiseRuntime(rt::Overflow);
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)),
                    L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

BSTR ToBstr(const std::string& text) {
  const std::wstring wide = Wide(text);
  BSTR bstr = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (bstr == nullptr) throw std::bad_alloc();
  return bstr;
}

// RPC's "the server is gone" failures, which VB reports as error 462.
bool ServerGone(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
         hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE ||
         hr == CO_E_OBJNOTCONNECTED;
}

// mingw-w64 declares the source of VariantCopy and VariantChangeType
// without const; they only read it.
VARIANT* Source(const VARIANT& v) {
  return const_cast<VARIANT*>(&v);
}

// Frees what an EXCEPINFO holds.
void Clear(EXCEPINFO& exception) {
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrHelpFile);
  exception = EXCEPINFO{};
}

// Answers the server's rejections of calls: busy ones are retried.
class RetryingMessageFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *object = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // One object for the whole run.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
    return RetryRejectedCallAfter(elapsedMs, rejectType);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

RetryingMessageFilter g_messageFilter;

}  // namespace

Variant::Variant(int32_t value) : Variant() {
  v_.vt = VT_I4;
  v_.lVal = value;
}

Variant::Variant(bool value) : Variant() {
  v_.vt = VT_BOOL;
  v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(const std::string& text) : Variant() {
  v_.bstrVal = ToBstr(text);
  v_.vt = VT_BSTR;
}

Variant::Variant(const Variant& other) : Variant() {
  if (FAILED(::VariantCopy(&v_, Source(other.v_)))) throw std::bad_alloc();
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other && FAILED(::VariantCopy(&v_, Source(other.v_)))) throw std::bad_alloc();
  return *this;
}

VARIANT* Variant::Receive() noexcept {
  ::VariantClear(&v_);
  return &v_;
}

int32_t Variant::ToInt32() const {
  Variant number;
  if (FAILED(::VariantChangeType(number.Receive(), Source(v_), 0, VT_I4))) {
    RaiseRuntime(rt::TypeMismatch);
  }
  return number.v_.lVal;
}

Dispatch::~Dispatch() {
  if (object_ != nullptr) object_->Release();
}

Dispatch::Dispatch(Dispatch&& other) noexcept : object_(other.object_) {
  other.object_ = nullptr;
}

Dispatch& Dispatch::operator=(Dispatch&& other) noexcept {
  if (this != &other) {
    if (object_ != nullptr) object_->Release();
    object_ = other.object_;
    other.object_ = nullptr;
  }
  return *this;
}

Variant Dispatch::Property(const std::string& member, const std::vector<Variant>& index) {
  return Invoke(DISPATCH_PROPERTYGET | DISPATCH_METHOD, member, {}, index);
}

Dispatch Dispatch::Object(const std::string& member, const std::vector<Variant>& index) {
  return ObjectIn(Property(member, index), member);
}

Dispatch ObjectIn(const Variant& value, const std::string& member) {
  const VARIANT& v = value.Get();
  IDispatch* object = nullptr;
  if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
    object = v.pdispVal;
    object->AddRef();
  } else if (v.vt == VT_UNKNOWN && v.punkVal != nullptr) {
    v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
  }
  if (object == nullptr)
    Raise(rt::ObjectNotSet, std::string(RuntimeDescription(rt::ObjectNotSet)) + " (" + member + ")");
  return Dispatch(object);
}

void Dispatch::Put(const std::string& member, const Variant& value) {
  Invoke(DISPATCH_PROPERTYPUT, member, {}, {value});
}

Variant Dispatch::Call(const std::string& member, const std::vector<Argument>& named) {
  return Invoke(DISPATCH_METHOD, member, named, {});
}

Variant Dispatch::Invoke(WORD flags, const std::string& member, const std::vector<Argument>& named,
                         const std::vector<Variant>& positional) {
  if (object_ == nullptr) RaiseRuntime(rt::ObjectNotSet);

  // The member and its named arguments in one lookup, as VB does.
  std::vector<std::wstring> names{Wide(member)};
  for (const Argument& a : named) names.push_back(Wide(a.name));
  std::vector<LPOLESTR> pointers;
  for (std::wstring& n : names) pointers.push_back(n.data());
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  HRESULT hr = object_->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()),
                                      LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) {
    // The member is there but one of the argument names is not.
    if (hr == DISP_E_UNKNOWNNAME && ids[0] != DISPID_UNKNOWN && names.size() > 1) hr = DISP_E_PARAMNOTFOUND;
    RaiseCallError(hr, nullptr, member);
  }

  // Named arguments come first, matched by their DISPIDs; positional ones
  // follow, last first. The arguments stay owned by the caller's Variants.
  std::vector<VARIANTARG> args;
  std::vector<DISPID> namedIds;
  for (size_t i = 0; i < named.size(); ++i) {
    args.push_back(named[i].value.Get());
    namedIds.push_back(ids[i + 1]);
  }
  for (auto p = positional.rbegin(); p != positional.rend(); ++p) args.push_back(p->Get());
  if (flags & DISPATCH_PROPERTYPUT) namedIds.assign(1, DISPID_PROPERTYPUT);
  DISPPARAMS params{args.data(), namedIds.data(), static_cast<UINT>(args.size()),
                    static_cast<UINT>(namedIds.size())};

  Variant result;
  EXCEPINFO exception{};
  UINT argumentError = 0;
  hr = object_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                       (flags & DISPATCH_PROPERTYPUT) ? nullptr : result.Receive(), &exception,
                       &argumentError);
  if (FAILED(hr)) RaiseCallError(hr, &exception, member);
  Clear(exception);
  return result;
}

int32_t ErrorNumberOf(HRESULT hr, WORD wCode) {
  if (wCode != 0) return wCode;
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
  if (ServerGone(hr)) return rt::ServerUnavailable;
  switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return rt::NoSuchMember;
    case DISP_E_PARAMNOTFOUND: return rt::NamedArgumentNotFound;
    case DISP_E_PARAMNOTOPTIONAL: return rt::ArgumentNotOptional;
    case DISP_E_BADPARAMCOUNT: return rt::WrongArguments;
    case DISP_E_TYPEMISMATCH: return rt::TypeMismatch;
    case DISP_E_OVERFLOW: return rt::Overflow;
    case E_OUTOFMEMORY: return rt::OutOfMemory;
    default: return static_cast<int32_t>(hr);
  }
}

void RaiseCallError(HRESULT hr, EXCEPINFO* exception, const std::string& member) {
  if (hr == DISP_E_EXCEPTION && exception != nullptr) {
    if (exception->pfnDeferredFillIn != nullptr) exception->pfnDeferredFillIn(exception);
    const HRESULT code = exception->scode != 0 ? exception->scode : hr;
    std::string description = Narrow(exception->bstrDescription);
    if (description.empty()) description = "Automation error " + DescribeHresult(code);
    std::string source = Narrow(exception->bstrSource);
    if (source.empty()) source = kProjectName;
    Error error(ErrorNumberOf(code, exception->wCode), std::move(description), std::move(source),
                Narrow(exception->bstrHelpFile), static_cast<int32_t>(exception->dwHelpContext));
    Clear(*exception);
    throw error;
  }
  if (exception != nullptr) Clear(*exception);
  const int32_t number = ErrorNumberOf(hr);
  const std::string_view usual = RuntimeDescription(number);
  Raise(number, (usual.empty() ? "Automation error " + DescribeHresult(hr) : std::string(usual)) + " (" +
                    member + ")");
}

std::string DescribeHresult(HRESULT hr) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(hr));
  std::string text = hex;
  char* message = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<LPSTR>(&message), 0, nullptr);
  if (length > 0 && message != nullptr) {
    std::string system(message, length);
    while (!system.empty() && (system.back() == '\n' || system.back() == '\r' || system.back() == ' ')) {
      system.pop_back();
    }
    if (!system.empty()) text += " (" + system + ")";
  }
  ::LocalFree(message);
  return text;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(std::min<size_t>(text.size(), std::numeric_limits<int>::max()));
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

std::string Narrow(BSTR text) {
  return Narrow(std::wstring_view(text, ::SysStringLen(text)));
}

DWORD RetryRejectedCallAfter(DWORD elapsedMs, DWORD rejectType) {
  if (rejectType == SERVERCALL_RETRYLATER && elapsedMs < kRetryBusyForMs) return kRetryBusyEveryMs;
  return static_cast<DWORD>(-1);  // give up: the call fails with RPC_E_CALL_REJECTED
}

// --- the call thread

struct CallThread::State {
  std::mutex mutex;
  std::deque<std::shared_ptr<Call>> queue;
  // A call that ran out of time has not returned yet.
  std::atomic<bool> busy{false};
  HANDLE wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ~State() { ::CloseHandle(wake); }
};

CallThread::CallThread() : state_(std::make_shared<State>()) {
  if (state_->wake == nullptr) RaiseRuntime(rt::OutOfMemory, "no event for the automation thread");
  std::thread(Loop, state_).detach();
}

CallThread::~CallThread() {
  // A call without a job tells the thread to leave once it gets to it. The
  // thread owns its state: a stuck one leaves whenever its call returns, or
  // ends with the program; only one that is not is waited for.
  auto leave = std::make_shared<Call>();
  const bool wait = !state_->busy;
  if (wait) leave->done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(leave);
  }
  ::SetEvent(state_->wake);
  if (leave->done != nullptr) {
    ::WaitForSingleObject(leave->done, INFINITE);
    ::CloseHandle(leave->done);
  }
}

CallThread::Outcome CallThread::RunFor(double seconds, std::function<void(Handover&)> job) {
  if (state_->busy) return Outcome::StillBusy;
  auto call = std::make_shared<Call>();
  call->job = std::move(job);
  call->done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (call->done == nullptr) RaiseRuntime(rt::OutOfMemory, "no event for an automation call");
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(call);
  }
  ::SetEvent(state_->wake);
  const bool finished = WaitPainting(call->done, Milliseconds(seconds));
  std::lock_guard lock(call->mutex);
  ::CloseHandle(std::exchange(call->done, nullptr));
  if (finished || call->delivered) return Outcome::Done;
  call->waiting = false;
  state_->busy = true;
  return Outcome::TimedOut;
}

void CallThread::Loop(std::shared_ptr<State> state) {
  const HRESULT initialized = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IMessageFilter* previous = nullptr;
  const bool filtered =
      SUCCEEDED(initialized) && SUCCEEDED(::CoRegisterMessageFilter(&g_messageFilter, &previous));
  for (bool leaving = false; !leaving;) {
    ::MsgWaitForMultipleObjectsEx(1, &state->wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // The apartment's own messages (COM's window among them).
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    while (!leaving) {
      std::shared_ptr<Call> call;
      {
        std::lock_guard lock(state->mutex);
        if (state->queue.empty()) break;
        call = std::move(state->queue.front());
        state->queue.pop_front();
      }
      leaving = !call->job;
      if (call->job) {
        Handover handover(*call);
        call->job(handover);
        call->job = nullptr;  // what it holds is released here, on this thread
      }
      std::lock_guard lock(call->mutex);
      if (!call->waiting) state->busy = false;
      if (call->done != nullptr) ::SetEvent(call->done);
    }
  }
  if (filtered) {
    IMessageFilter* ours = nullptr;
    ::CoRegisterMessageFilter(previous, &ours);
    if (previous != nullptr) previous->Release();
  }
  if (SUCCEEDED(initialized)) ::CoUninitialize();
}

::DWORD Milliseconds(double seconds) {
  return static_cast<::DWORD>(std::clamp(seconds * 1000.0, 0.0, 4.0e9));
}

bool WaitPainting(HANDLE handle, ::DWORD ms) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const auto left =
        static_cast<::DWORD>(now >= deadline ? 0 : std::min<ULONGLONG>(deadline - now, INFINITE - 1));
    const ::DWORD woke =
        ::MsgWaitForMultipleObjectsEx(handle != nullptr ? 1 : 0, &handle, left, QS_PAINT | QS_SENDMESSAGE, 0);
    if (handle != nullptr && woke == WAIT_OBJECT_0) return true;
    if (woke == WAIT_TIMEOUT || woke == WAIT_FAILED) return false;
    // Paint only: clicks and keys wait until the call is over. A window that
    // never validates itself must not keep the wait from its end.
    MSG msg;
    for (int k = 0; k < 100 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++k) {
      ::DispatchMessageW(&msg);
    }
  }
}

// --- the server's process

ProcessHandle::~ProcessHandle() {
  if (process_ != nullptr) ::CloseHandle(process_);
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)) {}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
  if (this != &other) {
    if (process_ != nullptr) ::CloseHandle(process_);
    process_ = std::exchange(other.process_, nullptr);
  }
  return *this;
}

bool ProcessHandle::Terminate() const noexcept {
  return process_ != nullptr && ::TerminateProcess(process_, 1);
}

bool ProcessHandle::WaitForEnd(::DWORD ms) const {
  return process_ != nullptr && WaitPainting(process_, ms);
}

namespace {

// The file name of the program a class's LocalServer32 starts ("WINWORD.EXE"
// of "C:\Program Files\...\WINWORD.EXE" /Automation); empty when the class
// names none.
std::string LocalServerProgram(const CLSID& server) {
  wchar_t guid[40] = {};
  if (::StringFromGUID2(server, guid, 40) == 0) return {};
  const std::wstring key = L"CLSID\\" + std::wstring(guid) + L"\\LocalServer32";
  wchar_t value[1024] = {};
  LONG size = sizeof value - sizeof(wchar_t);
  if (::RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return {};
  std::wstring command = value;
  // The program is the quoted part, or everything up to ".exe".
  std::wstring program;
  if (!command.empty() && command[0] == L'"') {
    program = command.substr(1, command.find(L'"', 1) - 1);
  } else {
    std::wstring lower = command;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const size_t exe = lower.find(L".exe");
    program = exe == std::wstring::npos ? command.substr(0, command.find(L' ')) : command.substr(0, exe + 4);
  }
  const size_t slash = program.find_last_of(L"\\/");
  if (slash != std::wstring::npos) program.erase(0, slash + 1);
  return Narrow(std::wstring_view(program));
}

// The ids of the running processes of program (compared without case).
std::vector<::DWORD> ProcessesOf(const std::string& program) {
  std::vector<::DWORD> ids;
  if (program.empty()) return ids;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    if (::lstrcmpiA(entry.szExeFile, program.c_str()) == 0) ids.push_back(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return ids;
}

}  // namespace

ServerProcesses::ServerProcesses(const CLSID& server)
    : program_(LocalServerProgram(server)), before_(ProcessesOf(program_)) {}

ProcessHandle ServerProcesses::Started() const {
  ::DWORD started = 0;
  for (const ::DWORD id : ProcessesOf(program_)) {
    if (std::find(before_.begin(), before_.end(), id) != before_.end()) continue;
    if (started != 0) return {};
    started = id;
  }
  if (started == 0) return {};
  return ProcessHandle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, started));
}

}  // namespace gs::com
