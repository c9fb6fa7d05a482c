// libpulse synchronises its shared-memory channels with its own atomics, which the thread
// sanitizer cannot see into; its reports there are not about our code.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libpulsecommon-*.so\n"
           "race:libpulse.so*\n";
}
