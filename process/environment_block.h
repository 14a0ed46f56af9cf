// The environment a started process gets: the launcher's own with changes on top, as the
// block CreateProcessW takes. Every tool run, the game's play and its frame dump use it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// (name, value) pairs applied in order on top of the launcher's environment; an empty
// value removes the variable.
using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// The launcher's environment with the overrides applied, sorted, ready for
// CreateProcessW with CREATE_UNICODE_ENVIRONMENT.
std::wstring BuildEnvironmentBlock(const EnvOverrides& overrides);
