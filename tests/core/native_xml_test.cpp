// The XML document layer: the written layout byte for byte, entity handling,
// 8-bit text, tolerated XML features, malformed input, and the value conversions.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/systemfile/NativeXml.h"

namespace vorel {
namespace {

constexpr char kDeclarationLine[] = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n";

// The value of the first child of the root with that name, after loading `text`.
std::string LoadedValue(const std::string& text, const std::string& child) {
  TNativeXml document;
  const XmlStatus status = document.LoadFromBuffer(text);
  EXPECT_TRUE(status.ok) << status.reason;
  const TXmlNode* node = document.Root().NodeByName(child);
  EXPECT_NE(node, nullptr);
  return node ? node->ValueAsString() : std::string();
}

TEST(NativeXmlWrite, LayoutOfNestedElementsAttributesAndEmptyValues) {
  TNativeXml document("Root");
  document.Root().AttributeAdd("Version", "1.0");
  document.Root().NodeNew("A").SetValueAsString("x");
  TXmlNode& b = document.Root().NodeNew("B");
  b.NodeNew("C").SetValueAsInteger(-5);
  b.NodeNew("E");
  document.Root().NodeNew("A").SetValueAsBool(true);
  b.NodeNew("F").SetValueAsBool(false);

  const std::string expected = std::string(kDeclarationLine) +
                               "<Root Version=\"1.0\">\r\n"
                               "  <A>x</A>\r\n"
                               "  <B>\r\n"
                               "    <C>-5</C>\r\n"
                               "    <E/>\r\n"
                               "    <F>False</F>\r\n"
                               "  </B>\r\n"
                               "  <A>True</A>\r\n"
                               "</Root>\r\n";
  EXPECT_EQ(document.SaveToBuffer(), expected);
}

TEST(NativeXmlWrite, EmptyDocumentIsTheDeclarationOnly) {
  EXPECT_EQ(TNativeXml().SaveToBuffer(), kDeclarationLine);
}

TEST(NativeXmlWrite, SpecialCharactersAreEscapedAndReadBack) {
  struct Case {
    const char* name;
    std::string value;
    std::string written;
  } cases[] = {
      {"ampersand and angle brackets", "a & <b>", "a &amp; &lt;b&gt;"},
      {"apostrophe and quotation mark", "it's \"so\"", "it&apos;s &quot;so&quot;"},
      {"reference-like text stays text", "&amp;", "&amp;amp;"},
      {"end of a CDATA section", "]]>", "]]&gt;"},
      {"8-bit Windows-1252 bytes untouched", "\xE9t\xE9 \x80 \xFF", "\xE9t\xE9 \x80 \xFF"},
      {"line break inside a value kept", "a\r\nb", "a\r\nb"},
      {"blanks only", "  ", "  "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TNativeXml document("R");
    document.Root().AttributeAdd("a", c.value);
    document.Root().NodeNew("V").SetValueAsString(c.value);
    const std::string text = document.SaveToBuffer();
    EXPECT_EQ(text, std::string(kDeclarationLine) + "<R a=\"" + c.written + "\">\r\n  <V>" +
                        c.written + "</V>\r\n</R>\r\n");

    TNativeXml loaded;
    ASSERT_TRUE(loaded.LoadFromBuffer(text).ok);
    ASSERT_EQ(loaded.Root().NodeCount(), 1);
    EXPECT_EQ(loaded.Root().Nodes(0).ValueAsString(), c.value);
    ASSERT_NE(loaded.Root().AttributeByName("a"), nullptr);
    EXPECT_EQ(*loaded.Root().AttributeByName("a"), c.value);
  }
}

TEST(NativeXmlRead, ValuesFromReferencesFeaturesAndWhitespace) {
  struct Case {
    const char* name;
    std::string document;
    std::string value;  // of the root's child V
  } cases[] = {
      {"predefined entities", "<R><V>&lt;&gt;&amp;&apos;&quot;</V></R>", "<>&'\""},
      {"decimal reference in the code page", "<R><V>caf&#233;</V></R>", "caf\xE9"},
      {"hexadecimal reference in the code page", "<R><V>&#xE9;&#xe9;</V></R>", "\xE9\xE9"},
      {"euro sign lands on its Windows-1252 byte", "<R><V>&#x20AC;&#8364;</V></R>", "\x80\x80"},
      {"character outside the code page", "<R><V>&#x4E2D;</V></R>", "?"},
      {"NUL and numbers past Unicode", "<R><V>&#0;&#x110000;&#99999999999;</V></R>", "???"},
      {"malformed references stay text", "<R><V>&#xZZ; &#; &#X41; a & b</V></R>",
       "&#xZZ; &#; &#X41; a & b"},
      {"declared entity is not expanded", "<!DOCTYPE R [<!ENTITY e \"boom\">]><R><V>&e;</V></R>",
       "&e;"},
      {"external entity is never loaded",
       "<!DOCTYPE R [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><R><V>&x;</V></R>", "&x;"},
      {"comment, processing instruction and CDATA",
       "<?xml version=\"1.0\"?><!-- c --><?pi data?><R><V>a<!-- c -->b<![CDATA[<&#65;>]]></V>"
       "<?pi?></R><!-- end -->",
       "ab<&#65;>"},
      {"raw 8-bit bytes that are no UTF-8", "<R><V>\xE9\xFF\x81</V></R>", "\xE9\xFF\x81"},
      {"byte order mark ahead of the document", "\xEF\xBB\xBF<R><V>x</V></R>", "x"},
      {"blanks of a leaf are its value", "<R>\r\n  <V>  </V>\r\n</R>\r\n", "  "},
      {"line ends inside a value are kept", "<R><V>a\r\nb\nc</V></R>", "a\r\nb\nc"},
      {"apostrophes around attribute values", "<R a='1'><V>ok</V></R>", "ok"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LoadedValue(c.document, "V"), c.value);
  }
}

TEST(NativeXmlRead, LayoutBetweenElementsIsNoValueAndOrderIsKept) {
  TNativeXml document;
  ASSERT_TRUE(document
                  .LoadFromBuffer("<R k=\"&#233;&amp;\">\r\n  <A>1</A>\r\n  <B>\r\n    <C/>\r\n"
                                  "  </B>\r\n\t<A>2</A>\r\n</R>")
                  .ok);
  const TXmlNode& root = document.Root();
  EXPECT_EQ(root.Name(), "R");
  EXPECT_EQ(root.ValueAsString(), "");
  EXPECT_EQ(*root.AttributeByName("k"), "\xE9&");
  ASSERT_EQ(root.NodeCount(), 3);
  EXPECT_EQ(root.Nodes(0).Name(), "A");
  EXPECT_EQ(root.Nodes(0).ValueAsString(), "1");
  EXPECT_EQ(root.Nodes(1).Name(), "B");
  EXPECT_EQ(root.Nodes(1).ValueAsString(), "");
  ASSERT_EQ(root.Nodes(1).NodeCount(), 1);
  EXPECT_EQ(root.Nodes(1).Nodes(0).ValueAsString(), "");
  EXPECT_EQ(root.Nodes(2).ValueAsString(), "2");
  EXPECT_EQ(root.NodeByName("A"), &root.Nodes(0));
}

TEST(NativeXmlRead, MalformedDocumentsAreRefusedWithAReason) {
  struct Case {
    const char* name;
    std::string document;
    const char* reasonPart;
  } cases[] = {
      {"nothing at all", "", "no root element"},
      {"blanks only", " \r\n", "no root element"},
      {"declaration only", kDeclarationLine, "no root element"},
      {"end tag of another element", "<R>\r\n<V></R>", "line 2"},
      {"cut off inside the root", "<R><V>x</V>", "malformed XML"},
      {"cut off inside a tag", "<R><V>x</V", "malformed XML"},
      {"unterminated attribute", "<R a=\"1><V/></R>", "malformed XML"},
      {"two root elements", "<R/><S/>", "more than one root element"},
      {"text after the root", "<R/>junk", "text outside the root element"},
      {"text before the root", "junk<R/>", "text outside the root element"},
      {"NUL byte inside a value", std::string("<R><V>a\0b</V></R>", 18), "malformed XML"},
      {"unterminated comment", "<R><!-- x</R>", "malformed XML"},
      {"document type inside an element", "<R><!DOCTYPE R></R>", "malformed XML"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TNativeXml document("Earlier");
    const XmlStatus status = document.LoadFromBuffer(c.document);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.reason.find(c.reasonPart), std::string::npos) << status.reason;
    EXPECT_EQ(document.Root().Name(), "");
  }
}

TEST(NativeXmlRead, DeepNestingIsRefusedNotACrash) {
  constexpr int kLevels = 100000;
  std::string text;
  for (int i = 0; i < kLevels; ++i) text += "<a>";
  for (int i = 0; i < kLevels; ++i) text += "</a>";
  TNativeXml document;
  const XmlStatus status = document.LoadFromBuffer(text);
  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.reason.find("nested deeper"), std::string::npos) << status.reason;
}

TEST(NativeXmlValue, IntegerWithDefault) {
  struct Case {
    std::string text;
    int32_t expected;
  } cases[] = {
      {"", 2},
      {"-5", -5},
      {"17", 17},
      {" 42 ", 42},
      {"12a", 2},
      {"0x10", 2},
      {"1.5", 2},
      {"+7", 7},
      {"2147483647", 2147483647},
      {"2147483648", 2},
      {"-2147483648", INT32_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXmlNode node("N");
    node.SetValueAsString(c.text);
    EXPECT_EQ(node.ValueAsIntegerDef(2), c.expected);
  }
  TXmlNode node("N");
  node.SetValueAsInteger(-2147483648LL);
  EXPECT_EQ(node.ValueAsString(), "-2147483648");
}

TEST(NativeXmlValue, BooleanByFirstCharacter) {
  struct Case {
    std::string text;
    std::optional<bool> expected;
  } cases[] = {
      {"True", true},      {"true", true},      {"Y", true},         {"yes", true},
      {"False", false},    {"f", false},        {"No", false},       {"nonsense", false},
      {"", std::nullopt},  {"0", std::nullopt}, {"1", std::nullopt}, {" True", std::nullopt},
      {"-", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXmlNode node("N");
    node.SetValueAsString(c.text);
    EXPECT_EQ(node.ValueAsBool(), c.expected);
    EXPECT_EQ(node.ValueAsBoolDef(true), c.expected.value_or(true));
    EXPECT_EQ(node.ValueAsBoolDef(false), c.expected.value_or(false));
  }
}

TEST(NativeXmlValue, BinHexWriting) {
  struct Case {
    std::vector<uint8_t> bytes;
    std::string digits;
  } cases[] = {
      {{0x00, 0xAB}, "00AB"},
      {{0x0F, 0xF0, 0x5A, 0x09}, "0FF05A09"},
      {{}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.digits);
    TXmlNode node("B");
    node.BufferWrite(c.bytes);
    EXPECT_EQ(node.ValueAsString(), c.digits);
  }
}

TEST(NativeXmlValue, BinHexReading) {
  constexpr std::array<uint8_t, 2> kUntouched = {0x55, 0x66};
  struct Case {
    const char* name;
    std::string digits;
    bool ok;
    std::array<uint8_t, 2> bytes;
  } cases[] = {
      {"exact", "00AB", true, {0x00, 0xAB}},
      {"line break between the pairs", "00\r\nAB", true, {0x00, 0xAB}},
      {"tabs and line feeds anywhere", "\t0\n0A\tB\n", true, {0x00, 0xAB}},
      {"lower-case digits", "c3ff", true, {0xC3, 0xFF}},
      {"digits beyond the block ignored", "0102FFFF", true, {0x01, 0x02}},
      {"anything after the block ignored", "0102 junk", true, {0x01, 0x02}},
      {"one digit short", "00A", false, kUntouched},
      {"empty", "", false, kUntouched},
      {"blank inside the block", "00 AB", false, kUntouched},
      {"no hexadecimal digit", "0G12", false, kUntouched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TXmlNode node("B");
    node.SetValueAsString(c.digits);
    std::array<uint8_t, 2> bytes = kUntouched;
    const XmlStatus status = node.BufferRead(bytes);
    EXPECT_EQ(status.ok, c.ok) << status.reason;
    EXPECT_EQ(status.reason.empty(), c.ok);
    EXPECT_EQ(bytes, c.bytes);
  }
}

}  // namespace
}  // namespace vorel

namespace vorel {
namespace {

// "Wäsche €5 水" in the encodings a system file may come in.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

TEST(NativeXmlRead, UnicodeFilesBecomeWindows1252) {
  const std::string utf8Body =
      "<R><V a=\"\xC3\xA4\">W\xC3\xA4sche \xE2\x82\xAC"
      "5 \xE6\xB0\xB4</V></R>";
  const std::u16string utf16Body = u"<R><V a=\"ä\">Wäsche €5 水</V></R>";
  struct Case {
    const char* name;
    std::string bytes;
    std::string value;
    bool lossy;
  };
  const Case cases[] = {
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + utf8Body,
       "W\xE4sche \x80"
       "5 ?",
       true},
      {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + utf8Body,
       "W\xE4sche \x80"
       "5 ?",
       true},
      {"UTF-16 little-endian", Utf16(utf16Body, false),
       "W\xE4sche \x80"
       "5 ?",
       true},
      {"UTF-16 big-endian", Utf16(utf16Body, true),
       "W\xE4sche \x80"
       "5 ?",
       true},
      // Without a declaration or mark the bytes stay 8-bit as they are.
      {"8-bit", utf8Body,
       "W\xC3\xA4sche \xE2\x82\xAC"
       "5 \xE6\xB0\xB4",
       false},
      {"UTF-8 declared, all representable",
       "<?xml version='1.0' encoding='utf8'?><R><V a=\"x\">W\xC3\xA4sche</V></R>", "W\xE4sche",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TNativeXml document;
    ASSERT_TRUE(document.LoadFromBuffer(c.bytes));
    const TXmlNode& value = document.Root().Nodes(0);
    EXPECT_EQ(value.ValueAsString(), c.value);
    EXPECT_EQ(value.Lossy(), c.lossy);
  }
}

}  // namespace
}  // namespace vorel
