#include <string>
#include <vector>

#include "app/brevane_app.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  CBrevaneApp app;
  return app.InitInstance(arguments);
}
