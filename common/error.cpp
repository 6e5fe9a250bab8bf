#include "common/error.h"

#include <limits>

namespace gs {

Error::Error(int32_t number, std::string description, std::string source, std::string helpFile,
             int32_t helpContext)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      helpFile_(std::move(helpFile)),
      helpContext_(helpContext) {}

std::string_view RuntimeDescription(int32_t number) {
  switch (number) {
    case rt::Overflow: return "Overflow";
    case rt::OutOfMemory: return "Out of memory";
    case rt::SubscriptOutOfRange: return "Subscript out of range";
    case rt::TypeMismatch: return "Type mismatch";
    case rt::InternalError: return "Internal error";
    case rt::BadFileNameOrNumber: return "Bad file name or number";
    case rt::FileNotFound: return "File not found";
    case rt::BadFileMode: return "Bad file mode";
    case rt::FileAlreadyOpen: return "File already open";
    case rt::DeviceIoError: return "Device I/O error";
    case rt::FileAlreadyExists: return "File already exists";
    case rt::DiskFull: return "Disk full";
    case rt::InputPastEndOfFile: return "Input past end of file";
    case rt::TooManyFiles: return "Too many files";
    case rt::PermissionDenied: return "Permission denied";
    case rt::PathFileAccessError: return "Path/File access error";
    case rt::PathNotFound: return "Path not found";
    case rt::ObjectNotSet: return "Object variable or With block variable not set";
    case rt::InvalidPropertyValue: return "Invalid property value";
    case rt::CantCreateObject: return "ActiveX component can't create object";
    case rt::NoSuchMember: return "Object doesn't support this property or method";
    case rt::NamedArgumentNotFound: return "Named argument not found";
    case rt::ArgumentNotOptional: return "Argument not optional";
    case rt::WrongArguments: return "Wrong number of arguments or invalid property assignment";
    case rt::DllEntryPointNotFound: return "Can't find DLL entry point";
    case rt::ServerUnavailable: return "The remote server machine does not exist or is unavailable";
    default: return {};
  }
}

void Raise(int32_t number, std::string description) {
  throw Error(number, std::move(description));
}

Error RuntimeError(int32_t number, std::string_view detail) {
  const std::string_view usual = RuntimeDescription(number);
  std::string text;
  text.reserve(usual.size() + 2 + detail.size());
  text.append(usual);
  if (!detail.empty()) text.append(": ").append(detail);
  return Error(number, std::move(text));
}

void RaiseRuntime(int32_t number, std::string_view detail) {
  throw RuntimeError(number, detail);
}

void RaiseFileError(int systemError, std::string_view path) {
  RaiseRuntime(FileErrorNumber(systemError), path);
}

int32_t CheckedAdd(int64_t a, int64_t b) {
  int64_t r = 0;
  if (__builtin_add_overflow(a, b, &r) || r < std::numeric_limits<int32_t>::min() ||
      r > std::numeric_limits<int32_t>::max()) {
    RaiseRuntime(rt::Overflow);
  }
  return static_cast<int32_t>(r);
}

int32_t CheckedMul(int64_t a, int64_t b) {
  int64_t r = 0;
  if (__builtin_mul_overflow(a, b, &r) || r < std::numeric_limits<int32_t>::min() ||
      r > std::numeric_limits<int32_t>::max()) {
    RaiseRuntime(rt::Overflow);
  }
  return static_cast<int32_t>(r);
}

}  // namespace gs
