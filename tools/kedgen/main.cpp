// kedgen: writes a synthetic .ked correlation file; see KedgenCommandLine.h.
#include <iostream>

#include "testsupport/generator/KedgenCommandLine.h"

int main(int argc, char** argv) {
    return vexlan::kedgen::RunKedgen(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
