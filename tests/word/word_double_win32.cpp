// A Word of the tests' own as a local COM server in a process of its own,
// reached through COM's marshalling as Word is: for what only a separate
// process shows, a call that never returns and a Quit after which the
// process lingers a moment with its document open.
//
//   word_double.exe FOLDER {CLSID} [hang-on-create] -Embedding
//
// It writes its process id to FOLDER\word_double.pid, registers the class
// (single use, as Word does) and serves one Application object:
//   DisplayAlerts, Visible (put)  accepted
//   Documents (get)               the Application itself
//   Open(FileName)                holds the file open, unshared, until the process ends
//   Selection (get)               never answers
//   Quit(SaveChanges)             answers, then ends the process a second later
// With hang-on-create its class factory never makes the object.
#include <ole2.h>
#include <shellapi.h>
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

enum Member : DISPID {
  kDisplayAlerts = 1,
  kVisible,
  kDocuments,
  kOpen,
  kSelection,
  kQuit,
  kFileName,
  kSaveChanges
};

const wchar_t* const kMembers[] = {L"DisplayAlerts", L"Visible", L"Documents", L"Open",
                                   L"Selection",     L"Quit",    L"FileName",  L"SaveChanges"};

DWORD g_mainThread = 0;
bool g_hangOnCreate = false;
HANDLE g_held = INVALID_HANDLE_VALUE;

class Application final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      delete this;
      // Nobody holds the object any more: the server's work is done.
      ::PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (DISPID m = 0; m < static_cast<DISPID>(sizeof kMembers / sizeof kMembers[0]); ++m) {
        if (::_wcsicmp(names[i], kMembers[m]) == 0) ids[i] = m + 1;
      }
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    switch (id) {
      case kDisplayAlerts:
      case kVisible: return S_OK;
      case kDocuments: return Self(result);
      case kOpen:
        for (UINT i = 0; i < params->cNamedArgs; ++i) {
          if (params->rgdispidNamedArgs[i] == kFileName && params->rgvarg[i].vt == VT_BSTR) {
            g_held = ::CreateFileW(params->rgvarg[i].bstrVal, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
          }
        }
        return g_held != INVALID_HANDLE_VALUE ? Self(result) : E_FAIL;
      case kSelection:
        for (;;) ::Sleep(INFINITE);
      case kQuit: ::SetTimer(nullptr, 0, 1000, nullptr); return S_OK;
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  HRESULT Self(VARIANT* result) {
    if (result != nullptr) {
      ::VariantInit(result);
      result->vt = VT_DISPATCH;
      result->pdispVal = this;
      AddRef();
    }
    return S_OK;
  }

  ULONG references_ = 1;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (g_hangOnCreate) {
      for (;;) ::Sleep(INFINITE);
    }
    auto* application = new Application;
    const HRESULT hr = application->QueryInterface(iid, object);
    application->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

int main() {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  CLSID server;
  if (args == nullptr || count < 3 || FAILED(::CLSIDFromString(args[2], &server))) return 2;
  g_hangOnCreate = count > 3 && std::wcscmp(args[3], L"hang-on-create") == 0;
  g_mainThread = ::GetCurrentThreadId();

  const std::wstring pidPath = std::wstring(args[1]) + L"\\word_double.pid";
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const HANDLE pidFile = ::CreateFileW(pidPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(pidFile, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  ::CloseHandle(pidFile);

  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DWORD cookie = 0;
  if (FAILED(::CoRegisterClassObject(server, &g_factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie))) {
    return 3;
  }
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) ::DispatchMessageW(&msg);
  ::CoRevokeClassObject(cookie);
  if (g_held != INVALID_HANDLE_VALUE) ::CloseHandle(g_held);
  ::CoUninitialize();
  return 0;
}
