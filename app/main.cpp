// Entry point of the window program.
#include "QuarrowApp.h"

int main(int argc, char** argv) { return quarrow::theApp.InitInstance(argc, argv); }
