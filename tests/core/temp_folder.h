#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace nx::test {

// A fresh, empty folder per test, named after the test and removed afterwards; file tests check
// what it holds, temporary files included.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("nx_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string path(const std::string& name) const { return (dir / name).string(); }
  // Writes `content` to `name` in the folder (or to a full path); returns the path.
  std::string put(const std::string& name, const std::string& content) const {
    std::filesystem::path target = dir / name;
    std::ofstream(target, std::ios::binary) << content;
    return target.string();
  }
  static std::string read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::set<std::string> names() const {
    std::set<std::string> result;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      result.insert(e.path().filename().string());
    return result;
  }

  std::filesystem::path dir;
};

}  // namespace nx::test
