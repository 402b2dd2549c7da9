#pragma once
// The base of the LED plug-in's modules: the transfers between the host's trees and the LED
// engine (spectra to and from SpectraSet columns, clipboard objects to and from LedDB
// records), the run that keeps one wavelength grid for every spectra set it reads. The guard
// that keeps an operation from starting inside another one (the host handles events while it
// shows progress) and refuses numbers outside their registered range is CalcModule's RunGuard.
#include "core/calc_form.h"
#include "core/spectrum.h"

#include <string>
#include <vector>

class ClipboardObject;
class LEDModel;
class LedDB;
class ParamContainer;
class SpectraSet;

class LEDModuleBase : public calc::CalcModule {
public:
    // The module's type name is "LED_" + name.
    explicit LEDModuleBase(const std::string& name);
    ~LEDModuleBase() override;

    // A run: every spectra set read after the first must lie on the grid the first one set.
    // BeginRun also makes this module's host the engine's CurrentHost; EndRun clears both.
    void BeginRun();
    void EndRun();
    bool InRun() const { return m_inRun; }

    // The spectra the selection names, on their common grid, into set (the grid becomes
    // the global one). See the .cpp for the rules and the messages.
    void ReadSpectraSet(SpectraSet& set, const std::string& selection);
    // The same spectra without a copy: value(i, row) is what column i of the set would hold.
    struct GridSpectra {
        SpectrumList spectra;
        int rows = 0;
        int points = 0;
        // The selection named spectra, but they were refused with a logged line (not
        // equidistant, or on another grid than the run's).
        bool refused = false;
        // The rows of spectrum i into column: its values on the grid, zeros beyond them.
        void CopyColumn(std::size_t i, double* column) const;
    };
    // False where ReadSpectraSet leaves its set as it was; true where it replaces the set's
    // contents with grid's spectra (none after an error).
    bool ReadGridSpectra(GridSpectra& grid, const std::string& selection);
    // One spectrum per column of set, named group:column name, on the global grid in nm.
    void WriteSpectraSet(const SpectraSet& set, const std::string& group);
    // One record per selected clipboard object, appended to db.
    void ReadLEDList(LedDB& db, const std::string& selection);
    // The records of db that meet its condition as clipboard objects under group; with two
    // or more records the group is emptied first.
    void WriteLEDList(LedDB& db, const std::string& group);

    // False, after the line "Fehler: LED-Datensatz '<recordName>': Wert '<text>' von '<key>'
    // ist keine endliche Zahl!", when a value of the model's own parameters is no finite
    // number ("nan", "inf"; a text that is no number reads as 0 and passes).
    bool ModelValuesFinite(const LEDModel& model, const std::string& recordName);
    // The names of the clipboard objects the selection gives, in the order ReadLEDList reads them.
    std::vector<std::string> RecordNames(const std::string& selection);
    // ModelValuesFinite for the model of every record of db (read from selection) that names
    // a known model.
    bool RecordsFinite(const LedDB& db, const std::string& selection);

    // The host's log in the error colour (a plain line without host).
    void LogError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void LogHint(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // A record made of every parameter of the object, in the container's (name) order:
    // name -> value text with ".".
    static ParamContainer RecordOf(const ClipboardObject& object);
    // The clipboard object of record number index: named prefix + the record's "Name" (or
    // "LED<index>"), one string parameter per own pair; with trimmed, names and values lose
    // blanks, tabs and line ends at both ends.
    static ClipboardObject* ObjectOf(const ParamContainer& record, const std::string& prefix, int index,
                                     bool trimmed);
    // group + ":" unless group is empty.
    static std::string Prefix(const std::string& group);

protected:
    // A run from construction to destruction. With onlyIfNone, a run already open is left
    // as it is (and not ended here).
    class Run {
    public:
        explicit Run(LEDModuleBase& module, bool onlyIfNone = false);
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        LEDModuleBase& m_module;
        bool m_opened;
    };

private:
    bool m_inRun = false;
    bool m_gridTaken = false;
};
