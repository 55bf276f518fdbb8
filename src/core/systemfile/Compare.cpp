// Comparing two configurations through their system files.
#include "core/systemfile/Compare.h"

#include <map>
#include <pugixml.hpp>

#include "core/image/ImagePacking.h"
#include "core/systemfile/SystemFile.h"

namespace vorel {

namespace {

bool IsLog(std::string_view name) {
  return name == "DataLog" || name == "AlarmLog";
}

// Every leaf's path and text, in document order.
void Leaves(const pugi::xml_node& node, const std::string& path,
            std::vector<std::pair<std::string, std::string>>& out) {
  std::map<std::string, int> seen;
  std::map<std::string, int> total;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element) ++total[child.name()];
  }
  bool hasElement = false;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    hasElement = true;
    const std::string name = child.name();
    if (IsLog(name)) continue;
    const int index = ++seen[name];
    std::string childPath = path.empty() ? name : path + "/" + name;
    if (total[name] > 1) childPath += "[" + std::to_string(index) + "]";
    Leaves(child, childPath, out);
  }
  if (!hasElement && !path.empty()) out.emplace_back(path, node.text().get());
}

std::vector<std::pair<std::string, std::string>> LeavesOf(std::string_view file) {
  std::vector<std::pair<std::string, std::string>> leaves;
  pugi::xml_document document;
  if (!document.load_buffer(file.data(), file.size(), pugi::parse_default, pugi::encoding_utf8))
    return leaves;
  // The root's own name is the same in every system file and left out of the paths.
  Leaves(document.document_element(), "", leaves);
  return leaves;
}

}  // namespace

std::vector<FieldDifference> CompareSystemFiles(std::string_view editors,
                                                std::string_view controller) {
  const auto mine = LeavesOf(editors);
  const auto theirs = LeavesOf(controller);
  std::map<std::string, std::string> theirValues(theirs.begin(), theirs.end());
  std::vector<FieldDifference> differences;
  for (const auto& [path, value] : mine) {
    const auto found = theirValues.find(path);
    const std::string other = found == theirValues.end() ? std::string() : found->second;
    if (found == theirValues.end() || other != value) differences.push_back({path, value, other});
    if (found != theirValues.end()) theirValues.erase(found);
  }
  for (const auto& [path, value] : theirs) {
    if (theirValues.contains(path)) differences.push_back({path, {}, value});
  }
  return differences;
}

std::vector<FieldDifference> CompareWithController(const SystemConfiguration& editors,
                                                   const ControllerImage& editorsImage,
                                                   const ControllerImage& controller) {
  SystemConfiguration read;
  ImageState state;
  state.image = controller;
  UnpackImage(read, state);
  return CompareSystemFiles(SaveSystemFile(editors, editorsImage),
                            SaveSystemFile(read, state.image));
}

}  // namespace vorel
