#include "app/program_fault.h"

#include <string>

namespace vexa {

void reportFault(std::FILE* err, std::exception_ptr fault) {
    std::string what = "an exception of unknown type";
    try {
        std::rethrow_exception(fault);
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    std::fprintf(err, "vexa: internal error: %s\n", what.c_str());
    std::fflush(err);
}

}  // namespace vexa
