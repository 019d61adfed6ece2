#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <variant>

#include "../core/temp_folder.h"
#include "cli/cli.h"
#include "cli_runner.h"

namespace nx::cli {
namespace {

using Result = nx::test::CliResult;
using nx::test::runCli;

class CheckTest : public nx::test::TempFolderTest {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    return put(name, content);
  }
};

std::string templateXml(const std::string& entries, const std::string& header = "") {
  return "<T><CRC><VENDOR>NORVEXA</VENDOR>" + header + "<DEFAULT>0</DEFAULT></CRC><PARAMETER>" +
         entries + "</PARAMETER></T>";
}

std::string entry(const std::string& name, const std::string& type, const std::string& value,
                  const std::string& min, const std::string& max,
                  const std::string& enable = "Yes") {
  return "<" + name + "><CAPTION>" + name + "</CAPTION><DEFAULT>" + value + "</DEFAULT><TYPE>" +
         type + "</TYPE><MIN>" + min + "</MIN><MAX>" + max + "</MAX><ENABLE>" + enable +
         "</ENABLE><TOOLTIP>tip</TOOLTIP></" + name + ">";
}

// A small JSON reader, strict enough to reject what a tool's parser would reject: control
// characters and invalid UTF-8 in strings, bad escapes, trailing commas, trailing text.
struct Json;
using JsonObject = std::map<std::string, Json>;
using JsonArray = std::vector<Json>;
struct Json {
  std::variant<std::nullptr_t, bool, double, std::string, JsonArray, JsonObject> v;
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view s) : s_(s) {}
  std::optional<Json> document() {
    auto value = read();
    ws();
    if (!value || i_ != s_.size()) return std::nullopt;
    return value;
  }

 private:
  void ws() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\t' || s_[i_] == '\r'))
      ++i_;
  }
  bool eat(char c) {
    ws();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  std::optional<Json> read() {
    ws();
    if (i_ >= s_.size()) return std::nullopt;
    char c = s_[i_];
    if (c == '[') {
      ++i_;
      JsonArray a;
      if (eat(']')) return Json{a};
      do {
        auto item = read();
        if (!item) return std::nullopt;
        a.push_back(*item);
      } while (eat(','));
      if (!eat(']')) return std::nullopt;
      return Json{a};
    }
    if (c == '{') {
      ++i_;
      JsonObject o;
      if (eat('}')) return Json{o};
      do {
        ws();
        auto key = string();
        if (!key || !eat(':')) return std::nullopt;
        auto value = read();
        if (!value || o.count(*key)) return std::nullopt;
        o[*key] = *value;
      } while (eat(','));
      if (!eat('}')) return std::nullopt;
      return Json{o};
    }
    if (c == '"') {
      auto text = string();
      if (!text) return std::nullopt;
      return Json{*text};
    }
    for (const char* word : {"true", "false", "null"}) {
      if (s_.substr(i_).starts_with(word)) {
        i_ += std::string_view(word).size();
        if (word[0] == 'n') return Json{nullptr};
        return Json{word[0] == 't'};
      }
    }
    size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    if (i_ == start) return std::nullopt;
    return Json{std::stod(std::string(s_.substr(start, i_ - start)))};
  }
  std::optional<std::string> string() {
    if (i_ >= s_.size() || s_[i_] != '"') return std::nullopt;
    ++i_;
    std::string out;
    while (i_ < s_.size() && s_[i_] != '"') {
      unsigned char c = static_cast<unsigned char>(s_[i_]);
      if (c < 0x20) return std::nullopt;
      if (c == '\\') {
        if (++i_ >= s_.size()) return std::nullopt;
        char e = s_[i_++];
        static const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        if (auto k = simple.find(e); k != std::string_view::npos) {
          out += meaning[k];
        } else if (e == 'u' && i_ + 4 <= s_.size()) {
          unsigned code = std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16);
          i_ += 4;
          if (code < 0x80) {
            out += static_cast<char>(code);
          } else {
            out += "<U+" + std::to_string(code) + ">";  // enough to compare in the tests
          }
        } else {
          return std::nullopt;
        }
        continue;
      }
      if (c >= 0x80) {
        // Well-formed UTF-8 only.
        int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        if (len == 0 || i_ + len > s_.size()) return std::nullopt;
        for (int k = 1; k < len; ++k)
          if ((static_cast<unsigned char>(s_[i_ + k]) & 0xC0) != 0x80) return std::nullopt;
        out.append(s_.substr(i_, len));
        i_ += len;
        continue;
      }
      out += static_cast<char>(c);
      ++i_;
    }
    if (i_ >= s_.size()) return std::nullopt;
    ++i_;
    return out;
  }

  std::string_view s_;
  size_t i_ = 0;
};

TEST_F(CheckTest, ExitStatusAndStreams) {
  std::string sound = templateXml(entry("Speed", "INT", "10", "0", "100"));
  struct Case {
    const char* what;
    std::vector<std::string> args;  // "@name" is replaced by a file holding files[name]
    int status;
    std::string outEnd;  // the end of stdout
    std::string err;     // stderr, or its start when it ends in "..."
  } cases[] = {
      {"sound", {"check", "@sound"}, kOk, "0 errors, 0 warnings\n", ""},
      {"warnings only", {"check", "@warn"}, kOk, "0 errors, 1 warning\n", ""},
      {"an error", {"check", "@error"}, kMismatch, "1 error, 0 warnings\n", ""},
      {"json with an error", {"check", "@error", "--format", "json"}, kMismatch, "]\n", ""},
      {"json, sound", {"check", "--format=json", "@sound"}, kOk, "[]\n", ""},
      {"vendor refused", {"check", "@vendor"}, kFailed, "", "This Template is not allowed!\n"},
      {"parameter set", {"check", "@set"}, kFailed, "", "This Template is a set of parameter!\n"},
      {"not well-formed", {"check", "@broken"}, kFailed, "", "..."},
      {"missing file", {"check", "@missing"}, kFailed, "", "..."},
      {"no template", {"check"}, kFailed, "", "usage: nx-ipar check ..."},
      {"two templates", {"check", "@sound", "@sound"}, kFailed, "", "usage: nx-ipar check ..."},
      {"unknown format",
       {"check", "@sound", "--format", "xml"},
       kFailed,
       "",
       "usage: nx-ipar check ..."},
      {"unknown option",
       {"check", "@sound", "--set", "x"},
       kFailed,
       "",
       "usage: nx-ipar check ..."},
  };
  std::map<std::string, std::string> files = {
      {"sound", write("sound.xml", sound)},
      {"warn", write("warn.xml", templateXml(entry("Speed", "INT", "10", "0", "100", "yes")))},
      {"error", write("error.xml", templateXml(entry("Speed", "INT", "1.5", "0", "100")))},
      {"vendor", write("vendor.xml",
                       "<T><CRC><VENDOR>OTHER</VENDOR><DEFAULT>0</DEFAULT></CRC>"
                       "<PARAMETER><!-- c --></PARAMETER></T>")},
      {"set", write("set.xml",
                    "<T><CRC><VENDOR>NORVEXA</VENDOR><VALUE>1</VALUE></CRC>"
                    "<PARAMETER><Speed><VALUE>1</VALUE></Speed></PARAMETER></T>")},
      {"broken", write("broken.xml", "<T><CRC></T>")},
      {"missing", (dir / "nothing.xml").string()},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(a[0] == '@' ? files[a.substr(1)] : a);
    Result r = runCli(args);
    EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.out << r.err;
    EXPECT_TRUE(r.out.ends_with(c.outEnd)) << c.what << "\n" << r.out;
    if (c.err.ends_with("...")) {
      EXPECT_TRUE(r.err.starts_with(c.err.substr(0, c.err.size() - 3))) << c.what << "\n" << r.err;
      EXPECT_FALSE(r.err.empty()) << c.what;
    } else {
      EXPECT_EQ(r.err, c.err) << c.what;
    }
    if (c.status == kFailed) {
      EXPECT_EQ(r.out, "") << c.what;
    }
  }
}

TEST_F(CheckTest, TextLines) {
  std::string path =
      write("t.xml", templateXml(entry("Speed", "INT", "10", "0", "100", "yes") + "<!-- x -->" +
                                     entry("Mode", "BOOL", "On", "On", "On"),
                                 "<ENDIAN>bigEndian</ENDIAN>"));
  Result r = runCli({"check", path});
  EXPECT_EQ(r.status, kMismatch) << r.out;
  std::istringstream lines(r.out);
  std::vector<std::string> prefixes;
  for (std::string line; std::getline(lines, line);) {
    size_t severity = line.find(": ");
    prefixes.push_back(
        severity == std::string::npos ? line : line.substr(0, line.find(": ", severity + 2) + 2));
  }
  std::vector<std::string> expected = {
      "template: warning: ", "row 1 (Speed): warning: ", "row 2 (#comment): error: ",
      "row 3 (Mode): warning: ", "1 error, 3 warnings"};
  EXPECT_EQ(prefixes, expected) << r.out;
}

TEST_F(CheckTest, JsonParsesBackToTheSameFindings) {
  // Texts from the template reach the output: quotes, backslashes, a line break, a tab,
  // non-ASCII text and a byte that is not UTF-8.
  std::string odd = "a\"b\\c\nd\te \xC3\xA4 \xFF";
  std::string path =
      write("t.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                         templateXml(entry("Speed", "INT", odd, "0", "100") +
                                         entry("Mode", "BOOL", "Off", "Off", "On", odd),
                                     "<ENDIAN>BIGENDIAN</ENDIAN>"));
  Result text = runCli({"check", path});
  Result json = runCli({"check", path, "--format", "json"});
  EXPECT_EQ(json.status, text.status);
  EXPECT_EQ(json.status, kMismatch);
  auto parsed = JsonReader(json.out).document();
  ASSERT_TRUE(parsed.has_value()) << json.out;
  ASSERT_TRUE(std::holds_alternative<JsonArray>(parsed->v)) << json.out;
  const JsonArray& items = std::get<JsonArray>(parsed->v);

  std::vector<std::string> fromJson;
  for (const Json& item : items) {
    ASSERT_TRUE(std::holds_alternative<JsonObject>(item.v));
    const JsonObject& o = std::get<JsonObject>(item.v);
    ASSERT_EQ(o.size(), 4u) << json.out;
    int row = static_cast<int>(std::get<double>(o.at("row").v));
    const std::string& name = std::get<std::string>(o.at("name").v);
    const std::string& severity = std::get<std::string>(o.at("severity").v);
    EXPECT_TRUE(severity == "error" || severity == "warning") << severity;
    EXPECT_EQ(row == 0, name.empty()) << json.out;
    fromJson.push_back((row == 0 ? "template" : "row " + std::to_string(row) + " (" + name + ")") +
                       ": " + severity);
  }
  std::vector<std::string> fromText;
  std::istringstream lines(text.out);
  for (std::string line; std::getline(lines, line);)
    if (line.find(": ") != std::string::npos)
      fromText.push_back(line.substr(0, line.find(": ", line.find(": ") + 2)));
  EXPECT_EQ(fromJson, fromText) << json.out << text.out;
  // The DEFAULT finding quotes the odd text; its line break must not split the text line.
  EXPECT_NE(text.out.find("DEFAULT \"a\\\"b\\\\c\\nd\\te \xC3\xA4 \xFF\""), std::string::npos)
      << text.out;
  EXPECT_NE(json.out.find("\\u"), std::string::npos) << json.out;
}

TEST_F(CheckTest, ExamplesReportNothing) {
  for (const auto& file : std::filesystem::directory_iterator(NX_EXAMPLES)) {
    if (file.path().extension() != ".xml") continue;
    Result text = runCli({"check", file.path().string()});
    EXPECT_EQ(text.status, kOk) << file.path() << text.out << text.err;
    EXPECT_EQ(text.out, "0 errors, 0 warnings\n") << file.path();
    Result json = runCli({"check", file.path().string(), "--format", "json"});
    EXPECT_EQ(json.status, kOk) << file.path() << json.err;
    EXPECT_EQ(json.out, "[]\n") << file.path();
  }
}

}  // namespace
}  // namespace nx::cli
