// The process's whole life, apart from the system's own start-up: one run, and the report when a
// failure escapes it. Returns the exit code.
#pragma once

int RunProgram();
