#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

namespace nx::platform {

// A value that exists with another data type than the one asked for, or a registry that cannot
// be reached at all.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class RegistryValueType { None, String, Integer, Other };

// Read access to one key under HKEY_CURRENT_USER. The program only ever reads.
class Registry {
 public:
  virtual ~Registry() = default;
  // Opens `path` (backslash-separated), creating it when `canCreate` and it does not exist.
  // False when the key cannot be opened; the reads then find no values.
  virtual bool openKey(const std::string& path, bool canCreate) = 0;
  // None when no key is open or the value does not exist.
  virtual RegistryValueType valueType(const std::string& name) const = 0;
  bool valueExists(const std::string& name) const {
    return valueType(name) != RegistryValueType::None;
  }
  // A missing value reads as ""; one of another type throws RegistryError.
  virtual std::string readString(const std::string& name) const = 0;
  // Throws RegistryError unless the value exists as a 32-bit integer.
  virtual int32_t readInteger(const std::string& name) const = 0;
};

// Creates the access object with the given access mask (0x20119: read rights in the 64-bit view).
// Throws RegistryError when it cannot be created.
using RegistryFactory = std::function<std::unique_ptr<Registry>(uint32_t access)>;

// The system's registry on Windows; elsewhere an empty MemoryRegistry.
std::unique_ptr<Registry> createRegistry(uint32_t access);

// A registry held in memory: empty unless values are put into it (where there is no Windows
// registry, and in tests).
class MemoryRegistry : public Registry {
 public:
  using Value = std::variant<std::string, int32_t, double>;

  void put(const std::string& key, const std::string& name, Value value);

  bool openKey(const std::string& path, bool canCreate) override;
  RegistryValueType valueType(const std::string& name) const override;
  std::string readString(const std::string& name) const override;
  int32_t readInteger(const std::string& name) const override;

 private:
  const Value* find(const std::string& name) const;

  std::map<std::string, std::map<std::string, Value>> keys_;
  std::string openKey_;
  bool open_ = false;
};

}  // namespace nx::platform
