// karo-build: builds a directory's tables (see BuildTool.h).
#include <cstdio>

#include "BuildTool.h"

#ifndef KARO_SAMPLE_DIR
#define KARO_SAMPLE_DIR "sample"
#endif

int main(int argc, char** argv) { return karo::KaroBuild(argc, argv, stdout, stderr, KARO_SAMPLE_DIR); }
