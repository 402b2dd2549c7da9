#pragma once
// The CIE 1931 2-degree colour-matching functions at 1 nm, 360..830 nm, generated at build time
// from data/cie/cie1931_2deg_xyz.csv: the one copy of the table in the program's code.
namespace colormath {

struct CieRow {
    double nm, x, y, z;
};

extern const CieRow kCie1931[];
extern const int kCie1931Count;

} // namespace colormath
