// The entry routine of the set-up program, after the application object has
// been built: the administrator check, the screens, the message loop.
#pragma once

namespace win {
class Application;
}

// Creates the start-up controller (the main form, whose creation runs the
// preparation) and, unless that already ended the program, the other eleven
// screens. All stay hidden.
void CreateSetupScreens(win::Application& application);

// The whole run; the exit code is 0 on every path.
int RunSetup();
