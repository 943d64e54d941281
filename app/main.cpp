// The Verdan securities client: window mode, or headless with a script of input steps.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "account/AccountClasses.h"
#include "alerts/AlertClasses.h"
#include "detail/TrendlineController.h"
#include "core/NetworkThreads.h"
#include "kline/KLineClasses.h"
#include "messaging/MessagingClasses.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/net/Http.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControllersDemo.h"
#include "platform/ui/Demo.h"
#include "platform/ui/InputDemo.h"
#include "platform/ui/Monkey.h"
#include "platform/ui/Object.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"
#include "ranking/RankingClasses.h"
#include "shell/VerdanAppDelegate.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace {

void printHelp() {
  std::printf(
      "usage: verdan [options]\n"
      "  --version            print the version and exit\n"
      "  --help               print this help and exit\n"
      "  --bundle DIR         the application bundle (default: resources beside the program)\n"
      "  --documents DIR      the documents folder (default: ~/.local/share/verdan/Documents)\n"
      "  --tall               a 320 x 568 screen instead of 320 x 480\n"
      "  --scale N            window scale (default 2)\n"
      "  --demo views         run a demo scene of the view layer\n"
      "  --demo controllers   run a demo of navigation, tables and tabs\n"
      "  --demo input         run a demo of text input, alerts, pickers and a web view\n"
      "  --headless           run without a window (needs --script)\n"
      "  --script FILE        steps (headless, or played in the window): wait S | tap X Y |\n"
      "                       drag X1 Y1 X2 Y2 S | pinch X Y D1 D2 S |\n"
      "                       type TEXT | key NAME | event background|foreground | shot F.png |\n"
      "                       orientation N (1 portrait, 3 and 4 landscape) | open CLASS [ARGS]\n"
      "                       expect TEXT (waits up to 3 s until a text a person can see\n"
      "                         contains it: inside every clip and the screen, under no opaque\n"
      "                         view drawn above it)\n"
      "                       reject TEXT (fails when a text a person can see contains it)\n"
      "                       expect-image NAME, reject-image NAME (the same for the bundle\n"
      "                         images seen, by name; the shot's log line lists them in [])\n"
      "                       keep X Y (remembers the seen text at that point, or none) |\n"
      "                         changed X Y (waits up to 3 s until the text there differs: a\n"
      "                         push shown, a box come over it) | same X Y (waits up to 3 s\n"
      "                         until the text there is the one kept: a figure that must hold)\n"
      "                       timeout S (the checks after it wait up to S s, 3 at first)\n"
      "                       match REGEX (waits up to 3 s for a seen text matching it: a shape,\n"
      "                         such as a date, rather than a text of the day)\n"
      "                       order down|up X1 Y1 X2 Y2 N [END] (waits up to 3 s until at least\n"
      "                         N seen numbers whose middle lies in that box (and that end in\n"
      "                         END, such as %%) never rise (down) or never fall (up), top to\n"
      "                         bottom: a list's sorted column)\n"
      "                       allow-overlap TEXT1 TEXT2 # REASON (two seen texts containing\n"
      "                         them may overlap in the shots after it; the reason is required,\n"
      "                         quote a text with blanks)\n"
      "                       Every shot is judged, and fails the script with an error line\n"
      "                         naming the shot, the texts and their rects, when two seen texts\n"
      "                         overlap, a seen text is cut by the screen's edge, its clip or a\n"
      "                         view over it, a text's contrast with what lies around it is\n"
      "                         below 1.5:1, or a screen's own invariant fails (the tab bar marks\n"
      "                         the tab shown...). Beside F.png, F.json lists what the shot shows:\n"
      "                         each seen text with its lines' rects, clip and colour, each seen\n"
      "                         bundle image with its rect (device pixels)\n"
      "  --open \"CLASS [ARGS]\" open a screen by class name at start (after the login)\n"
      "  --shots DIR          where relative shot names are written\n"
      "  --virtual-time       headless waits take no real time\n"
      "  --network-patience S  on the virtual clock, how long (real seconds) a request without\n"
      "                       its answer holds the clock (default 2: a misbehaving server's\n"
      "                       stall); a sound server's answers may take longer on a loaded\n"
      "                       machine. Given, a script's waits keep the clock still for them\n"
      "                       (without it a walk's replay waits as the walk did)\n"
      "  --monkey SEED        (with --headless) a seeded random walk over the client from the\n"
      "                       start screen, on the virtual clock; stops at the first error\n"
      "                       line, broken screen invariant, page turned by a nudge, hang or\n"
      "                       crash, and writes the steps so far as a script that replays it\n"
      "                       (monkey-SEED.script in the --shots folder or here); with\n"
      "                       --script, its input steps come first, checked as the walk's;\n"
      "                       its scripts also hold wheel X Y N (N Ctrl+wheel notches at a\n"
      "                       point, -5 to 5, as the window plays them: one pinch a notch)\n"
      "  --steps N            the walk's steps (default 500)\n"
      "  --keep-going         the walk goes on after a fault, reporting each one once with a\n"
      "                       replay script of its own (monkey-SEED-stepN.script)\n"
      "  --market-clock YYYYMMDDHHMM  the walk's server holds its market at this minute: no\n"
      "                       step may show a date and time later than it\n"
      "  --run-seconds N      close the window after N seconds\n"
      "  --final-shot FILE    write the window's last frame as a PNG when it closes\n"
      "In the window, F1 to F6 turn the device (F1 portrait, F3 and F4 landscape).\n"
      "Exit status: 0 done, 1 failed to start or write a shot, 2 bad option or unreadable\n"
      "script line, 3 an expect or reject step failed or a shot broke a check, 4 the monkey\n"
      "found a fault, 5 a monkey step did not return.\n");
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = false;
  double networkPatience = 2.0;
  bool holdForAnswers = false;
  std::string demo;
  ui::HeadlessOptions headlessOptions;
  ui::WindowOptions windowOptions;
  ui::MonkeyOptions monkeyOptions;
  bool monkey = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--version") {
      std::printf("verdan %s\n", VERDAN_VERSION);
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      printHelp();
      return 0;
    }
    if ((arg == "--bundle" || arg == "--documents") && hasValue) {
      (arg == "--bundle" ? foundation::setBundleDir : foundation::setDocumentsDir)(argv[++i]);
    } else if (arg == "--open" && hasValue) {
      headlessOptions.open = windowOptions.open = argv[++i];
    } else if (arg == "--headless") {
      headless = true;
    } else if (arg == "--script" && hasValue) {
      headlessOptions.scriptPath = argv[++i];
    } else if (arg == "--shots" && hasValue) {
      headlessOptions.shotsDir = argv[++i];
    } else if (arg == "--monkey" && hasValue) {
      char* end = nullptr;
      monkeyOptions.seed = std::strtoull(argv[++i], &end, 10);
      monkey = end && *end == '\0' && end != argv[i];
      if (!monkey) {
        std::fprintf(stderr, "verdan: --monkey needs a seed (a number)\n");
        return 2;
      }
    } else if (arg == "--steps" && hasValue) {
      monkeyOptions.steps = std::atoi(argv[++i]);
      if (monkeyOptions.steps < 1) {
        std::fprintf(stderr, "verdan: --steps needs a number above 0\n");
        return 2;
      }
    } else if (arg == "--keep-going") {
      monkeyOptions.keepGoing = true;
    } else if (arg == "--market-clock" && hasValue) {
      char* end = nullptr;
      monkeyOptions.marketClock = std::strtoll(argv[++i], &end, 10);
      if (!end || *end != '\0' || monkeyOptions.marketClock < 190001010000 ||
          monkeyOptions.marketClock > 299912312359) {
        std::fprintf(stderr, "verdan: --market-clock needs YYYYMMDDHHMM\n");
        return 2;
      }
    } else if (arg == "--virtual-time") {
      headlessOptions.virtualTime = true;
    } else if (arg == "--network-patience" && hasValue) {
      char* end = nullptr;
      networkPatience = std::strtod(argv[++i], &end);
      holdForAnswers = true;
      if (!end || *end != '\0' || !(networkPatience > 0 && networkPatience <= 600)) {
        std::fprintf(stderr, "verdan: --network-patience needs seconds (0 to 600)\n");
        return 2;
      }
    } else if (arg == "--demo" && hasValue) {
      demo = argv[++i];
    } else if (arg == "--tall") {
      ui::Screen::main().setHeight(568);
    } else if (arg == "--scale" && hasValue) {
      windowOptions.scale = std::atof(argv[++i]);
    } else if (arg == "--run-seconds" && hasValue) {
      windowOptions.runSeconds = std::atof(argv[++i]);
    } else if (arg == "--final-shot" && hasValue) {
      windowOptions.finalShot = argv[++i];
    } else {
      std::fprintf(stderr, "verdan: unknown option '%s' (see --help)\n", arg.c_str());
      return 2;
    }
  }
  if (monkey && !headless) {
    std::fprintf(stderr, "verdan: --monkey walks headless (add --headless)\n");
    return 2;
  }
  monkeyOptions.shotsDir = headlessOptions.shotsDir;
  if (monkey && !headlessOptions.scriptPath.empty()) {
    if (ui::readScript(headlessOptions.scriptPath, monkeyOptions.prefix) != 0) return 2;
  }
  if (headless && !monkey && headlessOptions.scriptPath.empty()) {
    std::fprintf(stderr, "verdan: --headless needs --script FILE or --monkey SEED\n");
    return 2;
  }
  foundation::logInfo("verdan %s: bundle %s, documents %s", VERDAN_VERSION,
                      foundation::bundleDir().c_str(), foundation::documentsDir().c_str());

  ui::registerDemoClasses();
  VerdanAppDelegate::registerClasses();
  RegisterWidgetClasses();
  RegisterWatchlistClasses();
  RegisterRankingClasses();
  RegisterDetailClasses();
  RegisterKLineClasses();
  RegisterAccountClasses();
  RegisterMessagingClasses();
  RegisterAlertClasses();
  ui::registerControllersDemoClasses();
  ui::registerInputDemoClasses();
  std::string delegateClass = "VerdanAppDelegate";
  if (demo == "views") {
    delegateClass = "ViewsDemoAppDelegate";
  } else if (demo == "controllers") {
    delegateClass = "ControllersDemoAppDelegate";
  } else if (demo == "input") {
    delegateClass = "InputDemoAppDelegate";
  } else if (!demo.empty()) {
    std::fprintf(stderr, "verdan: unknown demo '%s' (try: views, controllers, input)\n",
                 demo.c_str());
    return 2;
  }
  if (!ui::ClassRegistry::shared().contains(delegateClass)) {
    std::fprintf(stderr, "verdan: the application is not built yet; try --demo views\n");
    printHelp();
    return 1;
  }
  if (!headless && !headlessOptions.scriptPath.empty()) {
    // A script in window mode plays through the window's own event queue; a bad one ends the
    // client before anything starts.
    if (ui::readScript(headlessOptions.scriptPath, windowOptions.script) != 0) return 2;
    windowOptions.shotsDir = headlessOptions.shotsDir;
  }
  ui::stopOnTerminateSignals();
  // From the launch on, every way out terminates (the runners do, and a runner that could not
  // start is covered here), which stops the application's threads, and resets, which releases
  // the delegate and its screens while everything they call is still there (before static
  // destruction).
  int rc = 1;
  // A walk judges a screen once the packets that came in have reached it: a burst of pushes (a
  // quote, then its bars) is one moment of the market, not two.
  if (monkey) ui::addRestCondition([] { return IsNetworkQuiet(0.02); });
  // A script or a walk on the virtual clock moves it on only once what was read has reached the
  // screens and every request has its answer: its waits then take the time of the work they
  // wait for, and a walk's replay waits as the walk did. A request a misbehaving server leaves
  // unanswered holds the clock (to the pace of real time) for 2 s, far beyond what a loopback
  // answer takes; then the clock goes on, as a walk against such a server has always done. (The
  // tour, against a sound server, waits longer: every answer comes, however loaded the machine.)
  if (headless)
    ui::setNetworkAtRest([networkPatience] {
      return IsNetworkQuiet(0.02) && RequestsAwaitingAnswer(networkPatience) == 0 &&
             net::httpTransfersInFlight() == 0;
    });
  // A script given a patience (the tour's) holds the clock still in its waits for the answers on
  // their way; a walk's go on at the pace of real time meanwhile, as a user's taps do while a
  // screen waits, and so does a walk's replay.
  if (headless && !monkey && holdForAnswers)
    ui::setAnswersAwaited([networkPatience] {
      return RequestsAwaitingAnswer(networkPatience) > 0 || net::httpTransfersInFlight() > 0;
    });
  if (ui::Application::shared().launch(delegateClass))
    rc = monkey     ? ui::runMonkeyHeadless(monkeyOptions)
         : headless ? ui::runHeadless(headlessOptions)
                    : ui::runWindow(windowOptions);
  ui::Application::shared().terminate();
  ui::Application::shared().reset();
  return rc;
}
