// A small reader of ASCII DXF for the tests: group code / value pairs gathered into the
// layer table and the entities, with polyline vertices attached to their polyline.
#pragma once
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace dxftest {

struct Entity {
  std::string type;
  std::multimap<int, std::string> groups;
  std::vector<Entity> vertices;  // POLYLINE only

  std::string Text(int code) const {
    auto it = groups.find(code);
    return it == groups.end() ? std::string() : it->second;
  }
  double Number(int code) const { return std::stod(Text(code)); }
  int Int(int code) const { return std::stoi(Text(code)); }
};

struct Drawing {
  std::string version;
  std::vector<Entity> layers;
  std::vector<Entity> entities;
  bool ended = false;  // EOF seen

  std::vector<const Entity*> OfType(const std::string& type) const {
    std::vector<const Entity*> found;
    for (const Entity& e : entities)
      if (e.type == type) found.push_back(&e);
    return found;
  }
};

inline Drawing ReadDxf(const std::string& path) {
  Drawing drawing;
  std::ifstream in(path);
  std::string codeLine, value, section;
  std::vector<Entity>* target = nullptr;
  Entity* polyline = nullptr;
  while (std::getline(in, codeLine) && std::getline(in, value)) {
    int code = std::stoi(codeLine);
    if (code == 0) {
      if (value == "SECTION" || value == "ENDSEC" || value == "TABLE" || value == "ENDTAB") {
        target = nullptr;
        continue;
      }
      if (value == "EOF") {
        drawing.ended = true;
        break;
      }
      if (value == "SEQEND") {
        polyline = nullptr;
        target = nullptr;
        continue;
      }
      std::vector<Entity>& list = section == "TABLES" ? drawing.layers
                                  : (value == "VERTEX" && polyline != nullptr) ? polyline->vertices
                                                                               : drawing.entities;
      list.push_back({value, {}, {}});
      target = &list;
      if (value == "POLYLINE") polyline = &list.back();
      continue;
    }
    if (code == 2 && target == nullptr) {
      if (section.empty() || value == "HEADER" || value == "TABLES" || value == "ENTITIES") section = value;
      continue;
    }
    if (code == 1 && section == "HEADER") drawing.version = value;
    if (target != nullptr) target->back().groups.emplace(code, value);
  }
  return drawing;
}

}  // namespace dxftest
