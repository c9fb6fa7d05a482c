// For sanitizer builds: fontconfig keeps its pattern caches for the life of the process, and
// the application object that would release them is never destroyed (see application()).

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
