#include "app/program_fault.h"

#include <string>

#include "base/console.h"

namespace vexa {

void reportFault(std::FILE* err, std::exception_ptr fault) {
    std::string what = "an exception of unknown type";
    try {
        std::rethrow_exception(fault);
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    sayTo(err, "internal error: " + what);
}

}  // namespace vexa
