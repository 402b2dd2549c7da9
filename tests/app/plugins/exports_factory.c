/* A library that exports GetModuleFactory (without a factory): enough for the loader. */
void* GetModuleFactory(void)
{
    return 0;
}
