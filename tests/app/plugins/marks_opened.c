/* A device-driver name: the loader must skip it without opening it. Opening it would run this
   constructor and leave a mark in the environment. */
#include <stdlib.h>

__attribute__((constructor)) static void MarkOpened(void)
{
    setenv("ORVANTA_TEST_SKIPPED_LIBRARY_OPENED", "1", 1);
}

void* GetModuleFactory(void)
{
    return 0;
}
