#include "foundation/NSException.h"

NSException::NSException(std::string_view name, std::string_view reason)
    : std::runtime_error(std::string(name) + ": " + std::string(reason)), name_(name), reason_(reason) {}

void NSException::raise(std::string_view name, std::string_view reason) { throw NSException(name, reason); }
