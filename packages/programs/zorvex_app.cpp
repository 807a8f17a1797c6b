// Zorvex7.exe of the sample package (and its companion launcher, the same
// program under another name): records that it was started, with its
// arguments, and ends.
#include "started_log.h"

int main() { return zorvex_demo::RecordStart() ? 0 : 1; }
