#include "retrieval/EptMetadata.h"

#include <array>
#include <cmath>

#include "retrieval/TextNumbers.h"

std::optional<EptBounds> ParseEptBounds(std::string_view json) {
  size_t key = json.find("\"bounds\"");
  if (key == std::string_view::npos) return std::nullopt;
  size_t open = json.find('[', key);
  if (open == std::string_view::npos) return std::nullopt;
  std::string_view rest = json.substr(open + 1);
  std::array<double, 6> numbers{};
  for (double& number : numbers) {
    rest = SkipSpace(rest);
    size_t used = ReadLeadingNumber(rest, number);
    if (used == 0 || !std::isfinite(number)) return std::nullopt;
    rest = rest.substr(used);
    size_t skip = rest.find_first_not_of(" \t\r\n,");
    rest = rest.substr(skip == std::string_view::npos ? rest.size() : skip);
  }
  EptBounds bounds{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]};
  if (!(bounds.maxX > bounds.minX)) return std::nullopt;
  return bounds;
}

bool IsWebMercatorDataset(std::string_view json) {
  if (json.find("\"3857\"") != std::string_view::npos || json.find(":3857") != std::string_view::npos) return true;
  return json.find("\"horizontal\"") == std::string_view::npos;
}
