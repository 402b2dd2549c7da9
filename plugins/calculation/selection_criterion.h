#pragma once
// Rating of a set of sensor channels for the integral-variance selection: the discriminance
// value (how well the channel responses separate the classes of target spectra) and the
// technology value (how distinct the chosen channels are in wavelength and shape).
// Plain numerics, no Qt.
#include <Eigen/Dense>

#include <vector>

namespace selection {

// The cut below which a singular value counts as zero, compared absolutely.
inline constexpr double kPinvCut = 2.220446049250313e-16;
// Factor of the ridge on the diagonal of the within-class scatter: 1e-5 tr(B) / d.
inline constexpr double kRidge = 1e-5;
// A response of this value is missing and skipped.
inline constexpr double kMissing = -1.0;

// V S+ U^T from a Jacobi SVD with full U and V; S+ holds 1/s for s > kPinvCut, else 0.
Eigen::MatrixXd PseudoInverse(const Eigen::MatrixXd& a);

// Responses of every channel to the samples of every class. Channels are the table rows:
// the start channels first, then the candidates (candidate c is row startCount + c).
struct ResponseTable {
    int classCount = 0;
    std::vector<int> sampleCounts; // per class
    // responses[row][offset(class) + sample]; offsets follow the sample counts.
    std::vector<std::vector<double>> responses;
    // The single rating of each row (one-channel Fisher ratio).
    std::vector<double> rating;

    int Offset(int cls) const;
    int SampleTotal() const;
};

// Fisher ratio trace(pinv(W + ridge) B) of the rows given (no -1 entries). 0 for an empty set.
double FisherValue(const ResponseTable& table, const std::vector<int>& rows);

// The discriminance value of the start rows 0..startCount-1 plus the candidates chosen (-1
// skipped): with fewer than two rows the smallest single rating, else the Fisher ratio.
double DiscriminanceValue(const ResponseTable& table, int startCount, const std::vector<int>& chosen);

// DiscriminanceValue of many selections of one table: each row's deviations and class means
// made once, and for tables of up to kEntryLimit rows each entry of the scatter matrices kept
// once made. The table must outlive the rater unchanged. One thread at a time.
class DiscriminanceRater {
public:
    static constexpr std::size_t kEntryLimit = 2048;

    explicit DiscriminanceRater(const ResponseTable& table);
    double Value(int startCount, const std::vector<int>& chosen) const;

private:
    const ResponseTable& m_table;
    Eigen::MatrixXd m_dev;     // samples x rows
    Eigen::MatrixXd m_centred; // classes x rows
    mutable Eigen::MatrixXd m_within, m_between; // rows x rows, NaN until made
};

// Spectra on one wavelength grid.
struct SpectraSet {
    std::vector<double> x;
    std::vector<std::vector<double>> y;
};

// Overlap of two spectra: sum of min(a/max a, b/max b) over the sum of the max of both, each
// maximum floored at 1e-6. A zero denominator counts as full overlap (1).
double Overlap(const std::vector<double>& a, const std::vector<double>& b);

// Every spectrum of a set scaled to its floored maximum, with the sums of the scaled values:
// made once, it gives Overlap(y[i], y[j]) for many pairs without scaling again.
class ScaledSpectra {
public:
    explicit ScaledSpectra(const SpectraSet& spectra);
    // Overlap of spectra i and j of the set (as Overlap of their values).
    double Overlap(int i, int j) const;
    int Count() const { return static_cast<int>(m_rows.size()); }
    const std::vector<double>& Row(int i) const { return m_rows[static_cast<std::size_t>(i)]; }
    double Sum(int i) const { return m_sums[static_cast<std::size_t>(i)]; }

private:
    std::vector<std::vector<double>> m_rows;
    std::vector<double> m_sums;
};

struct TechnologyLimits {
    double level = 1.0;       // centroid over values above 0.05 x level
    double minDistance = 0.0; // nm; 0 = not set
    double maxOverlap = 1.0;  // fraction
};

// Technology value of the spectra indexed by selection (-1 skipped). Returns validity: false
// when the largest overlap exceeds a maximum overlap below 1, when a minimum distance is set
// and exceeds the smallest centroid distance (or a spectrum has no centroid), or when the
// value is -1. With value given it receives the value (-1 invalid; 1 for a single spectrum;
// with a start selection of the same size the mean largest overlap with the start spectra).
bool TechnologyValue(const SpectraSet& spectra, const std::vector<int>& selection, const TechnologyLimits& limits,
                     double* value = nullptr, const std::vector<int>* startSelection = nullptr);

// TechnologyValue of many selections of one spectra set under fixed limits, with every
// spectrum's scaling and centroid made once at construction (a changed set needs a new rater)
// and, for sets of up to kPairLimit spectra, each pair's overlap kept once made. One thread
// at a time.
class TechnologyRater {
public:
    static constexpr std::size_t kPairLimit = 2048;

    TechnologyRater(const SpectraSet& spectra, const TechnologyLimits& limits);
    bool Value(const std::vector<int>& selection, double* value = nullptr,
               const std::vector<int>* startSelection = nullptr) const;

private:
    double PairOverlap(int i, int j) const;

    ScaledSpectra m_scaled;
    TechnologyLimits m_limits;
    std::vector<double> m_centroids;
    std::vector<char> m_hasCentroid;
    mutable std::vector<double> m_pairs; // count x count, NaN until made; empty past the limit
};

} // namespace selection
