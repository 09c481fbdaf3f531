#include "app/restart_command.h"

std::wstring restart_command;
