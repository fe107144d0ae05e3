#include "app/options.h"

namespace quarry {

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    if (arg == "--windowed") {
      options.windowed = true;
    } else if (arg == "--virtual-clock") {
      options.virtualClock = true;
    } else if (arg == "--seed") {
      std::string text;
      if (!value(text)) return false;
      if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos ||
          std::stoull(text) > 0xFFFFFFFFull) {
        error = "--seed needs a number from 0 to 4294967295, got '" + text + "'";
        return false;
      }
      options.seed = static_cast<uint32_t>(std::stoull(text));
    } else if (arg == "--scale") {
      std::string text;
      if (!value(text)) return false;
      if (text.size() != 1 || text[0] < '1' || text[0] > '4') {
        error = "--scale needs a whole number from 1 to 4, got '" + text + "'";
        return false;
      }
      options.scale = text[0] - '0';
    } else if (arg == "--script") {
      if (!value(options.script)) return false;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
  }
  return true;
}

std::string UsageText() {
  return "Usage: quarry [OPTIONS]\n"
         "Plays Quarrystar with the archives and level packs of the working directory.\n"
         "\n"
         "  --windowed        play in a window instead of full screen\n"
         "  --scale N         show the window N times as large (1 to 4; default: the\n"
         "                    largest that fits the desktop when --windowed)\n"
         "  --virtual-clock   frame waits advance a virtual clock instead of sleeping\n"
         "  --seed N          seed of the game's random choices (default: the tick count)\n"
         "  --script FILE     deliver scripted input events (see the README)\n"
         "  --version         print the version line and exit\n"
         "  --help            print this text and exit\n"
         "\n"
         "Exit codes: 0 normal end, 1 the display failed to start, 2 the window was closed,\n"
         "3 missing or bad data (an archive, a member, a list header, a bad script).\n";
}

}  // namespace quarry
