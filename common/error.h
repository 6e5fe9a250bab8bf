// The error record of the whole program: every failure is raised as a
// gs::Error and ends in the one error report of the handler that started the
// work. Nothing returns error codes; a function returns a status instead
// only where not getting a thing is an answer rather than a failure (a stale
// lock left in place, a log with nothing to add to a message), and its header
// says which status and why.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace gs {

// The source of an error raised without one of its own.
inline constexpr std::string_view kProjectName = "Glossmith";

// Classic runtime error numbers, kept so that users and help files recognise them.
namespace rt {
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t InternalError = 51;
inline constexpr int32_t BadFileNameOrNumber = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t BadFileMode = 54;
inline constexpr int32_t FileAlreadyOpen = 55;
inline constexpr int32_t DeviceIoError = 57;
inline constexpr int32_t FileAlreadyExists = 58;
inline constexpr int32_t DiskFull = 61;
inline constexpr int32_t InputPastEndOfFile = 62;
inline constexpr int32_t TooManyFiles = 67;
inline constexpr int32_t PermissionDenied = 70;
inline constexpr int32_t PathFileAccessError = 75;
inline constexpr int32_t PathNotFound = 76;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t InvalidPropertyValue = 380;
inline constexpr int32_t CantCreateObject = 429;
inline constexpr int32_t NoSuchMember = 438;
inline constexpr int32_t NamedArgumentNotFound = 448;
inline constexpr int32_t ArgumentNotOptional = 449;
inline constexpr int32_t WrongArguments = 450;
inline constexpr int32_t DllEntryPointNotFound = 453;
inline constexpr int32_t ServerUnavailable = 462;
// The program's own: a data file that does not have the expected layout.
inline constexpr int32_t UnknownDataFormat = 7777;
}  // namespace rt

class Error : public std::exception {
 public:
  Error(int32_t number, std::string description, std::string source = std::string(kProjectName),
        std::string helpFile = {}, int32_t helpContext = 0);

  int32_t Number() const noexcept { return number_; }
  const std::string& Source() const noexcept { return source_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& HelpFile() const noexcept { return helpFile_; }
  int32_t HelpContext() const noexcept { return helpContext_; }

  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  std::string helpFile_;
  int32_t helpContext_;
};

// The usual English description of a runtime error number ("Overflow",
// "File not found", ...); empty for numbers that have none.
std::string_view RuntimeDescription(int32_t number);

// Raises an error with the given description and the project name as source.
[[noreturn]] void Raise(int32_t number, std::string description);

// A runtime error with its usual description, followed by ": detail" when a
// detail is given.
Error RuntimeError(int32_t number, std::string_view detail = {});

// Raises a runtime error with its usual description, followed by ": detail"
// when a detail (a file name, say) is given.
[[noreturn]] void RaiseRuntime(int32_t number, std::string_view detail = {});

// Maps an operating-system error (errno on POSIX, GetLastError on Windows) to
// the runtime file error it stands for.
int32_t FileErrorNumber(int systemError);

// Raises the runtime file error for a failed operation on path.
[[noreturn]] void RaiseFileError(int systemError, std::string_view path);

// 32-bit signed arithmetic that fails as the runtime does, with error 6.
int32_t CheckedAdd(int64_t a, int64_t b);
int32_t CheckedMul(int64_t a, int64_t b);

}  // namespace gs
