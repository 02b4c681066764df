#include "engine/runtime/error.h"

#include <cstdio>
#include <cstdlib>

namespace engine {

static FatalPresenter gPresenter = nullptr;

void ThrowRuntimeError(const std::string& message) { throw TRuntimeError(message); }

void SetFatalPresenter(FatalPresenter presenter) { gPresenter = presenter; }

void Fatal(const std::string& message)
{
    std::fprintf(stderr, "varnick-bozzle: %s\n", message.c_str());
    std::fflush(stderr);
    // A presenter that fails again must not recurse into here
    FatalPresenter presenter = gPresenter;
    gPresenter = nullptr;
    if (presenter) presenter(message);
    std::exit(1);
}

} // namespace engine
