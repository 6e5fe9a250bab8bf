#include "workflow/automation_win32.h"

#include <cstdio>
#include <limits>
#include <new>

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

std::string Narrow(BSTR text) {
  const UINT length = ::SysStringLen(text);
  if (length == 0) return {};
  const int size =
      ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), narrow.data(), size, nullptr, nullptr);
  return narrow;
}

DWORD RetryRejectedCallAfter(DWORD elapsedMs, DWORD rejectType) {
  if (rejectType == SERVERCALL_RETRYLATER && elapsedMs < kRetryBusyForMs) return kRetryBusyEveryMs;
  return static_cast<DWORD>(-1);  // give up: the call fails with RPC_E_CALL_REJECTED
}

std::shared_ptr<Apartment> Apartment::OfThisThread() {
  thread_local std::weak_ptr<Apartment> current;
  if (std::shared_ptr<Apartment> apartment = current.lock()) return apartment;
  std::shared_ptr<Apartment> apartment(new Apartment);
  current = apartment;
  return apartment;
}

Apartment::Apartment() {
  const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_OK and S_FALSE (already set up) each count and need their
  // CoUninitialize; a multithreaded apartment set up by someone else serves
  // as well, without a message filter (COM has none there).
  if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
    RaiseRuntime(rt::CantCreateObject, "COM could not be initialized, " + DescribeHresult(hr));
  }
  uninitialize_ = SUCCEEDED(hr);
  filterRegistered_ = SUCCEEDED(::CoRegisterMessageFilter(&g_messageFilter, &previousFilter_));
}

Apartment::~Apartment() {
  if (filterRegistered_) {
    IMessageFilter* ours = nullptr;
    ::CoRegisterMessageFilter(previousFilter_, &ours);
    if (ours != nullptr) ours->Release();
    if (previousFilter_ != nullptr) previousFilter_->Release();
  }
  if (uninitialize_) ::CoUninitialize();
}

}  // namespace gs::com
