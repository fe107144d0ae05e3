#include "graphics/variant_table.h"

namespace quarry {

std::string VariantTable;

namespace {
std::string VariantName(char c, int i) {
  std::string name = std::to_string(i);
  name.insert(name.begin(), c);
  return name;
}
}  // namespace

void CountVariants(char c, const ImageLookup& find) {
  VariantTable.push_back(c);
  int i = 1;
  while (find(VariantName(c, i)) && i < 9) ++i;
  // The probe that ended the loop is repeated here, so a missing name is
  // looked up (and logged) twice, as the game's logs always showed.
  if (!find(VariantName(c, i))) --i;
  VariantTable.push_back(static_cast<char>(i));
}

void BuildVariantTable(const ImageLookup& find) {
  VariantTable.clear();
  for (char c : {'$', '@', '.', '&', '0'}) CountVariants(c, find);
}

int VariantCount(char c) {
  for (size_t i = 0; i + 1 < VariantTable.size(); i += 2)
    if (VariantTable[i] == c) return static_cast<unsigned char>(VariantTable[i + 1]);
  return -1;
}

}  // namespace quarry
