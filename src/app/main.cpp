// The entry routine of the set-up program. The application object is built
// before this runs; the start-up sequence lives in app/ (entry routine).
#include "app/app.h"

// The one application object of the run: built before main and destroyed after
// it, as the rest of the program expects (App points at it meanwhile).
static TApp TheApp;

int main() { return 0; }
