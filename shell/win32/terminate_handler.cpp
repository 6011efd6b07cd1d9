// The program's terminate handler, in place of libstdc++'s verbose one.
//
// The library's handler prints the type of an uncaught exception, which
// pulls its whole C++ name demangler (about 75 KB) into a program that has
// no console to print to and that catches every exception at the window
// procedures and in WinMain anyway.  Linked statically, this definition
// takes the library's place.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
