#include "documents/xml_document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "documents/errors.h"

namespace nx {
namespace {

// Loads an XML string; the document stays alive for the test.
class XmlTest : public ::testing::Test {
 protected:
  XmlNode load(std::string_view xml) {
    doc.loadFromBuffer(xml, "test.xml");
    return doc.root();
  }
  XmlDocument doc;
};

TEST_F(XmlTest, ChildByNameIsFirstMatchAndCaseSensitive) {
  XmlNode root = load("<R><A>1</A><a>x</a><A>2</A></R>");
  EXPECT_EQ(root.child("A").text(), "1");
  EXPECT_EQ(root.child("a").text(), "x");
}

TEST_F(XmlTest, MissingElementReadsEmptyWithoutContent) {
  XmlNode root = load("<R><A>1</A></R>");
  XmlNode missing = root.child("B");
  EXPECT_FALSE(missing.exists());
  EXPECT_EQ(missing.text(), "");
  EXPECT_FALSE(missing.hasContent());
  EXPECT_EQ(missing.childCount(), 0);
  EXPECT_EQ(missing.child("C").child("D").text(), "");
  EXPECT_EQ(missing.name(), "B");
}

TEST_F(XmlTest, PositionsCountCommentsButNotWhitespace) {
  XmlNode root = load("<R>\n  <A/>\n  <!-- note -->\n  <B>t</B>\n</R>");
  EXPECT_EQ(root.childCount(), 3);
  EXPECT_EQ(root.childAt(0).name(), "A");
  EXPECT_EQ(root.childAt(1).name(), "#comment");
  EXPECT_EQ(root.childAt(2).name(), "B");
}

TEST_F(XmlTest, PositionOutsideTheListNamesThePosition) {
  XmlNode root = load("<R><A/><B/></R>");
  struct Case {
    int64_t pos;
  } cases[] = {{2}, {-1}, {100}};
  for (const Case& c : cases) {
    try {
      root.childAt(c.pos);
      ADD_FAILURE() << "no error at " << c.pos;
    } catch (const ListIndexError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Listenindex überschreitet das Maximum (" + std::to_string(c.pos) + ")");
    }
  }
}

TEST_F(XmlTest, TextRules) {
  struct Case {
    const char* xml;
    const char* text;  // nullptr: the element-access error
  } cases[] = {
      {"<R><A>abc</A></R>", "abc"},
      {"<R><A></A></R>", ""},
      {"<R><A/></R>", ""},
      {"<R><A>   </A></R>", ""},
      {"<R><A> x </A></R>", " x "},
      {"<R><A>a &amp; &lt;b&gt;</A></R>", "a & <b>"},
      {"<R><A><![CDATA[<x>]]></A></R>", "<x>"},
      {"<R><A><B/></A></R>", nullptr},
      {"<R><A>x<B/></A></R>", nullptr},
      {"<R><A>x<!--c--></A></R>", nullptr},
      {"<R><A><!--c-->x</A></R>", nullptr},
      {"<R><A><!--c--></A></R>", nullptr},
  };
  for (const Case& c : cases) {
    XmlNode a = load(c.xml).child("A");
    if (c.text) {
      EXPECT_EQ(a.text(), c.text) << c.xml;
    } else {
      try {
        a.text();
        ADD_FAILURE() << "no error for " << c.xml;
      } catch (const ElementAccessError& e) {
        EXPECT_STREQ(e.what(), "Element \"A\" enthält keinen einzelnen Textknoten") << c.xml;
      }
    }
  }
}

TEST_F(XmlTest, ContentAndCountsIncludeTheTextNode) {
  XmlNode root = load("<R><A>x<B/>y</A><E></E><C><!--only--></C></R>");
  XmlNode a = root.child("A");
  EXPECT_EQ(a.childCount(), 3);
  EXPECT_EQ(a.childAt(0).name(), "#text");
  EXPECT_EQ(a.childAt(1).name(), "B");
  EXPECT_EQ(a.childAt(2).name(), "#text");
  EXPECT_TRUE(a.hasContent());
  EXPECT_FALSE(root.child("E").hasContent());
  EXPECT_TRUE(root.child("C").hasContent());
}

TEST_F(XmlTest, CommentCannotHoldElements) {
  XmlNode comment = load("<R><!--c--></R>").childAt(0);
  EXPECT_THROW(comment.child("CAPTION"), ElementAccessError);
}

// Large parents go through an index; it must keep first-match and last-match semantics.
TEST_F(XmlTest, LargeParentKeepsFirstAndLastMatch) {
  std::string xml = "<R>";
  for (int i = 0; i < 1000; ++i)
    xml += "<E" + std::to_string(i) + ">" + std::to_string(i) + "</E" + std::to_string(i) + ">";
  xml += "<E5>second</E5><!--c--><E7>x</E7><!--d--></R>";
  XmlNode root = load(xml);
  EXPECT_EQ(root.childCount(), 1004);
  EXPECT_EQ(root.child("E5").text(), "5");
  EXPECT_EQ(root.child("E999").text(), "999");
  EXPECT_FALSE(root.child("E1000").exists());
  EXPECT_EQ(root.lastChildNamed("E5"), 1000);
  EXPECT_EQ(root.lastChildNamed("E7"), 1002);
  EXPECT_EQ(root.lastChildNamed("#comment"), 1003);
  EXPECT_EQ(root.lastChildNamed("none"), -1);
  EXPECT_EQ(root.childAt(1001).name(), "#comment");
  EXPECT_EQ(root.childAt(999).text(), "999");
  EXPECT_THROW(root.childAt(1004), ListIndexError);
  EXPECT_FALSE(root.child("#comment").exists());  // lookups by name find elements only
}

TEST_F(XmlTest, LoadErrorNamesReasonLineAndExcerpt) {
  try {
    load("<R>\n  <A>1</A>\n  <B>2</C>\n</R>");
    FAIL() << "no error";
  } catch (const XmlLoadError& e) {
    std::string text = e.what();
    EXPECT_NE(text.find("\nZeile: 3\n"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "  <B>2</C>") << text;
  }
  EXPECT_FALSE(doc.active());
}

TEST_F(XmlTest, LoadErrorExcerptIsFortyCharacters) {
  std::string line = "<R><A>" + std::string(30, 'x') + "äöü" + std::string(30, 'y') + "</B></R>";
  try {
    load(line);
    FAIL() << "no error";
  } catch (const XmlLoadError& e) {
    std::string text = e.what();
    std::string excerpt = text.substr(text.rfind('\n') + 1);
    EXPECT_EQ(excerpt, "<R><A>" + std::string(30, 'x') + "äöü" + "y");
  }
}

TEST_F(XmlTest, EmptyAndGarbageInputFailToLoad) {
  for (std::string_view input :
       {std::string_view(""), std::string_view("   "), std::string_view("\0\x01\x02garbage", 10),
        std::string_view("<A>"), std::string_view("<!-- only a comment -->")}) {
    EXPECT_THROW(load(input), XmlLoadError) << "input size " << input.size();
    EXPECT_FALSE(doc.active());
  }
}

TEST_F(XmlTest, DeepNestingLoads) {
  std::string xml;
  for (int i = 0; i < 100000; ++i) xml += "<a>";
  for (int i = 0; i < 100000; ++i) xml += "</a>";
  EXPECT_EQ(load(xml).childCount(), 1);
}

TEST(XmlFile, EncodingsLoadAlike) {
  std::string body = "<R><A>Grüße</A></R>";
  std::u16string body16 = u"<R><A>Grüße</A></R>";
  auto utf16 = [&](bool le, bool bom) {
    std::string out;
    if (bom) out += le ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t c : body16) {
      char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
      out += le ? std::string{lo, hi} : std::string{hi, lo};
    }
    return out;
  };
  struct Case {
    const char* label;
    std::string bytes;
  } cases[] = {
      {"utf-8", body},
      {"utf-8 with bom", "\xEF\xBB\xBF" + body},
      {"utf-16le bom", utf16(true, true)},
      {"utf-16be bom", utf16(false, true)},
      {"utf-16le no bom", utf16(true, false)},
  };
  auto path = std::filesystem::temp_directory_path() / "nx_encoding_test.xml";
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary) << c.bytes;
    XmlDocument doc;
    doc.load(path.string());
    EXPECT_EQ(doc.root().child("A").text(), "Grüße") << c.label;
    EXPECT_EQ(doc.fileName(), path.string());
  }
  std::filesystem::remove(path);
}

TEST(XmlFile, UnreadableFilesFailWithALoadError) {
  auto dir = std::filesystem::temp_directory_path() / "nx_unreadable_test";
  std::filesystem::create_directories(dir);
  XmlDocument doc;
  EXPECT_THROW(doc.load((dir / "missing.xml").string()), XmlLoadError);
  EXPECT_THROW(doc.load(dir.string()), XmlLoadError);
  std::ofstream(dir / "empty.xml");
  EXPECT_THROW(doc.load((dir / "empty.xml").string()), XmlLoadError);
  EXPECT_FALSE(doc.active());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nx
