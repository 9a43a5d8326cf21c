// The help texts of kivovam-cli: the whole program and each command.
#include <map>

#include "cli/cli.h"

const char* ProgramHelp() {
  return R"(usage: kivovam-cli [OPTIONS] COMMAND [ARGS]

Runs the core of the Kivo Vam desktop program without a window.

Options, before the command:
  --conf DIR        folder with kivocpu.ini, kivocfg.ini, the code templates and
                    pnotes.htm (default: conf beside the program)
  --fsets DIR       function-set folder (default: fsets beside the program);
                    -FSETPATH=DIR means the same
  -CPU=NAME         processor of every new and opened project (kivovam-cli kb lists them)
  -SYSCLK=F         system clock, -PTBCLK=F peripheral time-base clock: a number with
                    an optional unit Hz, kHz or MHz (no unit: MHz), or OFF
                    (/NAME=value is accepted for these three too)
  --answer yes|no   how every Yes/No question is answered (default: no)
  --json            print the result as one JSON document on stdout
  --quiet           no message lines on stderr (they stay in the JSON)
  --help, -h        this text; COMMAND --help describes one command
  --version         the program's version

Commands:
  eval      evaluate an expression
  kb        print the knowledge base: processors, function sets, functions, applications
  show      print a project
  generate  open a project and save it again
  new       create a project
  notes     render a project's notes page
  check     run the checks of a save without saving
  map       draw the channel map of both engines to an SVG or PNG file

Exit status: 0 success, 1 failed (or check found something), 2 usage error,
3 the knowledge base could not be loaded.
)";
}

const char* CommandHelp(const std::string& command) {
  static const std::map<std::string, const char*> texts = {
      {"eval", R"(usage: kivovam-cli eval [--validate BITS] [--var NAME=VALUE]... [--] TEXT

Evaluates TEXT with the expression evaluator and prints the value.
  --var NAME=VALUE  sets a variable first (repeatable); VALUE is a number
  --validate BITS   checks TEXT leniently with those option bits instead of evaluating
  --                ends the options, so that TEXT may begin with "-"
)"},
      {"kb", R"(usage: kivovam-cli kb

Loads the knowledge base and prints the processors with their properties, each
function set with its functions and the applications it offers (--json: everything).
)"},
      {"show", R"(usage: kivovam-cli show PROJECT

Opens PROJECT (a .c file, its .h file, or a folder holding kivo_vam.c and kivo_vam.h)
and prints the processor and clocks, the function set, per engine the derived clocks
and the channel table, each function with its parameters, whether a verbatim block
exists, and the include folders a compiler needs for the generated files.
)"},
      {"generate", R"(usage: kivovam-cli generate PROJECT [-o OUT] [--force]

Opens PROJECT and saves it again, in place or to OUT (a folder, or a .c path whose
.h is written beside it). When opening reported any warning (the project would lose
or change something on the way), or a clock is above the processor's limit, nothing
is written and the exit status is 1.
  -o OUT    where to save; the folder must exist
  --force   save even when opening reported warnings or a clock is above the
            limit (the finding is still reported)
Set SOURCE_DATE_EPOCH (seconds since 1970) for a reproducible time stamp.
)"},
      {"new", R"(usage: kivovam-cli [-CPU=NAME] [-SYSCLK=F] new [-o OUT] [--fset SET] [--add FUNC@E:CH]... [--force]

Creates a project and saves it. Without -CPU the first processor of kivocpu.ini is
taken; without -SYSCLK the system clock is that processor's maximum system clock
(its system_clock in kivocpu.ini), and the peripheral time-base clock is OFF unless
-PTBCLK gives it. A clock above the processor's maximum is refused.
  -o OUT          where to save (a folder or a .c path; default kivo_vam.c here);
                  an existing project is not overwritten without --force
  --fset SET      the function set, as a path relative to the function-set folder,
                  e.g. kivo/kivo_set_std.h (kivovam-cli kb lists them)
  --add FUNC@E:CH adds a function with its default values (repeatable): FUNC is a
                  function or application name of the set as kivovam-cli kb prints
                  it (e.g. PWM, QD, BLDC), E the engine A or B, CH the first channel
                  0 to 31; e.g. --add PWM@A:0
  --force         overwrite an existing project
)"},
      {"notes", R"(usage: kivovam-cli notes PROJECT [-o FILE]

Opens PROJECT and renders its notes page (conf/pnotes.htm filled in) to FILE or stdout.
FILE is replaced whole, and only when it is a regular file (or does not exist yet).
)"},
      {"check", R"(usage: kivovam-cli check PROJECT

Opens PROJECT and runs every check the desktop program runs before a save: the
processor's clock limits, the processor's engines and STAC bus against the
configuration, channels used twice, parameters naming channels that no function
defines, load expressions that fail. Every warning of the open counts too. Prints
each finding as a message; exit status 1 when there is any, 0 when there is none.
)"},
      {"map", R"(usage: kivovam-cli map PROJECT -o FILE

Opens PROJECT and draws the channel map of both engines as the desktop program
shows it: each channel with its function's instance, colour and load, channels
used twice marked, each engine's total load against the full load (amber above
80 %, red above 100 %), and the functions' colours. FILE is an SVG picture when
its name ends in .svg, a PNG picture when it ends in .png. FILE is replaced
whole, and only when it is a regular file (or does not exist yet).
  -o FILE   where to write the picture (required)
--json prints {"file", "ok", "messages"}.
)"},
  };
  auto found = texts.find(command);
  return found == texts.end() ? nullptr : found->second;
}
