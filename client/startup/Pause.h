#pragma once
#include <functional>

// The blocking pauses of the start-up and the log-on (timers do not run
// during them). Tests replace the pause to note it instead of waiting.
void PauseFor(int ms);
void SetPauseSource(std::function<void(int ms)> source);
