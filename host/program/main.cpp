// pelvar: the command-line CAD host. It opens a drawing (or starts a new one), loads the
// module beside it, and runs commands from -c lines, a script, a pipe or the terminal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <limits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "acdocman.h"
#include "acutads.h"
#include "civilcommands.h"
#include "dbdatabase.h"
#include "hostcmdline.h"
#include "hostcommands.h"
#include "hostfiles.h"
#include "hostgui.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "hostrender.h"
#include "rxmodule.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

constexpr char kModuleFileName[] = "Pelvar2027.arx";
constexpr std::uint64_t kAnySize = std::numeric_limits<std::uint64_t>::max();  // a script is read as it goes
constexpr char kUsage[] =
    "Usage: pelvar [--gui] [--script FILE] [-c LINE]... [--no-civil] [DRAWING]\n"
    "\n"
    "Runs the CAD host on DRAWING (a .pvd file; a new drawing when omitted) and loads\n"
    "Pelvar2027.arx from the program's folder. Commands come from each -c LINE in order,\n"
    "then from FILE, else from standard input (a pipe, or the terminal with line editing).\n"
    "One line is one command, or one answer to a prompt; an empty line is Enter, ^C is Esc.\n"
    "\n"
    "  --gui          open the host in a window: the drawing view, the command line\n"
    "                 (after the -c lines and FILE) and the module's palettes\n"
    "  --script FILE  read commands from FILE\n"
    "  -c LINE        run LINE first (may be repeated)\n"
    "  --no-civil     run as the plain host, without the civil model\n"
    "  --help         show this text\n"
    "\n"
    "The program ends at the end of its input, on QUIT or when its window is closed,\n"
    "with status 0.\n";

struct Options {
  std::vector<std::string> lines;
  std::string script;
  std::string drawing;
  bool noCivil = false;
  bool gui = false;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "pelvar: %s\n", message.c_str());
  return 1;
}

// Parses the command line; returns -1 to go on, else the exit status.
int ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) return nullptr;
      (void)name;
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--script") {
      const char* file = value("--script");
      if (file == nullptr) return Fail("--script needs a file name") + 1;
      options.script = file;
    } else if (arg == "-c") {
      const char* line = value("-c");
      if (line == nullptr) return Fail("-c needs a command line") + 1;
      options.lines.push_back(line);
    } else if (arg == "--gui") {
      options.gui = true;
    } else if (arg == "--no-civil") {
      options.noCivil = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "pelvar: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    } else if (options.drawing.empty()) {
      options.drawing = arg;
    } else {
      return Fail("only one drawing may be named (" + options.drawing + ", " + arg + ")") + 1;
    }
  }
  return -1;
}

std::string ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

void LoadModuleBeside() {
  std::string path = ProgramFolder() + "/" + kModuleFileName;
  if (!std::filesystem::exists(path)) return;
  std::wstring error;
  if (!pelvarhost::LoadModule(pelvarhost::Utf8ToWide(path), error))
    acutPrintf(L"\nCannot load %ls: %ls", pelvarhost::Utf8ToWide(path).c_str(), error.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  Options options;
  int status = ParseOptions(argc, argv, options);
  if (status >= 0) return status;

  // A write past the file-size limit then fails with EFBIG and is reported like a full disk.
  std::signal(SIGXFSZ, SIG_IGN);

  int scriptFd = -1;
  if (!options.script.empty()) {
    std::string why;
    scriptFd = pelvarhost::OpenRegularFile(options.script, kAnySize, nullptr, why);
    if (scriptFd < 0) return Fail("cannot read script " + options.script + ": " + why);
  }

  if (options.gui && !pelvarhost::StartWindowApplication(argc, argv)) {
    if (scriptFd >= 0) ::close(scriptFd);
    return 1;
  }
  if (options.gui) pelvarhost::OpenMainWindow();

  pelvarhost::SetHostHasCivil(!options.noCivil);
  pelvarhost::RegisterHostCommands();
  pelvarhost::RegisterCivilCommands();
  pelvarhost::InstallHostGraphics();
  if (options.drawing.empty()) {
    pelvarhost::NewDrawing(false);
  } else if (!pelvarhost::OpenDrawing(pelvarhost::Utf8ToWide(options.drawing))) {
    pelvarhost::FinishOutputLine();
    if (scriptFd >= 0) ::close(scriptFd);
    if (options.gui) {
      pelvarhost::CloseMainWindow();
      pelvarhost::StopWindowApplication();
    }
    return Fail("cannot open drawing " + options.drawing);
  }
  LoadModuleBeside();

  // Every -c LINE is one input line, an empty one included (Enter).
  std::string dashCText;
  for (const std::string& line : options.lines) dashCText += line + "\n";
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(pelvarhost::Utf8ToWide(dashCText)));
  if (scriptFd >= 0) pelvarhost::AddInputSource(pelvarhost::MakeDescriptorInput(scriptFd, true));
  if (options.gui) {
    pelvarhost::AddInputSource(pelvarhost::MakeWindowInput());
  } else if (scriptFd < 0) {
    if (::isatty(STDIN_FILENO)) {
      pelvarhost::AddInputSource(pelvarhost::MakeTerminalInput());
    } else {
      pelvarhost::AddInputSource(pelvarhost::MakeDescriptorInput(STDIN_FILENO, false));
    }
  }

  pelvarhost::RunCommandLoop();

  pelvarhost::UnloadAllModules();
  acDocManagerPtr()->closeAllDocuments();
  pelvarhost::RemoveHostCommands();
  pelvarhost::ResetInput();
  pelvarhost::FinishOutputLine();
  if (options.gui) {
    pelvarhost::CloseMainWindow();
    pelvarhost::StopWindowApplication();
  }
  return 0;
}
