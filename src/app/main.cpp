// The entry routine of the set-up program. The application object is built
// before this runs; the start-up sequence lives in app/ (entry routine).
int main() { return 0; }
