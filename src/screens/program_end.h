// How a screen ends the program: by closing the start-up controller, the main
// form. The controller sits above the screens, so it says what ending means
// when it is created; before that, and once it is gone, ending does nothing.
#pragma once

#include <functional>

// Called on the user-interface thread only.
void SetProgramEnd(std::function<void()> end);
void EndProgram();
