#include "platform/registry.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

namespace nx::platform {

namespace {

std::string invalidType(const std::string& name) { return "Invalid data type for '" + name + "'"; }

#ifdef _WIN32

std::wstring wide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

class WindowsRegistry : public Registry {
 public:
  explicit WindowsRegistry(uint32_t access) : access_(static_cast<REGSAM>(access)) {}
  ~WindowsRegistry() override { closeKey(); }

  bool openKey(const std::string& path, bool canCreate) override {
    closeKey();
    std::wstring p = wide(path);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, p.c_str(), 0, access_, &key_) == ERROR_SUCCESS)
      return true;
    key_ = nullptr;
    if (canCreate && RegCreateKeyExW(HKEY_CURRENT_USER, p.c_str(), 0, nullptr, 0, access_, nullptr,
                                     &key_, nullptr) == ERROR_SUCCESS)
      return true;
    key_ = nullptr;
    return false;
  }

  RegistryValueType valueType(const std::string& name) const override {
    DWORD type = 0;
    if (!key_ || RegQueryValueExW(key_, wide(name).c_str(), nullptr, &type, nullptr, nullptr) !=
                     ERROR_SUCCESS)
      return RegistryValueType::None;
    if (type == REG_SZ || type == REG_EXPAND_SZ) return RegistryValueType::String;
    if (type == REG_DWORD) return RegistryValueType::Integer;
    return RegistryValueType::Other;
  }

  std::string readString(const std::string& name) const override {
    RegistryValueType type = valueType(name);
    if (type == RegistryValueType::None) return {};
    if (type != RegistryValueType::String) throw RegistryError(invalidType(name));
    std::wstring n = wide(name);
    DWORD size = 0;
    RegQueryValueExW(key_, n.c_str(), nullptr, nullptr, nullptr, &size);
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key_, n.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &got) != ERROR_SUCCESS)
      throw RegistryError(invalidType(name));
    return narrow(std::wstring(data.data()));
  }

  int32_t readInteger(const std::string& name) const override {
    if (valueType(name) != RegistryValueType::Integer) throw RegistryError(invalidType(name));
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key_, wide(name).c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
      throw RegistryError(invalidType(name));
    return static_cast<int32_t>(value);
  }

 private:
  void closeKey() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

  REGSAM access_;
  HKEY key_ = nullptr;
};

#endif

}  // namespace

std::unique_ptr<Registry> createRegistry(uint32_t access) {
#ifdef _WIN32
  return std::make_unique<WindowsRegistry>(access);
#else
  (void)access;
  return std::make_unique<MemoryRegistry>();
#endif
}

void MemoryRegistry::put(const std::string& key, const std::string& name, Value value) {
  keys_[key][name] = std::move(value);
}

bool MemoryRegistry::openKey(const std::string& path, bool canCreate) {
  open_ = keys_.count(path) > 0 || canCreate;
  if (open_) {
    keys_[path];
    openKey_ = path;
  }
  return open_;
}

const MemoryRegistry::Value* MemoryRegistry::find(const std::string& name) const {
  if (!open_) return nullptr;
  const auto& values = keys_.at(openKey_);
  auto it = values.find(name);
  return it == values.end() ? nullptr : &it->second;
}

RegistryValueType MemoryRegistry::valueType(const std::string& name) const {
  const Value* v = find(name);
  if (!v) return RegistryValueType::None;
  if (std::holds_alternative<std::string>(*v)) return RegistryValueType::String;
  if (std::holds_alternative<int32_t>(*v)) return RegistryValueType::Integer;
  return RegistryValueType::Other;
}

std::string MemoryRegistry::readString(const std::string& name) const {
  const Value* v = find(name);
  if (!v) return {};
  if (const auto* s = std::get_if<std::string>(v)) return *s;
  throw RegistryError(invalidType(name));
}

int32_t MemoryRegistry::readInteger(const std::string& name) const {
  const Value* v = find(name);
  if (const auto* i = v ? std::get_if<int32_t>(v) : nullptr) return *i;
  throw RegistryError(invalidType(name));
}

}  // namespace nx::platform
