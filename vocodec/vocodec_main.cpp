#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "vocodec/vocodec_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vocodec::RunVocodecTool(args, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
}
