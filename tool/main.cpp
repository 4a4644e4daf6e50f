#include "tool.h"

int main(int argc, char** argv) { return rctool_run(argc, argv); }
