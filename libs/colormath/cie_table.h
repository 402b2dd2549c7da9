#pragma once
// The CIE 1931 2-degree colour-matching functions at 1 nm, 360..830 nm (generated).
namespace colordiagram {

struct CieRow {
    double nm, x, y, z;
};

extern const CieRow kCie1931[];
extern const int kCie1931Count;

} // namespace colordiagram
