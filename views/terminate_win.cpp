// The handler std::terminate calls by default, for the statically linked
// Windows program. libstdc++'s own version prints the uncaught exception's
// demangled type to standard error, which a window program does not have,
// and drags the demangler (about 45 KiB) into the executable. This
// definition takes its place: the program ends at once, as it would after
// the message. std::set_terminate still works.
//
// The file must be an object of the executable itself, not of a static
// library, so the linker meets this definition before it searches libstdc++.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
