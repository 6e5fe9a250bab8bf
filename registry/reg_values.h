// Registry writes and checks beyond the settings store's own three
// operations, for the installation. Failures raise the store's errors with
// the operation's name as source.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "registry/registry_api.h"

namespace gs {

// Stores a value of any type, creating the key and any keys above it with
// full access. Raises ErrRegCreateKey ("RegCreateKeyEx failed!") or
// ErrRegSetValue ("RegSetValueEx failed!") with source as the error's source,
// or runtime error 61 (Disk full) naming the registry's location.
void StoreRegValue(const char* source, HKEY hive, const std::string& keyPath, const std::string& valueName,
                   DWORD type, std::span<const BYTE> data);

// Stores text as REG_SZ with its terminating NUL.
void SetRegString(HKEY hive, const std::string& keyPath, const std::string& valueName,
                  const std::string& text);

// True when the key exists and holds the value. Opens the key for reading
// only; raises ErrRegRead when the key or value exists but can't be read.
bool RegValueExists(HKEY hive, const std::string& keyPath, const std::string& valueName);

}  // namespace gs
