// basRegistry: the program's settings store. Each operation opens its key
// with full access, does its one read or write and closes the key again;
// nothing is cached. A failed registry call raises a gs::Error whose source
// names the operation; no key handle stays open after it.
#pragma once

#include <cstdint>
#include <string>

#include "registry/registry_api.h"

namespace gs {

// The store's error numbers, in the range of user-defined errors.
inline constexpr int32_t kUserErrorBase = static_cast<int32_t>(0x80040000u);
inline constexpr int32_t ErrRegRead = kUserErrorBase + 6001;       // a key or value can't be read
inline constexpr int32_t ErrRegSetValue = kUserErrorBase + 6002;   // a value can't be stored
inline constexpr int32_t ErrRegCreateKey = kUserErrorBase + 6003;  // a key can't be opened or created

// The keys the program uses, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kGameKey = "SOFTWARE\\DE ROROVO\\NHL06";
inline constexpr const char* kSettingsKey = "Software\\DE ROROVO\\Kt06";

// A text value as read into a 255-byte buffer, without its last byte (the
// terminating NUL); empty text when the value holds at most one byte.
std::string GetRegString(HKEY hive, const std::string& keyPath, const std::string& valueName);
// Any value of at most 4 bytes, as a signed 32-bit number; the type is not looked at.
int32_t GetRegDWord(HKEY hive, const std::string& keyPath, const std::string& valueName);
// Stores a REG_DWORD, creating the key and any keys above it.
void SetRegDWord(HKEY hive, const std::string& keyPath, const std::string& valueName, int32_t value);

}  // namespace gs
