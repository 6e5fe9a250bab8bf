#include "word/writer/word_error.h"

#include "common/error.h"
#include "word/word_app.h"

namespace gs::writer {

std::string_view WordErrorText(int32_t number) {
  switch (number) {
    case wderr::CallTimedOut: return "The word processor did not answer in time and was ended";
    case wderr::CommandFailed: return "Command failed";
    case wderr::NoDocumentOpen: return "This command is not available because no document is open.";
    case wderr::NotAvailable: return "This method or property is not available in this state.";
    case wderr::ValueOutOfRange: return "Value out of range";
    case wderr::FileNotFound: return "This file could not be found.";
    case wderr::NoSuchMember: return "The requested member of the collection does not exist.";
    default: return RuntimeDescription(number);
  }
}

void RaiseWordError(int32_t number, std::string_view detail) {
  std::string text(WordErrorText(number));
  if (!detail.empty()) text.append(text.empty() ? "" : ": ").append(detail);
  // Failures to reach the word processor at all are the automation layer's,
  // as in Word's case; everything else is the word processor's own.
  const bool unreachable = number == wderr::CantCreateObject || number == wderr::ServerUnavailable ||
                           number == wderr::CallTimedOut;
  throw Error(number, std::move(text), unreachable ? std::string(kProjectName) : kWordProcessorSource);
}

}  // namespace gs::writer
