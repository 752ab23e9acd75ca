// The reader turns a failed allocation into its "cannot allocate" failure; under
// AddressSanitizer an impossible allocation must fail the same way instead of aborting.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
#endif
