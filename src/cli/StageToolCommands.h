#pragma once
// stagetool's commands by name: the table the program dispatches on, and the
// tests run commands through, so both parse a command's words the same way.

#include "cli/ToolArgs.h"

#include <string_view>
#include <vector>

// Every command, in the order --help lists them.
const std::vector<TCommand>& StageToolCommands();

// The command called `name`, or nullptr.
const TCommand* FindStageToolCommand(std::string_view name);
