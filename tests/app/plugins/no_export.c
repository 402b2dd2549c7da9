/* A library without GetModuleFactory. */
int SomethingElse(void)
{
    return 1;
}
