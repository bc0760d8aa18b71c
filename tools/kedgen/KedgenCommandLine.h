#pragma once
// kedgen's command line: writes a synthetic .ked correlation file with a noise source planted at
// a chosen position on a chosen pipe. The same arguments always give the same bytes.
// Exit 0 on success, 1 when the file could not be written, 2 on wrong or unusable arguments.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexlan::kedgen {

// args without the program name.
int RunKedgen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vexlan::kedgen
