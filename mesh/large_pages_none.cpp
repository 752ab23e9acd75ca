#include "record_array.h"

// Large pages need privileges on Windows; small pages it is.
void advise_large_pages(void*, std::size_t) {}
