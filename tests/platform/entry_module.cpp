// A module with one entry function, for the loader's tests.

extern "C" __attribute__((visibility("default"))) int dancehall_test_entry(int value)
{
    return value * 2;
}
