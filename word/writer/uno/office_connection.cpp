#include "word/writer/uno/office_connection.h"

#include <signal.h>
#include <unistd.h>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <rtl/bootstrap.hxx>

#include "common/error.h"
#include "common/file.h"
#include "word/writer/document_lock.h"
#include "word/writer/file_url.h"
#include "word/writer/word_error.h"

#ifndef GLOSSMITH_OFFICE_PROGRAM_DIR
#define GLOSSMITH_OFFICE_PROGRAM_DIR "/usr/lib/libreoffice/program"
#endif

namespace gs::writer {

namespace {

constexpr double kQuitSeconds = 15;
constexpr double kKillSeconds = 10;

// The local UNO environment, made once per process and kept for its life:
// proxies of every connection depend on it. It is the installation this
// plugin was built against, whatever office program is started.
const Reference<css::uno::XComponentContext>* LocalContext() {
  static auto* context = []() -> Reference<css::uno::XComponentContext>* {
    // The installation's fundamentalrc gives the local side the office's type
    // libraries; without them the first office call crashes instead of failing.
    rtl::Bootstrap::set("URE_BOOTSTRAP",
                        ToOUString("vnd.sun.star.pathname:" GLOSSMITH_OFFICE_PROGRAM_DIR "/fundamentalrc"));
    try {
      return new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
    } catch (...) {
      return nullptr;
    }
  }();
  return context;
}

// A write to the office's pipe after the office has gone (it ended, crashed
// or was killed while the bridge still sends) must fail as an error, not end
// this program by SIGPIPE. A handler the program set stays; the office and
// every program started later get the default back (office_process_posix.cpp,
// shell_wait_posix.cpp).
void IgnoreBrokenPipes() {
  struct sigaction current {};
  if (::sigaction(SIGPIPE, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

std::string UniquePipeName() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return "glossmith-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(random() % 1000000);
}

std::string LogTail(const std::string& path) {
  try {
    const Bytes log = ReadWholeFile(path);
    std::string text(log.begin(), log.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.size() > 300) text = "..." + text.substr(text.size() - 300);
    return text;
  } catch (const Error&) {
    return {};
  }
}

}  // namespace

OUString ToOUString(std::string_view utf8) {
  return OUString(utf8.data(), static_cast<sal_Int32>(utf8.size()), RTL_TEXTENCODING_UTF8);
}

std::string ToUtf8(const OUString& text) {
  const rtl::OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
  return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

css::beans::PropertyValue Property(const char* name, const css::uno::Any& value) {
  css::beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

css::uno::Sequence<css::beans::PropertyValue> Properties(
    std::initializer_list<css::beans::PropertyValue> list) {
  return css::uno::Sequence<css::beans::PropertyValue>(list.begin(), static_cast<sal_Int32>(list.size()));
}

// --- watchdog

Watchdog::Watchdog(OfficeProcess& process) : process_(process), thread_([this] { Run(); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void Watchdog::Arm(double seconds) {
  {
    std::lock_guard lock(mutex_);
    fired_ = false;
    deadline_ =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(seconds));
  }
  wake_.notify_all();
}

void Watchdog::Disarm() {
  std::lock_guard lock(mutex_);
  deadline_.reset();
}

void Watchdog::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    if (!deadline_) {
      wake_.wait(lock);
      continue;
    }
    if (wake_.wait_until(lock, *deadline_) == std::cv_status::timeout && deadline_ &&
        std::chrono::steady_clock::now() >= *deadline_) {
      deadline_.reset();
      fired_ = true;
      process_.Kill();
    }
  }
}

// --- connection

class OfficeConnection::BridgeListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
 public:
  explicit BridgeListener(std::shared_ptr<std::atomic<bool>> lost) : lost_(std::move(lost)) {}
  void SAL_CALL disposing(const css::lang::EventObject&) override { *lost_ = true; }

 private:
  std::shared_ptr<std::atomic<bool>> lost_;
};

OfficeConnection::Deadline::Deadline(OfficeConnection& office, CallLength length) : office_(office) {
  if (office_.depth_++ == 0) {
    office_.watchdog_->Arm(length == CallLength::Short ? office_.options_.callSeconds
                                                       : office_.options_.longCallSeconds);
  }
}

OfficeConnection::Deadline::~Deadline() {
  if (--office_.depth_ == 0) office_.watchdog_->Disarm();
}

OfficeConnection::OfficeConnection(const WordAppOptions& options) : options_(options) {
  const std::string programDir =
      options.officeProgramDir.empty() ? std::string(GLOSSMITH_OFFICE_PROGRAM_DIR) : options.officeProgramDir;
  program_ = programDir + "/soffice.bin";
  if (::access(program_.c_str(), X_OK) != 0) RaiseCantStart("the program does not exist");
  if (LocalContext() == nullptr) {
    RaiseCantStart("the UNO runtime of " GLOSSMITH_OFFICE_PROGRAM_DIR " does not start");
  }
  IgnoreBrokenPipes();

  const char* display = std::getenv("DISPLAY");
  headless_ = !(options.useDisplay && display != nullptr && display[0] != '\0');
  const std::string pipeName = UniquePipeName();
  std::vector<std::string> arguments;
  // With a display the office starts invisible but able to show windows
  // later; documents stay without a window until shown.
  arguments.push_back(headless_ ? "--headless" : "--invisible");
  for (const char* a : {"--norestore", "--nologo", "--nodefault", "--nolockcheck"}) arguments.push_back(a);
  arguments.push_back("--accept=pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext");
  try {
    profile_ =
        OfficeProfile::Acquire(options.profileRoot.empty() ? DefaultProfileRoot() : options.profileRoot);
    arguments.push_back("-env:UserInstallation=" + FileUrl(profile_.Folder()));
    process_ = std::make_unique<OfficeProcess>(program_, arguments, profile_.Folder() + ".log", profile_);
  } catch (const Error& e) {
    RaiseCantStart(e.Description());
  }
  profile_.HandOver();
  watchdog_ = std::make_unique<Watchdog>(*process_);
  try {
    Connect(pipeName, options.startSeconds);
    ConfigureProfile();
  } catch (const Error&) {
    Disconnect();
    process_->Kill();
    throw;
  } catch (const css::uno::Exception& e) {
    Disconnect();
    process_->Kill();
    RaiseCantStart("no connection (" + ToUtf8(e.Message) + ")");
  }
}

OfficeConnection::~OfficeConnection() {
  Disconnect();
  watchdog_.reset();
  // The process object ends the office unless it was handed to the user.
  process_.reset();
}

void OfficeConnection::RaiseCantStart(const std::string& reason) {
  RaiseRuntime(rt::CantCreateObject, "LibreOffice Writer (" + program_ + ") could not be started: " + reason);
}

void OfficeConnection::Connect(const std::string& pipeName, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  const auto& local = *LocalContext();
  const auto connector = css::connection::Connector::create(local);
  Reference<css::connection::XConnection> connection;
  while (!connection.is()) {
    try {
      connection = connector->connect(ToOUString("pipe,name=" + pipeName));
    } catch (const css::connection::NoConnectException&) {
      if (!process_->Running()) {
        const auto code = process_->ExitCode();
        std::string reason = "it ended with exit code " + std::to_string(code.value_or(-1));
        if (const std::string log = LogTail(profile_.Folder() + ".log"); !log.empty())
          reason += " (" + log + ")";
        RaiseCantStart(reason);
      }
      if (std::chrono::steady_clock::now() > deadline) {
        RaiseCantStart("it did not answer within " + std::to_string(static_cast<int>(seconds)) + " seconds");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  try {
    bridge_ = css::bridge::BridgeFactory::create(local)->createBridge(OUString(), "urp", connection, nullptr);
    Reference<css::lang::XComponent>(bridge_, UNO_QUERY_THROW)->addEventListener(new BridgeListener(lost_));
    watchdog_->Arm(
        std::max(1.0, std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count()));
    context_.set(bridge_->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
    desktop_ = css::frame::Desktop::create(context_);
    watchdog_->Disarm();
  } catch (const css::uno::Exception& e) {
    watchdog_->Disarm();
    RaiseCantStart(watchdog_->Fired() ? "it did not answer in time"
                                      : "no connection (" + ToUtf8(e.Message) + ")");
  }
}

void OfficeConnection::ConfigureProfile() {
  // Settings of our private profile; settings the office does not know are
  // left alone.
  const auto node = [&](const char* path) {
    const css::uno::Any nodePath(Property("nodepath", css::uno::Any(OUString::createFromAscii(path))));
    return Reference<css::container::XNameReplace>(
        css::configuration::theDefaultProvider::get(context_)->createInstanceWithArguments(
            "com.sun.star.configuration.ConfigurationUpdateAccess",
            css::uno::Sequence<css::uno::Any>(&nodePath, 1)),
        UNO_QUERY_THROW);
  };
  const auto set = [&](const char* path, const char* name, const css::uno::Any& value) {
    try {
      const auto settings = node(path);
      settings->replaceByName(OUString::createFromAscii(name), value);
      Reference<css::util::XChangesBatch>(settings, UNO_QUERY_THROW)->commitChanges();
    } catch (const css::uno::Exception&) {
    }
  };
  Call("configure the profile", CallLength::Short, [&] {
    // No "Keep current format?" question when the user saves the .doc, no
    // tips at start.
    set("/org.openoffice.Office.Common/Save/Document", "WarnAlienFormat", css::uno::Any(false));
    set("/org.openoffice.Office.Common/Misc", "ShowTipOfTheDay", css::uno::Any(false));
    // An office that never shows a window never records that its version
    // was seen, and then runs its graphics self-tests at every start
    // (seconds each time): record it here. This also keeps the "What's new"
    // and donation bars out of the user's window.
    try {
      css::uno::Any version =
          Reference<css::container::XNameAccess>(node("/org.openoffice.Setup/Product"), UNO_QUERY_THROW)
              ->getByName("ooSetupVersion");
      const auto now = static_cast<sal_Int64>(std::time(nullptr));
      set("/org.openoffice.Setup/Product", "ooSetupLastVersion", version);
      set("/org.openoffice.Setup/Product", "LastTimeGetInvolvedShown", css::uno::Any(now));
      set("/org.openoffice.Setup/Product", "LastTimeDonateShown", css::uno::Any(now));
    } catch (const css::uno::Exception&) {
    }
  });
}

Reference<css::uno::XInterface> OfficeConnection::CreateInstance(const char* service) {
  return context_->getServiceManager()->createInstanceWithContext(OUString::createFromAscii(service),
                                                                  context_);
}

bool OfficeConnection::Connected() {
  return bridge_.is() && !*lost_ && process_->Running();
}

void OfficeConnection::CheckConnected() {
  if (!Connected()) RaiseGone("the word processor");
}

void OfficeConnection::RaiseGone(std::string_view what) {
  RaiseWordError(wderr::ServerUnavailable, std::string(what) + ": the word processor is no longer running");
}

void OfficeConnection::RaiseFromCurrent(std::string_view what) {
  std::string message;
  bool disposed = false;
  try {
    throw;
  } catch (const css::lang::DisposedException& e) {
    disposed = true;
    message = ToUtf8(e.Message);
  } catch (const css::uno::Exception& e) {
    message = ToUtf8(e.Message);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "unknown failure";
  }
  if (watchdog_->Fired()) {
    RaiseWordError(wderr::CallTimedOut, std::string(what) + " did not finish within its time limit");
  }
  // A broken connection shows up as an exception of any kind; give the
  // keeper a moment to report the office's end.
  if (*lost_ || process_->WaitForExit(disposed ? 0.5 : 0.05)) RaiseGone(what);
  if (disposed) RaiseWordError(wderr::NoDocumentOpen, std::string(what) + ": the document was closed");
  RaiseWordError(wderr::CommandFailed, std::string(what) + (message.empty() ? "" : ": " + message));
}

void OfficeConnection::ClearStaleLock(const std::string& path) {
  ClearStaleDocumentLock(path, profile_.Root(), profile_.Folder());
}

std::string OfficeConnection::ExchangePath(std::string_view extension) {
  const std::string folder = profile_.Folder() + "/exchange";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder + "/" + std::to_string(++exchangeCounter_) + std::string(extension);
}

void OfficeConnection::SetDetached(bool detached) {
  process_->SetDetached(detached);
}

void OfficeConnection::Terminate() {
  if (Connected()) {
    try {
      Call("Quit", CallLength::Short, [&] {
        try {
          desktop_->terminate();
        } catch (const css::lang::DisposedException&) {
          // The office went away while answering: that is the end asked for.
        }
      });
    } catch (const Error&) {
      // Whatever stopped the terminate, the process is ended below.
    }
  }
  Disconnect();
  if (!process_->WaitForExit(kQuitSeconds)) {
    process_->Kill();
    process_->WaitForExit(kKillSeconds);
  }
}

void OfficeConnection::Disconnect() noexcept {
  // The bridge goes first: letting go of a proxy of a live bridge sends a
  // release, which after a terminate races with the office's exit (a write
  // to a pipe the office has closed); a disposed bridge sends nothing.
  if (bridge_.is()) {
    try {
      Reference<css::lang::XComponent>(bridge_, UNO_QUERY_THROW)->dispose();
    } catch (...) {
    }
  }
  desktop_.clear();
  context_.clear();
  bridge_.clear();
  *lost_ = true;
}

}  // namespace gs::writer
