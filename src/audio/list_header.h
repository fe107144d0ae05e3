// The opening of the wave and music lists: comment lines ("#", ";") and
// empty lines may stand before the header line.
#pragma once

#include <string>

namespace quarry {

class TStream;

bool IsCommentLine(const std::string& line);
// Reads up to the first line that is neither empty nor a comment and tells
// whether it is the header (compared after upper-casing). A list without its
// header stops the program with the message under the tag; file names the
// archive the list came from, for the player's copy of the message.
void ExpectListHeader(TStream& list, const std::string& header, const std::string& message,
                      const std::string& tag, const std::string& file = {});

}  // namespace quarry
