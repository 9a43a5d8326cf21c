// newscout-profile: writes and shows version-check profiles.
#include <iostream>
#include <string>
#include <vector>

#include "base/messagecatalog.h"
#include "newscout/profiletool.h"

int main(int argc, char** argv) {
  SetProcessCatalog(ECatalog::Newscout);
  return RunProfileTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
