/* Links against a generated LED source file and prints what it holds, so a test can compare
 * it with the spectra it came from: every matrix as "matrix <name> <rows> <cols>" followed by
 * its values row by row ("%.17g", one a line), then every target name as "name <...>". */
#include <stdio.h>

extern double *g_pLedSpecs;
extern double *g_pTargetSpecs;
extern char *g_pSpecNames[];
extern double *g_pInterpolators[];

/* The two ints in front of the values hold rows and cols. */
static void print_matrix(const char *name, int index, const double *values)
{
    const int *dims = (const int *)values - 2;
    int i;
    if (index >= 0)
        printf("matrix %s%d %d %d\n", name, index, dims[0], dims[1]);
    else
        printf("matrix %s %d %d\n", name, dims[0], dims[1]);
    for (i = 0; i < dims[0] * dims[1]; ++i)
        printf("%.17g\n", values[i]);
}

int main(void)
{
    int i;
    print_matrix("leds", -1, g_pLedSpecs);
    print_matrix("targets", -1, g_pTargetSpecs);
    for (i = 0; g_pInterpolators[i] != 0; ++i)
        print_matrix("interpolator", i, g_pInterpolators[i]);
    for (i = 0; g_pSpecNames[i] != 0; ++i)
        printf("name <%s>\n", g_pSpecNames[i]);
    return 0;
}
