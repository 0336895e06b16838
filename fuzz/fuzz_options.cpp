// The sanitizer options of every fuzz target. A file may claim an image of up
// to 32768 x 32768 pixels; here, as in a 32-bit process, more than a gigabyte
// cannot be had, so such claims end as "Zu wenig Speicher" rather than as
// the fuzzer's out-of-memory report.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}
