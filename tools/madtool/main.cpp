// madtool: lists, extracts, creates and checks MAD archives and packs or
// unpacks single ZRCOMP streams. A thin front over the archive library.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "commands.h"
#include "core/log.h"
#include "core/program.h"

namespace madtool {
namespace {

std::vector<CommandInfo>& Registry() {
  static std::vector<CommandInfo> commands;
  return commands;
}

void PrintHelp(std::ostream& out) {
  out << "usage: madtool COMMAND [OPTIONS] FILES...\n\n"
         "Commands:\n";
  for (const CommandInfo& c : Commands()) out << "  " << c.synopsis << "\n      " << c.summary << "\n";
  out << "\nOptions may stand before or after the file names. Every command takes\n"
         "--verbose (log lines on standard error) and --help.\n"
         "Exit codes: 0 success, 1 damaged or unreadable input, 2 bad usage.\n";
}

const CommandInfo* FindCommand(const std::string& name) {
  for (const CommandInfo& c : Commands())
    if (c.name == name) return &c;
  return nullptr;
}

ToolArgs Parse(const CommandInfo& command, int argc, char** argv) {
  ToolArgs args;
  bool optionsEnded = false;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      args.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h" || arg == "--verbose") {
      args.flags.insert(arg == "-h" ? "--help" : arg);
      continue;
    }
    std::string value;
    bool inlineValue = false;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      inlineValue = true;
    }
    const OptionSpec* option = nullptr;
    for (const OptionSpec& o : command.options)
      if (o.name == arg) option = &o;
    if (!option) throw ToolError(kUsage, command.name + ": unknown option " + arg);
    if (!option->takesValue) {
      if (inlineValue) throw ToolError(kUsage, command.name + ": " + arg + " takes no value");
      args.flags.insert(arg);
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= argc) throw ToolError(kUsage, command.name + ": " + arg + " needs a value");
      value = argv[++i];
    }
    args.values[arg] = value;
  }
  return args;
}

int Run(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(std::cerr);
    return kUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(std::cout);
    return kOk;
  }
  const CommandInfo* command = FindCommand(name);
  if (!command) throw ToolError(kUsage, "unknown command '" + name + "' (see madtool --help)");
  const ToolArgs args = Parse(*command, argc, argv);
  if (args.Has("--help")) {
    std::cout << "usage: madtool " << command->synopsis << "\n" << command->summary << "\n";
    return kOk;
  }
  if (args.files.size() < command->minFiles || args.files.size() > command->maxFiles)
    throw ToolError(kUsage, "usage: madtool " + command->synopsis);
  if (args.Has("--verbose"))
    quarry::SetLogObserver([](const std::string& line) { std::cerr << line << "\n"; });
  return command->run(args);
}

}  // namespace

MadtoolCommand::MadtoolCommand(CommandInfo info) {
  auto& commands = Registry();
  commands.push_back(std::move(info));
}

const std::vector<CommandInfo>& Commands() {
  // Registration order depends on link order; help lists them by name.
  static const bool sorted = [] {
    std::sort(Registry().begin(), Registry().end(),
              [](const CommandInfo& a, const CommandInfo& b) { return a.name < b.name; });
    return true;
  }();
  (void)sorted;
  return Registry();
}

}  // namespace madtool

int main(int argc, char** argv) {
  // The library stops the program when an archive or member is missing; here
  // that is an ordinary failure with exit code 1.
  quarry::SetStopHandler([](const std::string& message, const std::string&) {
    throw madtool::ToolError(madtool::kDamaged, message);
  });
  try {
    return madtool::Run(argc, argv);
  } catch (const madtool::ToolError& e) {
    std::cerr << "madtool: " << e.what() << "\n";
    return e.code;
  } catch (const std::exception& e) {
    std::cerr << "madtool: " << e.what() << "\n";
    return madtool::kDamaged;
  }
}
