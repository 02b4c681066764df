// Run-time errors and fatal stops.
#pragma once
#include <stdexcept>
#include <string>

namespace engine {

// An unrecoverable condition with one of the engine's fixed messages
// ("Too many hook ids", "Unable to calculate tex size", ...). The program
// entry catches it and ends the program through Fatal.
class TRuntimeError : public std::runtime_error {
public:
    explicit TRuntimeError(const std::string& message) : std::runtime_error(message) {}
};

[[noreturn]] void ThrowRuntimeError(const std::string& message);

// Prints one line to stderr, shows it to the player when a presenter is set
// (the platform layer sets one that opens a message box), and exits with 1.
[[noreturn]] void Fatal(const std::string& message);

using FatalPresenter = void (*)(const std::string& message);
void SetFatalPresenter(FatalPresenter presenter);

} // namespace engine
