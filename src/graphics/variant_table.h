// How many numbered variants ("$1".."$9") of an element picture exist; the
// cave drawing picks one of them at random for each cell.
#pragma once

#include <functional>
#include <string>

namespace quarry {

// Pairs of element character and a count byte 0..9 (not a digit character),
// for "$", "@", ".", "&", "0" in that order.
extern std::string VariantTable;

// Looks an image up by exact name (TImageCollection.Find or
// TImageSizes.Find); each probe of a missing name is logged by the lookup.
using ImageLookup = std::function<bool(const std::string& name)>;

// Appends c and its count: c1, c2, ... up to c9 as long as there is no gap.
void CountVariants(char c, const ImageLookup& find);
// Empties the table and counts the five variant elements.
void BuildVariantTable(const ImageLookup& find);

// The count stored for c, or -1 when c is not in the table (such an element
// is drawn with the image named by the character alone).
int VariantCount(char c);

}  // namespace quarry
