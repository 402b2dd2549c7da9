// The range rule of the calculation modules and the memory check of runs whose size the
// user sets.
#include "core/calc_form.h"

#include "platform/data_exchange.h"
#include "support/recording_host.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>

namespace {

class RangedModule : public calc::CalcModule {
public:
    RangedModule() : calc::CalcModule("Test_Ranged")
    {
        ns_param::Paramora& p = getParameters();
        p.addByteParameter("Byte", "", 5, 1, 200, 5);
        p.addIntParameter("Int", "", 3, -4, 10, 3);
        p.addFloatParameter("Float", "", 0.5f, 0.0f, 1.0f, 0.5f);
        p.addDoubleParameter("Double", "", 2, 0.01, 1e6, 2);
        p.addDoubleParameter("Wide", "", 0, -DBL_MAX, DBL_MAX, 0);
        p.addStringParameter("Text", "", "nan", "");
        p.addBoolParameter("Flag", "", true, true);
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    using calc::CalcModule::Numbers;

    // The numbers this module handles itself, as a test sets them.
    std::map<std::string, calc::OwnRange> own;
    calc::OwnRange OwnRangeOf(const std::string& name) override
    {
        const auto it = own.find(name);
        return it == own.end() ? calc::OwnRange::None : it->second;
    }

    // An operation as the modules write them: the guard first.
    bool Run(Numbers numbers)
    {
        RunGuard guard(*this, numbers);
        if (!guard)
            return false;
        heldWhileRunning = IsRunning();
        return true;
    }
    bool heldWhileRunning = false;

    // An operation opening its run with RunScope; nested, a second opening inside the first.
    using calc::CalcModule::kClipboard;
    using calc::CalcModule::kNoTree;
    using calc::CalcModule::kSpectra;
    bool Open(Numbers numbers, unsigned trees, bool nested = false)
    {
        RunScope run(*this, numbers, trees);
        if (!run)
            return false;
        ModuleInterface* host = GetModuleInterface();
        scopeMatches = run.host == host && run.spectra == (host ? host->GetSpectrumTree() : nullptr) &&
                       run.clipboard == (host ? host->GetClipboardTree() : nullptr) && &run.p == &getParameters() &&
                       IsRunning();
        if (nested)
            nestedOpened = Open(Numbers::Unread, kNoTree);
        return true;
    }
    bool scopeMatches = false;
    bool nestedOpened = false;
};

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(CalcRangeRule, EveryNumberKindOutsideItsRangeOrNotFiniteIsRefusedWithItsLine)
{
    struct Case {
        const char* name;
        double value; // set through the parameter's own kind
        const char* line;
    };
    const Case cases[] = {
        {"Byte", 0, "Fehler: Parameter 'Byte' liegt außerhalb des zulässigen Bereichs (1 bis 200)!"},
        {"Byte", 201, "Fehler: Parameter 'Byte' liegt außerhalb des zulässigen Bereichs (1 bis 200)!"},
        {"Int", -5, "Fehler: Parameter 'Int' liegt außerhalb des zulässigen Bereichs (-4 bis 10)!"},
        {"Int", INT_MAX, "Fehler: Parameter 'Int' liegt außerhalb des zulässigen Bereichs (-4 bis 10)!"},
        {"Float", kNan, "Fehler: Parameter 'Float' liegt außerhalb des zulässigen Bereichs (0 bis 1)!"},
        {"Float", 1.5, "Fehler: Parameter 'Float' liegt außerhalb des zulässigen Bereichs (0 bis 1)!"},
        {"Double", 1e300, "Fehler: Parameter 'Double' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!"},
        {"Double", 0.001, "Fehler: Parameter 'Double' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!"},
        {"Double", kNan, "Fehler: Parameter 'Double' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!"},
        {"Double", -kInf, "Fehler: Parameter 'Double' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!"},
        // A range of every finite double still refuses what is not finite.
        {"Wide", kInf, "Fehler: Parameter 'Wide' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis "
                       "1.79769e+308)!"},
        {"Wide", kNan, "Fehler: Parameter 'Wide' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis "
                       "1.79769e+308)!"},
        // The ends of a range are inside.
        {"Double", 1e6, nullptr},
        {"Double", 0.01, nullptr},
        {"Int", -4, nullptr},
        {"Byte", 200, nullptr},
        {"Wide", -DBL_MAX, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.value));
        RecordingHost host;
        RangedModule module;
        module.SetModuleInterface(&host);
        ns_param::Paramora& p = module.getParameters();
        p.setByteParameter(c.name, static_cast<unsigned char>(c.value));
        p.setIntParameter(c.name, c.value > INT_MAX - 1.0 ? INT_MAX : static_cast<int>(c.value));
        p.setFloatParameter(c.name, static_cast<float>(c.value));
        p.setDoubleParameter(c.name, c.value);

        EXPECT_EQ(module.Run(RangedModule::Numbers::Read), c.line == nullptr);
        if (c.line) {
            ASSERT_EQ(host.log.size(), 1u);
            EXPECT_EQ(host.log[0].text, c.line);
            EXPECT_EQ(host.log[0].colour, std::optional<COLORREF>(calc::kErrorColour));
            EXPECT_FALSE(module.IsRunning()) << "a refused run holds nothing";
        } else {
            EXPECT_TRUE(host.log.empty());
            EXPECT_TRUE(module.heldWhileRunning);
        }
        // An operation that reads no number, or checks them itself later, starts whatever
        // they hold.
        for (RangedModule::Numbers numbers : {RangedModule::Numbers::Unread, RangedModule::Numbers::AfterOwnChecks}) {
            host.log.clear();
            module.heldWhileRunning = false;
            EXPECT_TRUE(module.Run(numbers));
            EXPECT_TRUE(module.heldWhileRunning);
            EXPECT_TRUE(host.log.empty());
        }
        // The named check takes only the names given.
        EXPECT_TRUE(module.ParametersInRange({"Text", "Flag", "Missing"}));
        EXPECT_EQ(module.ParametersInRange({c.name}), c.line == nullptr);
        // Leaving out the one that breaks the rule leaves nothing to refuse.
        EXPECT_TRUE(module.ParametersInRangeExcept({"Text", c.name}));
        EXPECT_EQ(module.ParametersInRangeExcept({"Text"}), c.line == nullptr);
    }
}

// A number the module handles itself is held to what its run really uses: every check of the
// rule (the guard, all numbers, named numbers, all but some) lets a handled value through and
// still refuses what the handling cannot use.
TEST(CalcRangeRule, NumbersTheModuleHandlesItselfAreCheckedAsTheRunUsesThem)
{
    using calc::OwnRange;
    const char* const kDouble = "Fehler: Parameter 'Double' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!";
    const char* const kInt = "Fehler: Parameter 'Int' liegt außerhalb des zulässigen Bereichs (-4 bis 10)!";
    const struct {
        const char* what;
        const char* name;
        OwnRange own;
        double value;
        const char* line; // null: the value passes
    } rows[] = {
        {"never used, even when not a number", "Double", OwnRange::Unused, kNan, nullptr},
        {"used as it stands, below the range", "Double", OwnRange::AsItStands, -5, nullptr},
        {"used as it stands, far above", "Double", OwnRange::AsItStands, 1e300, nullptr},
        {"used as it stands but infinite", "Double", OwnRange::AsItStands, kInf, kDouble},
        {"clamped into the range", "Int", OwnRange::Clamped, INT_MIN, nullptr},
        {"clamped but not a number", "Double", OwnRange::Clamped, kNan, kDouble},
        {"absolute value within the range", "Double", OwnRange::Absolute, -0.5, nullptr},
        {"absolute value above the range", "Double", OwnRange::Absolute, -2e6, kDouble},
        {"absolute value below the range", "Double", OwnRange::Absolute, -0.001, kDouble},
        {"absolute value of minus infinity", "Double", OwnRange::Absolute, -kInf, kDouble},
        {"raised from below", "Int", OwnRange::RaisedBelow, -100, nullptr},
        {"raised, but above the range", "Int", OwnRange::RaisedBelow, 11, kInt},
        {"raised, but not a number", "Double", OwnRange::RaisedBelow, kNan, kDouble},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RecordingHost host;
        RangedModule module;
        module.SetModuleInterface(&host);
        module.own[row.name] = row.own;
        ns_param::Paramora& p = module.getParameters();
        p.setIntParameter(row.name, row.value < INT_MIN ? INT_MIN : row.value > INT_MAX ? INT_MAX
                                                                                        : static_cast<int>(row.value));
        p.setDoubleParameter(row.name, row.value);
        const bool passes = row.line == nullptr;
        const std::vector<std::string> line = passes ? std::vector<std::string>{} : std::vector<std::string>{row.line};

        EXPECT_EQ(module.Run(RangedModule::Numbers::Read), passes);
        EXPECT_EQ(host.LogTexts(), line);
        host.log.clear();
        EXPECT_EQ(module.ParametersInRange(), passes);
        EXPECT_EQ(module.ParametersInRange({row.name}), passes);
        EXPECT_EQ(module.ParametersInRangeExcept({"Text"}), passes);
        EXPECT_EQ(host.LogTexts().size(), passes ? 0u : 3u);
        EXPECT_EQ(calc::MeetsRangeRule(*p.getParameter(row.name), row.own), passes);
        // Without the module's handling the same value breaks the plain rule.
        EXPECT_FALSE(calc::MeetsRangeRule(*p.getParameter(row.name)));
        // A value the run takes in its place (a lowered count) still meets the plain range.
        host.log.clear();
        EXPECT_FALSE(module.ValueInRange(row.name, row.value));
    }
}

// A value a run takes in place of a parameter's own (a lowered count) meets that parameter's
// range; names without a number parameter pass.
TEST(CalcRangeRule, AValueTakenForAParameterMeetsItsRange)
{
    const struct {
        const char* name;
        double value;
        const char* line;
    } cases[] = {
        {"Int", 10, nullptr},
        {"Int", 11, "Fehler: Parameter 'Int' liegt außerhalb des zulässigen Bereichs (-4 bis 10)!"},
        {"Double", kNan, "Fehler: Parameter 'Double' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!"},
        {"Wide", -kInf, "Fehler: Parameter 'Wide' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis "
                        "1.79769e+308)!"},
        {"Text", kNan, nullptr},
        {"Missing", kNan, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        RangedModule module;
        module.SetModuleInterface(&host);
        EXPECT_EQ(module.ValueInRange(c.name, c.value), c.line == nullptr);
        EXPECT_EQ(host.LogTexts(), c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
        // The parameter itself keeps its value.
        EXPECT_TRUE(module.ParametersInRange());
    }
}

// The opening of a run: the guard's numbers rule and its one run at a time, and the trees
// the operation needs; a missing tree stops the run without a line.
TEST(CalcRunScope, OpensWithTheGuardTheHostItsTreesAndTheParameters)
{
    using N = RangedModule::Numbers;
    const char* const kIntLine = "Fehler: Parameter 'Int' liegt außerhalb des zulässigen Bereichs (-4 bis 10)!";
    const struct {
        const char* what;
        bool host;
        N numbers;
        unsigned trees;
        int intValue;
        bool opened;
        const char* line;
    } rows[] = {
        {"host and both trees", true, N::Read, RangedModule::kSpectra | RangedModule::kClipboard, 3, true, nullptr},
        {"no host, no tree needed", false, N::Read, RangedModule::kNoTree, 3, true, nullptr},
        {"no host, spectra needed", false, N::Read, RangedModule::kSpectra, 3, false, nullptr},
        {"no host, clipboard needed", false, N::Unread, RangedModule::kClipboard, 3, false, nullptr},
        {"a number out of range", true, N::Read, RangedModule::kSpectra, 11, false, kIntLine},
        {"numbers the operation checks itself", true, N::AfterOwnChecks, RangedModule::kSpectra, 11, true, nullptr},
        {"numbers left unread", true, N::Unread, RangedModule::kSpectra, 11, true, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RecordingHost host;
        RangedModule module;
        if (row.host)
            module.SetModuleInterface(&host);
        module.getParameters().setIntParameter("Int", row.intValue);
        EXPECT_EQ(module.Open(row.numbers, row.trees, true), row.opened);
        EXPECT_EQ(module.scopeMatches, row.opened);
        EXPECT_FALSE(module.nestedOpened);
        EXPECT_FALSE(module.IsRunning());
        EXPECT_EQ(host.LogTexts(), row.line ? std::vector<std::string>{row.line} : std::vector<std::string>{});
    }
}

// An operation that ends in one of the ways an operation can end.
class EndingModule : public calc::CalcModule {
public:
    EndingModule() : calc::CalcModule("Test_Ending") { getParameters().addStringParameter("Text", "", "", ""); }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    bool Run()
    {
        end();
        return true;
    }
    std::function<void()> end;
};

// The bracket of a run ends on every way out of the operation: a standard exception is logged
// and stops there; anything else (a stopped data exchange, a thrown number) leaves the bracket
// ended and goes on to the caller.
TEST(CalcBracket, EndsTheCalculationOnEveryWayOut)
{
    const struct {
        const char* what;
        std::function<void()> end;
        bool passesOn;
        std::vector<std::string> log;
    } rows[] = {
        {"a return", [] {}, false, {}},
        {"a standard exception", [] { throw std::runtime_error("kaputt"); }, false, {"Fehler: kaputt"}},
        {"a stopped data exchange", [] { throw platform::DataExchangeStop(); }, true, {}},
        {"a number", [] { throw 42; }, true, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RecordingHost host;
        EndingModule module;
        module.SetModuleInterface(&host);
        module.end = row.end;
        bool passedOn = false;
        try {
            calc::RunBracketed(&module, static_cast<bool (Module::*)()>(&EndingModule::Run));
        } catch (...) {
            passedOn = true;
        }
        EXPECT_EQ(passedOn, row.passesOn);
        EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation"}));
        EXPECT_TRUE(host.freeHolds.empty());
        EXPECT_EQ(host.LogTexts(), row.log);
    }
}

// A form whose field runs the module's operation on Enter.
class EnterForm : public calc::CCalcForm {
public:
    EnterForm() : calc::CCalcForm(1, 100, 50), field(new QLineEdit(Content()))
    {
        OnEnter(field, static_cast<bool (Module::*)()>(&EndingModule::Run));
    }
    void ExchangeFields(CDataExchange* pDX) override
    {
        calc::ExchangeString(pDX, field, GetModule()->getParameters(), "Text");
    }
    QLineEdit* const field;
};

// Enter runs the operation in the run button's bracket: the calculation has started when the
// operation runs and has ended on every way out, also when the form goes during the run; the
// field then shows the parameters again.
TEST(CalcBracket, EnterRunsTheOperationInTheButtonsBracket)
{
    const struct {
        const char* what;
        bool throws;
        bool formGoes;
        std::vector<std::string> log;
        const char* shown;
    } rows[] = {
        {"a return", false, false, {}, "neu"},
        {"a standard exception", true, false, {"Fehler: kaputt"}, "neu"},
        {"the form gone during the run", false, true, {}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RecordingHost host;
        EndingModule module;
        module.SetModuleInterface(&host);
        QPointer<EnterForm> form(new EnterForm);
        form->SetModule(&module);
        form->field->setText("alt");
        std::vector<std::string> callsDuring;
        std::string textRead;
        module.end = [&] {
            callsDuring = host.calls;
            textRead = *module.getParameters().getStringParameter("Text");
            module.getParameters().setStringParameter("Text", "neu");
            if (row.formGoes)
                delete form.data();
            if (row.throws)
                throw std::runtime_error("kaputt");
        };
        if (row.formGoes)
            emit form->field->returnPressed(); // a key event would reach the deleted field
        else
            QTest::keyClick(form->field, Qt::Key_Return);
        EXPECT_EQ(textRead, "alt");
        EXPECT_EQ(callsDuring, std::vector<std::string>{"StartCalculation"});
        EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation"}));
        EXPECT_TRUE(host.freeHolds.empty());
        EXPECT_EQ(host.LogTexts(), row.log);
        if (row.shown) {
            ASSERT_FALSE(form.isNull());
            EXPECT_EQ(form->field->text().toStdString(), row.shown);
        } else {
            EXPECT_TRUE(form.isNull());
        }
        delete form.data();
    }
}

TEST(CalcRunMemory, ACountBeyondTheBudgetNamesTheLargestCountThatFits)
{
    const double budget = calc::RunMemoryBudget();
    EXPECT_GT(budget, 0.0);
    EXPECT_LE(budget, calc::kRunMemoryCeiling);
    const double each = 1024.0 * 1024.0; // 1 MiB per item
    const double fits = std::floor(budget / each);
    EXPECT_EQ(calc::CountInBudget(each), fits);
    EXPECT_EQ(calc::CountInBudget(each, budget), 0.0) << "nothing beside what is fixed";
    EXPECT_EQ(calc::CountInBudget(0.0), 2147483647.0) << "at most the int range";

    RecordingHost host;
    EXPECT_TRUE(calc::CountFitsMemory(&host, "Count", fits, 1, each));
    EXPECT_TRUE(calc::CountFitsMemory(&host, "Count", 0, 1, each));
    EXPECT_TRUE(host.log.empty());
    for (double count : {fits + 1, 1e9, static_cast<double>(INT_MAX), kNan}) {
        SCOPED_TRACE(count);
        host.log.clear();
        EXPECT_FALSE(calc::CountFitsMemory(&host, "Count", count, 1, each));
        ASSERT_EQ(host.log.size(), 1u);
        char line[200];
        std::snprintf(line, sizeof line, "Fehler: Parameter 'Count' liegt außerhalb des zulässigen Bereichs (1 bis %g)!",
                      fits);
        EXPECT_EQ(host.log[0].text, line);
    }
}

} // namespace
