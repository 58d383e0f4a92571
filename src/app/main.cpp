// climate-console: the operator console for the cabinet air conditioner and heat exchanger.
#include "app/console_app.hpp"

int main(int argc, char** argv) {
  return climate::RunConsole(argc, argv);
}
