// qtsvpc: the user's shared virtual PC. Programs started with --machine
// shared (or QTS_MACHINE=shared) start it themselves; this tool shows it and
// ends it.
#include <CLI/CLI.hpp>
#include <iostream>

#include "vpcserver/Commands.h"

int main(int argc, char** argv) {
  CLI::App app(
      "qtsvpc: the shared virtual PC that every program of this user runs on at once "
      "(--machine shared). The first such program starts it.",
      "qtsvpc");
  app.require_subcommand(1);
  auto* status = app.add_subcommand("status",
                                    "say whether it runs, with which options, and which programs use it "
                                    "(exit status 3 when it does not run)");
  auto* stop = app.add_subcommand("stop", "end it now: its board's memories are saved, its programs lose it");
  auto* serve = app.add_subcommand("serve", "run it in the foreground (programs start it on their own)");
  std::string options;
  int reportFd = -1;
  serve->add_option("--options", options, "the virtual PC's options, KEY=VALUE,... (see qtsctl --help)");
  serve->add_option("--report-fd", reportFd, "report the start on this descriptor and go into the background")
      ->group("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }
  if (*status) return vpcserver::ShowStatus(std::cout, std::cerr);
  if (*stop) return vpcserver::StopServer(std::cout, std::cerr);
  return vpcserver::Serve(options, reportFd);
}
