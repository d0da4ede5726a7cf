// The author tool.
#include "cli/scenario_tool.h"

int main(int argc, char** argv) { return compactor::cli::run(argc, argv); }
