#include "shell/main_body.h"

#include <string>
#include <vector>

#include "shell/startup.h"

namespace mv {

void MainBody(int argc, char** argv) {
  std::vector<std::string> documents;
  for (int i = 1; i < argc; ++i)
    if (argv[i]) documents.emplace_back(argv[i]);
  SetLaunchDocuments(std::move(documents));
  SetMainValues();
  SetDefaultValues();
}

}  // namespace mv
