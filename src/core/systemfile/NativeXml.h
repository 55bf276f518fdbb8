// The XML document behind the system file: a tree of named elements with text
// values and attributes, parsed from bytes and written back in the fixed layout.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorel {

// Outcome of a document operation that can fail; `reason` is readable text.
struct XmlStatus {
  bool ok = true;
  std::string reason;

  static XmlStatus Ok() { return {}; }
  static XmlStatus Error(std::string why) { return {false, std::move(why)}; }
  explicit operator bool() const { return ok; }
};

// One element: name, text value, attributes and child elements, each list in the
// order it was created or read. Names are compared exactly. Text is Windows-1252.
class TXmlNode {
 public:
  explicit TXmlNode(std::string name = {}) : name_(std::move(name)) {}
  TXmlNode(const TXmlNode&) = delete;
  TXmlNode& operator=(const TXmlNode&) = delete;

  const std::string& Name() const { return name_; }

  int NodeCount() const { return static_cast<int>(nodes_.size()); }
  TXmlNode& Nodes(int index) { return *nodes_[static_cast<size_t>(index)]; }
  const TXmlNode& Nodes(int index) const { return *nodes_[static_cast<size_t>(index)]; }
  // The first child of that name, or nullptr.
  const TXmlNode* NodeByName(std::string_view name) const;
  // Appends a new child, even when one of that name exists.
  TXmlNode& NodeNew(std::string name);

  void AttributeAdd(std::string name, std::string value);
  int AttributeCount() const { return static_cast<int>(attributes_.size()); }
  const std::pair<std::string, std::string>& Attributes(int index) const {
    return attributes_[static_cast<size_t>(index)];
  }
  // The value of the first attribute of that name, or nullptr.
  const std::string* AttributeByName(std::string_view name) const;

  const std::string& ValueAsString() const { return value_; }
  // A character of the file's Unicode text had no Windows-1252 byte and became '?'.
  bool Lossy() const { return lossy_; }
  void MarkLossy() { lossy_ = true; }
  void SetValueAsString(std::string value) { value_ = std::move(value); }

  void SetValueAsInteger(int64_t value);
  // The value as a whole 32-bit decimal number, or `fallback` (also for an empty value).
  int32_t ValueAsIntegerDef(int32_t fallback) const;

  // Writes "True" or "False".
  void SetValueAsBool(bool value);
  // The first character decides: T or Y is true, F or N is false, either case;
  // anything else, also an empty value, is no boolean.
  std::optional<bool> ValueAsBool() const;
  bool ValueAsBoolDef(bool fallback) const { return ValueAsBool().value_or(fallback); }

  // Binary blocks as BinHex: two upper-case hexadecimal digits per byte.
  void BufferWrite(std::span<const uint8_t> bytes);
  // Drops control characters (line breaks, tabs) from the value, then decodes
  // exactly `bytes.size()` bytes; further digits are ignored. Leaves `bytes`
  // untouched when the value is short or holds something other than a digit.
  XmlStatus BufferRead(std::span<uint8_t> bytes) const;

 private:
  std::string name_;
  std::string value_;
  bool lossy_ = false;
  std::vector<std::pair<std::string, std::string>> attributes_;
  std::vector<std::unique_ptr<TXmlNode>> nodes_;
};

// The document: the declaration and one root element.
//
// Writing: the declaration <?xml version="1.0" encoding="windows-1252"?>, then one
// element per line, indented by two blanks per level, every line ended by CR LF.
// A leaf is written as start tag, value and end tag on one line, or as an empty
// tag when its value is empty; an element with children has its own lines for the
// start and end tags, and its value, never used by the system file, is not written.
// The five characters & < > ' " are written as entity references in values and
// attribute values; every other byte goes out as it stands.
//
// Reading: a file that starts with a UTF-8 or UTF-16 byte-order mark, or whose
// declaration names UTF-8, is Unicode text: its names and values become
// Windows-1252, a character the code page lacks becoming '?' (the node says so);
// any other file is 8-bit text whose bytes are never transcoded. Comments, processing instructions,
// CDATA and a document type declaration are accepted; no external entity is loaded and no entity
// other than the five predefined ones is expanded (others stay in the text as written). A numeric
// character reference (&#233; &#x20AC;) becomes the Windows-1252 byte of that character, '?' when
// the code page lacks it, so a value is always 8-bit text. Line ends inside values are kept as they
// are. Whitespace between elements is not part of any value; the text of a leaf is kept whole,
// blanks included.
class TNativeXml {
 public:
  // An empty document, ready for loading.
  TNativeXml() = default;
  // A new document with an empty root element of that name.
  explicit TNativeXml(std::string rootName) { Create(std::move(rootName)); }

  void Create(std::string rootName);

  TXmlNode& Root() { return *root_; }
  const TXmlNode& Root() const { return *root_; }

  // Replaces the document by the parsed bytes. On failure the document is empty
  // and the reason names the line and column.
  XmlStatus LoadFromBuffer(std::string_view bytes);

  std::string SaveToBuffer() const;

 private:
  std::unique_ptr<TXmlNode> root_ = std::make_unique<TXmlNode>();
};

}  // namespace vorel
