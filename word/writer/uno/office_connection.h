// One office process and the UNO connection to it: start, connect, a time
// limit on every call, shutdown. Every UNO exception ends here and leaves as
// the gs::Error of its kind.
#pragma once

#include <atomic>
#include <chrono>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <rtl/ustring.hxx>
#include <string>
#include <string_view>
#include <thread>

#include "common/error.h"
#include "word/word_app.h"
#include "word/writer/office_process.h"

namespace gs::writer {

namespace css = ::com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

OUString ToOUString(std::string_view utf8);
std::string ToUtf8(const OUString& text);
css::beans::PropertyValue Property(const char* name, const css::uno::Any& value);
css::uno::Sequence<css::beans::PropertyValue> Properties(
    std::initializer_list<css::beans::PropertyValue> list);

// How long a call may take: a short one, or a load, store or layout, whose
// time grows with the document.
enum class CallLength { Short, Long };

// Ends the office when a call runs past its time: a call that waits on a
// dialog (or a hung office) returns only when the office is gone.
class Watchdog {
 public:
  explicit Watchdog(OfficeProcess& process);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void Arm(double seconds);
  void Disarm();
  bool Fired() const noexcept { return fired_; }

 private:
  void Run();

  OfficeProcess& process_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  bool stop_ = false;
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

class OfficeConnection {
 public:
  // Starts and connects the office; raises error 429 naming the program when
  // it cannot be started or does not answer in time.
  explicit OfficeConnection(const WordAppOptions& options);
  ~OfficeConnection();
  OfficeConnection(const OfficeConnection&) = delete;
  OfficeConnection& operator=(const OfficeConnection&) = delete;

  // Runs f, one exchange with the office, under its time limit; what names
  // it in errors. Raises error 462 when the office is gone.
  template <class F>
  auto Call(std::string_view what, CallLength length, F&& f) -> decltype(f()) {
    CheckConnected();
    Deadline deadline(*this, length);
    try {
      return f();
    } catch (const Error&) {
      throw;
    } catch (...) {
      RaiseFromCurrent(what);
    }
  }

  const Reference<css::uno::XComponentContext>& Context() const noexcept { return context_; }
  const Reference<css::frame::XDesktop2>& Desktop() const noexcept { return desktop_; }
  Reference<css::uno::XInterface> CreateInstance(const char* service);
  bool Headless() const noexcept { return headless_; }
  // False once the office has ended or the connection broke.
  bool Connected();
  [[noreturn]] void RaiseGone(std::string_view what);
  // Removes a lock file that an office of ours left beside path.
  void ClearStaleLock(const std::string& path);
  // A new file name in the profile's exchange folder.
  std::string ExchangePath(std::string_view extension);
  // Hands the office to the user (it outlives this program) or takes it back.
  void SetDetached(bool detached);
  // Ends the office: terminate, then kill when it does not end in time.
  void Terminate();

 private:
  class Deadline {
   public:
    Deadline(OfficeConnection& office, CallLength length);
    ~Deadline();

   private:
    OfficeConnection& office_;
  };
  class BridgeListener;

  void CheckConnected();
  [[noreturn]] void RaiseFromCurrent(std::string_view what);
  void Connect(const std::string& pipeName, double seconds);
  [[noreturn]] void RaiseCantStart(const std::string& reason);
  void ConfigureProfile();
  void Disconnect() noexcept;

  WordAppOptions options_;
  std::string program_;
  bool headless_ = true;
  OfficeProfile profile_;
  std::unique_ptr<OfficeProcess> process_;
  std::unique_ptr<Watchdog> watchdog_;
  int depth_ = 0;
  std::shared_ptr<std::atomic<bool>> lost_ = std::make_shared<std::atomic<bool>>(false);
  Reference<css::bridge::XBridge> bridge_;
  Reference<css::uno::XComponentContext> context_;
  Reference<css::frame::XDesktop2> desktop_;
  unsigned exchangeCounter_ = 0;
};

}  // namespace gs::writer
