#pragma once
// What the plug-ins' calculation modules and editor forms share: the log colours, a guard
// against running an operation inside itself, the bracket of an operation with the host's
// StartCalculation and EndCalculation, the field exchanges and the form base.
#include "core/module.h"
#include "core/module_editor.h"
#include "platform/colorref.h"

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

class QAbstractButton;
class QLineEdit;
class QScrollArea;
class ClipboardTree;
class SpectrumTree;

namespace calc {

inline constexpr COLORREF kErrorColour = 0x000070;
inline constexpr COLORREF kHintColour = 0x007000;

// What the modules trim from names and list entries read from forms and files.
inline constexpr char kBlanks[] = " \t\r\n";
// Grids of the modules hold at most this many points.
inline constexpr double kMaxGridPoints = 1e7;

void LogError(ModuleInterface* host, const std::string& text);
void LogHint(ModuleInterface* host, const std::string& text);

// How a run takes a number whose values outside the registered range the module handles
// itself; the range rule then holds the value the run really uses. Anything but Unused still
// has to be a finite number.
enum class OwnRange {
    None,        // the plain rule: finite and within the range
    Unused,      // the run makes no use of the value (never read, or without effect): never refused
    AsItStands,  // the run uses any finite value as it is
    Clamped,     // the run clamps any finite value into the range
    Absolute,    // the run uses the absolute value, which has to lie within the range
    RaisedBelow, // the run replaces a value below the range by one within it; the maximum holds
};
// Which numbers a module handles itself, by name (None for every other name).
using OwnRanges = std::function<OwnRange(const std::string& name)>;

// Whether the number parameter meets the rule as own handles it; other kinds pass.
bool MeetsRangeRule(const ns_param::BaseParameterType& parameter, OwnRange own = OwnRange::None);

// The rule for the numbers a module reads: a byte, int, float or double parameter holds a
// finite value within its registered range, unless own says how the run handles it. The first
// parameter that breaks it (in the container's order, or in the order of names) gets the range
// line in the error colour and the result is false. Other kinds and names without a number
// parameter pass.
bool ParametersInRange(const ns_param::Paramora& p, ModuleInterface* host, const OwnRanges& own = {});
bool ParametersInRange(const ns_param::Paramora& p, ModuleInterface* host,
                       std::initializer_list<const char*> names, const OwnRanges& own = {});
// The rule for every number but the named ones (numbers the operation's own checks settle).
bool ParametersInRangeExcept(const ns_param::Paramora& p, ModuleInterface* host,
                             std::initializer_list<const char*> settled, const OwnRanges& own = {});
// The rule for a value a run takes in place of the named parameter's own (a count it has
// lowered, say): within that parameter's registered range and finite, or the range line.
bool ValueInRange(const ns_param::Paramora& p, ModuleInterface* host, const char* name, double value);
// "Fehler: Parameter 'name' liegt außerhalb des zulässigen Bereichs (min bis max)!"
void LogOutOfRange(ModuleInterface* host, const char* name, double min, double max);

// The memory a run whose size the user sets may fill: half the physical memory, at most
// kRunMemoryCeiling.
inline constexpr double kRunMemoryCeiling = 2.0 * 1024 * 1024 * 1024;
double RunMemoryBudget();
// The largest count of items of bytesEach bytes that fits the budget beside fixedBytes (at
// most max, at least 0).
double CountInBudget(double bytesEach, double fixedBytes = 0.0, double max = 2147483647.0);
// Whether a run of count items of bytesEach bytes fits the budget; otherwise the range line
// of the count's parameter with the largest count that fits (min bis that count).
bool CountFitsMemory(ModuleInterface* host, const char* name, double count, double min, double bytesEach,
                     double fixedBytes = 0.0);

// Base of the calculation modules: the flag that keeps each operation from starting while
// another operation of the module runs (the host handles events during progress calls, so a
// second click or a drop can arrive in the middle of a run). GUI thread only.
class CalcModule : public Module {
public:
    using Module::Module;
    ~CalcModule() override;

    bool IsRunning() const { return m_running; }
    // The host's spectrum tree; null without a host.
    SpectrumTree* Spectra() const;

    // The numbers whose values outside the range the module handles itself (taken as the
    // minimum, used as absolute value, clamped, never read, ...); the one place where a module
    // declares them, so that every check of the rule below and in the guard honours them.
    // None by default; a module may answer by its current parameters (its mode).
    virtual OwnRange OwnRangeOf(const std::string& name);

    // The range rule (calc::ParametersInRange) for all of the module's parameters, or for
    // the named ones, with the range line in the host's log; OwnRangeOf says how each is taken.
    bool ParametersInRange();
    bool ParametersInRange(std::initializer_list<const char*> names);
    bool ParametersInRangeExcept(std::initializer_list<const char*> settled);
    // calc::ValueInRange with the host's log.
    bool ValueInRange(const char* name, double value);
    // The range line for a value outside min .. max (a range the run works out itself).
    void LogOutOfRange(const char* name, double min, double max);
    // calc::CountFitsMemory with the host's log.
    bool CountFitsMemory(const char* name, double count, double min, double bytesEach, double fixedBytes = 0.0);

protected:
    // Which numbers an operation reads: all of the module's parameters, checked by the guard;
    // none (connect, import and the like, which must run whatever the numbers hold); or all,
    // checked by the operation itself (ParametersInRange) after the checks that have their
    // own line for a particular value, and before it computes or files anything.
    enum class Numbers { Read, Unread, AfterOwnChecks };
    // Held by an operation for its whole run; false (and nothing held) while another runs,
    // and, when the operation reads the numbers, while one of them breaks the range rule
    // (the range line is then logged): nothing of the run may start. While held, what the
    // trees replace or delete is freed only after the run (ns_tree::FreeHold), so the run
    // may still read the inputs it took.
    class RunGuard {
    public:
        explicit RunGuard(CalcModule& module, Numbers numbers = Numbers::Read);
        ~RunGuard();
        RunGuard(const RunGuard&) = delete;
        RunGuard& operator=(const RunGuard&) = delete;
        explicit operator bool() const { return m_held; }

    private:
        CalcModule& m_module;
        bool m_held;
        std::optional<ns_tree::FreeHold> m_frees;
    };

    // The trees an operation works on; a missing one (only without a host) stops the run
    // without a line.
    enum Trees : unsigned { kNoTree = 0, kSpectra = 1, kClipboard = 2 };

    // How an operation opens its run: the guard (RunGuard, with its numbers rule and held
    // frees, for the whole scope), the host, the trees and the parameters. False when the
    // guard is not held or a tree in `trees` is missing; nothing of the run may start then.
    class RunScope {
    private:
        RunGuard m_guard; // first: the guard's range line comes before anything else

    public:
        explicit RunScope(CalcModule& module, Numbers numbers = Numbers::Read, unsigned trees = kSpectra);
        explicit operator bool() const { return m_ready; }

        ModuleInterface* const host;
        SpectrumTree* const spectra;
        ClipboardTree* const clipboard;
        ns_param::Paramora& p;

    private:
        bool m_ready;
    };

private:
    bool m_running = false;
};

// Runs the operation between the host's StartCalculation and EndCalculation (a
// CalculationGuard, so the calculation ends on every way out); nothing while an operation of
// the module runs. A standard exception of the operation is logged as an error; any other
// goes on to the caller once the calculation has ended.
void RunBracketed(CalcModule* module, bool (Module::*operation)());

// The form that exchanges the data of a field: the nearest enclosing DataExchanger.
platform::DataExchanger* FormOf(QWidget* field);

// A field and the parameter of that name, in the direction of the exchange; with limits,
// a saved number must lie within them.
void ExchangeString(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name);
void ExchangeDouble(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name);
void ExchangeDouble(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name, double min,
                    double max);
void ExchangeCheck(CDataExchange* pDX, QAbstractButton* box, ns_param::Paramora& p, const char* name);

// Base of the calculation editor forms: the controls sit on a content widget of at least
// the form's minimum size inside a scroll area; the run button brackets an operation with
// the host's StartCalculation and EndCalculation; Enter in chosen edits runs an operation in
// the same bracket.
class CCalcForm : public CModuleEditor {
    Q_OBJECT

public:
    ~CCalcForm() override;

protected:
    CCalcForm(int templateId, int minWidth, int minHeight);

    // The widget that holds the form's controls.
    QWidget* Content() const { return m_content; }

    // Exchanges the form's fields with the module's parameters, in both directions.
    virtual void ExchangeFields(CDataExchange* pDX) = 0;
    // Runs ExchangeFields. When a check fails while saving, the parameters are put back as
    // they were, so a refused entry changes none of them.
    void DoDataExchange(CDataExchange* pDX) final;

    // The run button's work: the controls into the parameters (stop when a check fails),
    // StartCalculation, the operation, EndCalculation. Nothing while an operation of the
    // module runs. The result is not shown; messages go to the log.
    void RunOperation(bool (Module::*operation)());
    // Enter in edit reads the controls, runs the operation in the run button's bracket
    // (RunBracketed) and shows the parameters again.
    void OnEnter(QLineEdit* edit, bool (Module::*operation)());

    // Combo boxes turn with the wheel only while they have the focus; otherwise the wheel
    // scrolls the form, so scrolling past a combo box does not change its choice.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QScrollArea* m_scroll;
    QWidget* m_content;
};

} // namespace calc
