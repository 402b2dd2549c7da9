#pragma once
// What the modules and forms of the calculation plug-in share: path and point helpers, the
// rule that an enumeration's Sel number wins over the enumeration, log colours and texts,
// a guard against running an operation inside itself, and the form base.
#include "core/module.h"
#include "core/module_editor.h"
#include "core/spectrum.h"
#include "platform/colorref.h"

#include <cstdint>
#include <memory>
#include <string>

class QAbstractButton;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

namespace ns_xandril {
class XMLEnumClass;
}

namespace calc {

inline constexpr COLORREF kErrorColour = 0x000070;
inline constexpr COLORREF kHintColour = 0x007000;
inline constexpr char kBlanks[] = " \t\r\n";
inline constexpr char kParameterError[] = "Fehler: Das Funktionsmodul wurde nicht korrekt parametriert. ";
// Grids of the modules hold at most this many points.
inline constexpr double kMaxGridPoints = 1e7;

// Tidies a ":"-path of an output group or result name in place: one leading ":" removed,
// runs of ":" collapsed, one trailing ":" removed (the tree's path rule).
void CleanGroupPath(std::string& path);

// A point whose wavelength is set to 0 when it is negative; the value is taken as given.
SPoint ClampedPoint(double x, double y);

// The text behind the last ":" (all of it without ":").
std::string ShortName(const std::string& path);

// The short name trimmed of blanks, tabs and line ends.
std::string TrimmedShortName(const std::string& path);

// The spectra a dropped ";"-list resolves to in the tree, as their trimmed short names
// joined by ";" (the name-template drop of the selection edits).
std::string DroppedShortNames(SpectrumTree& tree, const std::string& names);

// A seed from the steady clock: its high and low 32-bit halves combined by exclusive or.
std::uint32_t ClockSeed();

// Keeps the enumeration parameter `name` in step with the int parameter `name` + "Sel":
// the number wins and is written into the enumeration. Returns the number, or -1 (nothing
// changed) when it is no index of the enumeration or either parameter is missing.
int SyncEnumFromSel(ns_param::Paramora& parameters, const std::string& name);

// printf-style formatting (the C locale the program runs in).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Hands a new spectrum to the tree; a spectrum the tree refused is deleted. True when the
// tree took it.
bool FileSpectrum(SpectrumTree& tree, std::unique_ptr<Spectrum> spectrum);

void LogError(ModuleInterface* host, const std::string& text);
void LogHint(ModuleInterface* host, const std::string& text);

// Base of the plug-in's modules: the flag that keeps each operation from starting while
// another operation of the module runs (the host handles events during progress calls, so a
// second click or a drop can arrive in the middle of a run). GUI thread only.
class CalcModule : public Module {
public:
    using Module::Module;
    ~CalcModule() override;

    bool IsRunning() const { return m_running; }
    // The host's spectrum tree; null without a host.
    SpectrumTree* Spectra() const;

protected:
    // Held by an operation for its whole run; false (and nothing held) while another runs.
    class RunGuard {
    public:
        explicit RunGuard(CalcModule& module);
        ~RunGuard();
        RunGuard(const RunGuard&) = delete;
        RunGuard& operator=(const RunGuard&) = delete;
        explicit operator bool() const { return m_held; }

    private:
        CalcModule& m_module;
        bool m_held;
    };

private:
    bool m_running = false;
};

// Runs the operation between the host's StartCalculation and EndCalculation; nothing while
// an operation of the module runs. An exception of the operation is logged as an error.
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

// Base of the plug-in's editor forms: the controls sit on a content widget of at least the
// form's minimum size inside a scroll area; the run button brackets an operation with the
// host's StartCalculation and EndCalculation; Enter in chosen edits runs a handler.
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
    // Enter in edit reads the controls, calls handler and shows the parameters again.
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
