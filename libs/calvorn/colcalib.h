#pragma once
// Colour-correction calibrations: a transform fitted by least squares that maps measured
// response vectors (target set 0) onto reference vectors (target set 1).
#include <iosfwd>
#include <string>
#include <vector>

// One response vector, one value per channel.
class CTarget {
public:
    CTarget() = default;
    explicit CTarget(int dim, double value = 0.0) : m_values(dim > 0 ? static_cast<std::size_t>(dim) : 0, value) {}
    explicit CTarget(std::vector<double> values) : m_values(std::move(values)) {}

    // Unchecked access; the index must lie in 0..GetDim()-1.
    double& operator[](int i) { return m_values[static_cast<std::size_t>(i)]; }
    double operator[](int i) const { return m_values[static_cast<std::size_t>(i)]; }
    int GetDim() const { return static_cast<int>(m_values.size()); }
    // Mean of the values; 0 for an empty target.
    double Mean() const;
    const std::vector<double>& Values() const { return m_values; }

private:
    std::vector<double> m_values;
};

// Named response vectors in the order they were added.
class CTargetContainer {
public:
    void AddColor(const CTarget& target, const std::string& name);
    int GetCount() const { return static_cast<int>(m_targets.size()); }
    const CTarget& operator[](int i) const { return m_targets[static_cast<std::size_t>(i)]; }
    const std::string& GetName(int i) const { return m_names[static_cast<std::size_t>(i)]; }

private:
    std::vector<CTarget> m_targets;
    std::vector<std::string> m_names;
};

// Status of CalcTransform and CorrectColors; 0 is success.
enum CalvornStatus : int {
    CALVORN_OK = 0,
    CALVORN_MISSING_SET = 1,    // a target set is missing or empty
    CALVORN_UNEQUAL_SETS = 2,   // the sets differ in count or dimension, or targets in dimension
    CALVORN_TOO_FEW_PAIRS = 3,  // fewer pairs than terms of the transform
    CALVORN_RANK_DEFICIENT = 4, // the measured vectors do not determine the transform
    CALVORN_NOT_FINITE = 5,     // a value that is not finite
    CALVORN_NO_TRANSFORM = 6,   // CorrectColors before a successful CalcTransform
};

// The transform is an N x F matrix M applied to the terms phi(x) of a measured vector x:
// corrected = M phi(x). The subclasses choose the terms and which elements are free.
class CColCalibBase {
public:
    virtual ~CColCalibBase();

    // set 0: the measured vectors, set 1: the reference vectors (paired by position).
    // Other set numbers are ignored. Clears a previous transform.
    void SetTargetSet(const CTargetContainer& targets, int set);
    // Fits the transform; 0 on success. Writes a short report to out when given.
    int CalcTransform(std::ostream* out = nullptr);
    // out = M phi(in), of in's length; without a transform or for another dimension out = in
    // and a non-zero status.
    int CorrectColors(const CTarget& in, CTarget& out, std::ostream* out_stream = nullptr) const;
    // The transform row-major (index -1) or its row index; empty without a transform or for a
    // row out of range.
    void GetTransform(std::vector<double>& transform, int index = -1) const;
    int GetTermCount() const { return m_terms; }

protected:
    // Number of terms F for N channels.
    virtual int TermCount(int channels) const = 0;
    // The F terms of a measured vector.
    virtual void Terms(const double* x, int channels, double* out) const = 0;
    // Whether element (row, term) is fitted; the others stay 0. All by default.
    virtual bool IsFree(int row, int term, int channels) const;

private:
    CTargetContainer m_sets[2];
    bool m_have[2] = {false, false};
    std::vector<double> m_transform; // N x F, row-major
    int m_channels = 0;
    int m_terms = 0;
};

// Per-channel scale: corrected_c = k_c x_c, k_c = sum ref_c meas_c / sum meas_c^2. N x N diagonal.
class CColCalibWBSkal : public CColCalibBase {
protected:
    int TermCount(int channels) const override;
    void Terms(const double* x, int channels, double* out) const override;
    bool IsFree(int row, int term, int channels) const override;
};

// Per-channel scale and offset: corrected_c = k_c x_c + o_c. N x (N + 1), offsets in column N.
class CColCalibWBSkalOff : public CColCalibBase {
protected:
    int TermCount(int channels) const override;
    void Terms(const double* x, int channels, double* out) const override;
    bool IsFree(int row, int term, int channels) const override;
};

// Linear without offset: corrected = M x. N x N.
class CColCalibLinear : public CColCalibBase {
protected:
    int TermCount(int channels) const override;
    void Terms(const double* x, int channels, double* out) const override;
};

// First-order polynomial: corrected = M [x; 1]. N x (N + 1), offsets in column N.
class CColCalibAffin : public CColCalibBase {
protected:
    int TermCount(int channels) const override;
    void Terms(const double* x, int channels, double* out) const override;
};

// Second-order polynomial (type 1): terms 1, x_i, x_i x_j (i <= j, row by row).
// N x (1 + N + N (N + 1) / 2). Other types are taken as type 1.
class CColCalibPoly : public CColCalibBase {
public:
    CColCalibPoly(int type, int channels) : m_type(type), m_channels(channels) {}
    int GetType() const { return m_type; }
    int GetChannels() const { return m_channels; }

protected:
    int TermCount(int channels) const override;
    void Terms(const double* x, int channels, double* out) const override;

private:
    int m_type;
    int m_channels;
};
