// The errors the conversions raise for input they cannot take.
#pragma once

#include <string>
#include <string_view>

namespace gs {

// Error 7777, "Unknown data format for file '<name>'", followed by ": detail"
// when one is given.
[[noreturn]] void RaiseUnknownFormat(std::string_view fileName, std::string_view detail = {});

// Fails with error 5 unless the last export of this kind (its current file
// name, empty when none) was of the file now being imported.
void RequireExportOf(std::string_view exported, std::string_view currentFileName, std::string_view kind);

}  // namespace gs
