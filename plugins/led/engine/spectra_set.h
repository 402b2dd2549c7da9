#pragma once
// SpectraSet: an ordered list of named spectra (N x 1 vectors) on one wavelength grid, and
// its "Speks:" text file:
//
//   Speks:               2             176             400             750               2
//   Rot :
//          0.0000000       0.1250000  ... eight values per line, "%16.7f" ...
//
// The header holds the spectrum count, the point count and start, end and step in nm; a
// value that is not a whole number of nm is written with "%16.10g". A field whose text fills
// its 16 characters or more (a value of 1e7 and up, -1e6 and down) gets one blank before it,
// so that fields stay apart. Files are written with CR LF; the reader takes LF, CR LF and CR
// and resamples linearly onto the set's grid. It refuses a token or name line longer than
// 64 KiB, and a file it has no memory for. What a load holds (its spectra so far and the
// values of the spectrum it reads) stays within the run budget of the modules: a file whose
// spectra would need more is refused before the allocation that would pass the budget, and
// nothing of it is kept.

#include "engine/ls_matrix.h"

#include <string>
#include <vector>

class SpectraSet {
public:
    // An empty set on the global grid.
    SpectraSet();
    // As above, then LoadFromFile(fileName); its result is not reported.
    explicit SpectraSet(const std::string& fileName);
    virtual ~SpectraSet();

    SpectraSet(const SpectraSet&) = delete;
    SpectraSet& operator=(const SpectraSet&) = delete;

    // Drops every spectrum; the grid stays.
    void Clear();
    // Appends a copy of vector under name. An empty set first takes the global grid again.
    // A vector that is not PointCount x 1 is not added.
    void AddSpectrum(const std::string& name, const LSMatrix vector);

    int GetCount() const { return static_cast<int>(m_spectra.size()); }
    // The name at index; empty outside 0 .. count - 1.
    std::string GetName(int index) const;
    // The vector at index, still owned by the set; null outside 0 .. count - 1.
    LSMatrix GetSpectrum(int index) const;
    // The first spectrum named exactly name; null when there is none.
    LSMatrix FindSpectrum(const std::string& name) const;

    // Divides every spectrum by the largest value of the whole set; nothing happens when
    // that value is not positive.
    void Normalize();

    // Writes the "Speks:" file (CR LF) through a temporary file renamed over fileName.
    // Refuses, writing nothing, a name or value that could not be read back.
    bool SaveToFile(const std::string& fileName) const;
    // Replaces the spectra by those of the file, resampled onto the global grid, which the
    // set takes first. A failed load keeps the spectra read before the failure.
    bool LoadFromFile(const std::string& fileName);
    // As LoadFromFile, but the set takes the grid the file was written on and keeps the
    // values as stored.
    bool LoadFromFileOnFileGrid(const std::string& fileName);
    // LoadFromFile for a file the user chose: a failure, whatever its cause (not a spectra
    // file, a damaged table, no such file), logs the load-failure line naming the file once,
    // in the error colour unless the loader already logged it.
    bool LoadChosenFile(const std::string& fileName);

    // The memory a load may hold: calc::RunMemoryBudget(), or the budget SetLoadBudget
    // gave (a smaller one, for tests); bytes 0 or less gives the run budget back.
    static double LoadBudget();
    static void SetLoadBudget(double bytes);

    // The grid of the set in micrometres and its point count.
    double XStart;
    double XEnd;
    double XStep;
    int PointCount;

private:
    // failureLogged: the load-failure line was logged.
    bool Load(const std::string& fileName, bool onFileGrid, bool& failureLogged);
    bool Read(const std::string& fileName, bool onFileGrid, bool& failureLogged);
    void TakeGlobalGrid();

    std::vector<std::string> m_names;
    std::vector<LSMatrixHandle> m_spectra;
};

// Linear resampling of the m values v on the grid from fileStart to fileEnd onto out, n
// points from start to end: point i is at i*(end - start)/(n - 1) + start (start for n = 1).
// Points outside the file's range get 0; a one-point file gives its value only at its own
// wavelength. Values beyond the end of v count as 0.
void ResampleSpectrum(const double* v, int m, int valueCount, double fileStart, double fileEnd,
                      double* out, int n, double start, double end);
