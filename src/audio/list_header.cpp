#include "audio/list_header.h"

#include "core/program.h"
#include "core/stream.h"
#include "core/text.h"

namespace quarry {

bool IsCommentLine(const std::string& line) {
  return !line.empty() && (line[0] == '#' || line[0] == ';');
}

void ExpectListHeader(TStream& list, const std::string& header, const std::string& message,
                      const std::string& tag, const std::string& file) {
  std::string line;
  std::string first;
  while (ReadLine(list, line)) {
    if (!line.empty() && !IsCommentLine(line)) {
      first = line;
      break;
    }
  }
  if (UpperCase(first) != header) StopMissingData(message, tag, file);
}

}  // namespace quarry
