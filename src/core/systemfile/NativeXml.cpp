// Parsing through pugixml into our own element tree, and the writer of the
// system file layout.
#include "core/systemfile/NativeXml.h"

#include <algorithm>
#include <pugixml.hpp>

#include "core/base/Ansi.h"
#include "core/base/Numbers.h"

namespace vorel {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kIndent = "  ";  // blanks only: written as a run
constexpr std::string_view kTrue = "True";
constexpr std::string_view kFalse = "False";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Deep enough for any document the tool writes (six levels); a deeper one is
// refused instead of exhausting the stack while it is copied.
constexpr int kMaxDepth = 256;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

// Characters of an entity name or a character reference body, up to its ';'.
bool IsReferenceCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '#';
}

bool IsXmlBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsBlankText(std::string_view text) {
  for (char c : text) {
    if (!IsXmlBlank(c)) return false;
  }
  return true;
}

// The code point of a character reference body ("#233" or "#xE9"), or nothing
// when the body is not one.
std::optional<char32_t> CharacterReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return std::nullopt;
  const bool hex = body[1] == 'x';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    const int digit = hex ? HexDigitValue(c) : ((c >= '0' && c <= '9') ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    if (value > kMaxCodePoint) value = kMaxCodePoint + 1;  // saturate, stays invalid
  }
  return static_cast<char32_t>(value);
}

// Turns the five predefined entity references back into their characters and a
// character reference into its Windows-1252 byte. Anything else after an
// ampersand is kept as written: no other entity is ever expanded.
void AppendDecoded(std::string& out, std::string_view raw) {
  size_t i = 0;
  while (i < raw.size()) {
    const size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      return;
    }
    out.append(raw.substr(i, amp - i));
    size_t semi = amp + 1;
    while (semi < raw.size() && IsReferenceCharacter(raw[semi])) ++semi;
    if (semi >= raw.size() || raw[semi] != ';') {
      out.push_back('&');
      i = amp + 1;
      continue;
    }
    const std::string_view body = raw.substr(amp + 1, semi - amp - 1);
    char replacement = 0;
    if (body == "amp") {
      replacement = '&';
    } else if (body == "lt") {
      replacement = '<';
    } else if (body == "gt") {
      replacement = '>';
    } else if (body == "apos") {
      replacement = '\'';
    } else if (body == "quot") {
      replacement = '"';
    } else if (auto codePoint = CharacterReference(body)) {
      // NUL and numbers past Unicode are no characters: shown as unrepresentable.
      const bool valid = *codePoint != 0 && *codePoint <= kMaxCodePoint;
      replacement = static_cast<char>(valid ? Ansi::FromUnicode(*codePoint) : '?');
    } else {
      out.push_back('&');
      i = amp + 1;
      continue;
    }
    out.push_back(replacement);
    i = semi + 1;
  }
}

void AppendEscaped(std::string& out, std::string_view text) {
  size_t from = 0;
  while (from < text.size()) {
    const size_t special = text.find_first_of("&<>'\"", from);
    if (special == std::string_view::npos) break;
    out.append(text.substr(from, special - from));
    switch (text[special]) {
      case '&':
        out.append("&amp;");
        break;
      case '<':
        out.append("&lt;");
        break;
      case '>':
        out.append("&gt;");
        break;
      case '\'':
        out.append("&apos;");
        break;
      default:
        out.append("&quot;");
        break;
    }
    from = special + 1;
  }
  out.append(text.substr(from));
}

void AppendIndent(std::string& out, int level) {
  out.append(static_cast<size_t>(level) * kIndent.size(), kIndent.front());
}

void WriteElement(std::string& out, const TXmlNode& node, int level) {
  AppendIndent(out, level);
  out.push_back('<');
  out.append(node.Name());
  for (int a = 0; a < node.AttributeCount(); ++a) {
    const auto& [name, value] = node.Attributes(a);
    out.push_back(' ');
    out.append(name);
    out.append("=\"");
    AppendEscaped(out, value);
    out.push_back('"');
  }
  if (node.NodeCount() == 0) {
    if (node.ValueAsString().empty()) {
      out.append("/>");
    } else {
      out.push_back('>');
      AppendEscaped(out, node.ValueAsString());
      out.append("</");
      out.append(node.Name());
      out.push_back('>');
    }
    out.append(kLineEnd);
    return;
  }
  out.push_back('>');
  out.append(kLineEnd);
  for (int i = 0; i < node.NodeCount(); ++i) WriteElement(out, node.Nodes(i), level + 1);
  AppendIndent(out, level);
  out.append("</");
  out.append(node.Name());
  out.push_back('>');
  out.append(kLineEnd);
}

// How the text of the document is to be taken: as the 8-bit text it is, or as
// UTF-8 turned into Windows-1252.
struct SourceText {
  bool utf8 = false;

  // The text in Windows-1252; `lost` is set when a character the code page lacks
  // became '?'.
  std::string Ansi(std::string_view text, bool& lost) const {
    if (!utf8) return std::string(text);
    return Ansi::FromUtf8(text, &lost);
  }
};

// Copies a parsed element and everything below it into our tree.
XmlStatus CopyElement(const pugi::xml_node& source, TXmlNode& target, int depth,
                      const SourceText& text) {
  if (depth > kMaxDepth) {
    return XmlStatus::Error("elements nested deeper than " + std::to_string(kMaxDepth) + " levels");
  }
  bool lost = false;
  for (const pugi::xml_attribute& attribute : source.attributes()) {
    std::string value;
    AppendDecoded(value, text.Ansi(attribute.value(), lost));
    target.AttributeAdd(text.Ansi(attribute.name(), lost), std::move(value));
  }
  bool hasElements = false;
  for (const pugi::xml_node& child : source.children()) {
    if (child.type() == pugi::node_element) {
      hasElements = true;
      break;
    }
  }
  std::string value;
  for (const pugi::xml_node& child : source.children()) {
    switch (child.type()) {
      case pugi::node_pcdata:
        // Line breaks and indentation between child elements are layout only.
        if (!(hasElements && IsBlankText(child.value())))
          AppendDecoded(value, text.Ansi(child.value(), lost));
        break;
      case pugi::node_cdata:
        value.append(text.Ansi(child.value(), lost));
        break;
      case pugi::node_element: {
        bool nameLost = false;
        TXmlNode& copy = target.NodeNew(text.Ansi(child.name(), nameLost));
        if (XmlStatus status = CopyElement(child, copy, depth + 1, text); !status) return status;
        if (nameLost) copy.MarkLossy();
        break;
      }
      default:
        break;
    }
  }
  target.SetValueAsString(std::move(value));
  if (lost) target.MarkLossy();
  return XmlStatus::Ok();
}

// The document declares UTF-8 in its XML declaration.
bool DeclaresUtf8(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size() && IsXmlBlank(bytes[at])) ++at;
  if (bytes.substr(at, 5) != "<?xml") return false;
  const size_t end = bytes.find("?>", at);
  if (end == std::string_view::npos) return false;
  const std::string_view declaration = bytes.substr(at, end - at);
  const size_t name = declaration.find("encoding");
  if (name == std::string_view::npos) return false;
  size_t q = declaration.find_first_of("\"'", name);
  if (q == std::string_view::npos) return false;
  const size_t close = declaration.find(declaration[q], q + 1);
  if (close == std::string_view::npos) return false;
  std::string encoding(declaration.substr(q + 1, close - q - 1));
  for (char& c : encoding) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return encoding == "utf-8" || encoding == "utf8";
}

// "line L, column C" of a byte offset, both counted from 1.
std::string Position(std::string_view bytes, ptrdiff_t offset) {
  size_t line = 1;
  size_t column = 1;
  const size_t end = std::min(bytes.size(), static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)));
  for (size_t i = 0; i < end; ++i) {
    if (bytes[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

const TXmlNode* TXmlNode::NodeByName(std::string_view name) const {
  for (const auto& node : nodes_) {
    if (node->Name() == name) return node.get();
  }
  return nullptr;
}

TXmlNode& TXmlNode::NodeNew(std::string name) {
  nodes_.push_back(std::make_unique<TXmlNode>(std::move(name)));
  return *nodes_.back();
}

void TXmlNode::AttributeAdd(std::string name, std::string value) {
  attributes_.emplace_back(std::move(name), std::move(value));
}

const std::string* TXmlNode::AttributeByName(std::string_view name) const {
  for (const auto& attribute : attributes_) {
    if (attribute.first == name) return &attribute.second;
  }
  return nullptr;
}

void TXmlNode::SetValueAsInteger(int64_t value) {
  value_ = IntToStr(value);
}

int32_t TXmlNode::ValueAsIntegerDef(int32_t fallback) const {
  return StrToIntDef(value_, fallback);
}

void TXmlNode::SetValueAsBool(bool value) {
  value_ = value ? kTrue : kFalse;
}

std::optional<bool> TXmlNode::ValueAsBool() const {
  if (value_.empty()) return std::nullopt;
  switch (value_.front()) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
      return false;
    default:
      return std::nullopt;
  }
}

void TXmlNode::BufferWrite(std::span<const uint8_t> bytes) {
  value_.assign(bytes.size() * 2, '0');
  char* digit = value_.data();
  for (uint8_t byte : bytes) {
    *digit++ = kHexDigits[byte >> 4];
    *digit++ = kHexDigits[byte & 0x0F];
  }
}

XmlStatus TXmlNode::BufferRead(std::span<uint8_t> bytes) const {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7F;
  std::vector<uint8_t> decoded(bytes.size());
  const size_t needed = bytes.size() * 2;
  size_t digits = 0;
  const char* text = value_.data();
  uint8_t* decodedBytes = decoded.data();
  for (size_t i = 0; i < value_.size() && digits < needed; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < kFirstPrintable || c == kDelete) continue;
    const int nibble = HexDigitValue(static_cast<char>(c));
    if (nibble < 0) {
      return XmlStatus::Error("character " + std::to_string(i + 1) + " is not a hexadecimal digit");
    }
    uint8_t& byte = decodedBytes[digits / 2];
    byte = static_cast<uint8_t>((digits % 2 == 0) ? (nibble << 4) : (byte | nibble));
    ++digits;
  }
  if (digits < needed) {
    return XmlStatus::Error(std::to_string(digits) + " hexadecimal digits where " +
                            std::to_string(needed) + " are needed");
  }
  std::copy(decoded.begin(), decoded.end(), bytes.begin());
  return XmlStatus::Ok();
}

void TNativeXml::Create(std::string rootName) {
  root_ = std::make_unique<TXmlNode>(std::move(rootName));
}

XmlStatus TNativeXml::LoadFromBuffer(std::string_view bytes) {
  root_ = std::make_unique<TXmlNode>();
  // Bytes go through untouched: pugixml takes them as UTF-8 without checking it.
  // References are decoded here, not by pugixml, so that they end up as
  // Windows-1252 bytes. A fragment parse keeps text outside the root visible.
  constexpr unsigned kOptions = pugi::parse_cdata | pugi::parse_ws_pcdata | pugi::parse_fragment;
  // A Unicode file (byte-order mark, or UTF-8 declared) is taken as UTF-8, turned
  // into Windows-1252 value by value; any other file is 8-bit text as it stands.
  SourceText text;
  std::string fromUtf16;
  const auto startsWith = [&bytes](std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
  };
  if (startsWith("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    text.utf8 = true;
  } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
    fromUtf16 = Ansi::Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
    bytes = fromUtf16;
    text.utf8 = true;
  } else {
    text.utf8 = DeclaresUtf8(bytes);
  }
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(bytes.data(), bytes.size(), kOptions, pugi::encoding_utf8);
  if (!parsed) {
    return XmlStatus::Error("malformed XML at " + Position(bytes, parsed.offset) + ": " +
                            parsed.description());
  }
  pugi::xml_node rootElement;
  for (const pugi::xml_node& node : document.children()) {
    const bool isText = node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
    if (isText && !IsBlankText(node.value())) {
      return XmlStatus::Error("malformed XML: text outside the root element");
    }
    if (node.type() != pugi::node_element) continue;
    if (rootElement) return XmlStatus::Error("malformed XML: more than one root element");
    rootElement = node;
  }
  if (!rootElement) return XmlStatus::Error("malformed XML: no root element");
  bool rootNameLost = false;
  auto root = std::make_unique<TXmlNode>(text.Ansi(rootElement.name(), rootNameLost));
  if (XmlStatus status = CopyElement(rootElement, *root, 1, text); !status) return status;
  root_ = std::move(root);
  return XmlStatus::Ok();
}

std::string TNativeXml::SaveToBuffer() const {
  std::string out;
  out.append(kDeclaration);
  out.append(kLineEnd);
  if (!root_->Name().empty()) WriteElement(out, *root_, 0);
  return out;
}

}  // namespace vorel
